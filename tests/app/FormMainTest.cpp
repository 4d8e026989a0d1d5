#include "EditionTestDir.h"
#include "Fixtures.h"
#include "GalleryShot.h"
#include "app/EditionTable.h"
#include "app/FormLog.h"
#include "app/Settings.h"
#include "app/Wizard.h"
#include "convert/InputRowTexts.h"
#include "support/MainThread.h"
#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/SlideGrid.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QString kAllFormats = QStringLiteral(
    "AVI=1\nMP4=1\nFLV=1\nSWF=1\nMPEG=1\nRM=1\nWMV=1\nMOV=1\n3GP=1\nIPOD=1\nIPHONE=1\nAPPLETV=1\nPSP=1\n"
    "BLACKBERRY=1\nMOBILEPHONE=1\nIPAD=1\nWAV=1\nMP3=1\nWMA=1\nOGG=1\nAAC=1\nM4A=1\nFLAC=1\nMP2=1\n");

QString ReadFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

std::vector<TImageButton*> VisibleClassButtons(TFormMain& form) {
    std::vector<TImageButton*> visible;
    for (TImageButton* button :
         {form.Pages.Format.ButtonToFormatVideo, form.Pages.Format.ButtonToFormatDevice,
          form.Pages.Format.ButtonToFormatAudio}) {
        if (!button->isHidden())
            visible.push_back(button);
    }
    return visible;
}

} // namespace

TEST(FormMain, FullEditionSetsUpTheSkinnedWizard) {
    FormUnderTest t(Edition("Name=Vantoleaf Video Converter\nVersion=2.1\n" + kAllFormats));
    TFormMain& form = *t.form;
    ASSERT_TRUE(form.FormCreate());
    EXPECT_TRUE(t.services.Dialogs.Shown.empty());
    EXPECT_EQ(form.windowTitle(), "Vantoleaf Video Converter");
    EXPECT_EQ(form.LabelVersion->text(), "Version: 2.1");
    EXPECT_EQ(form.LabelFinishTitle1->text(), "Vantoleaf Video Converter has finished the conversion.");
    EXPECT_EQ(form.LabelFinishedDownloading2->text(),
              "To convert other files, click \"Finish\". Click \"Exit\" to quit Vantoleaf Video Converter.");
    EXPECT_EQ(form.size(), QSize(772, 547));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    // Magenta corners are cut out of the window's shape.
    EXPECT_FALSE(form.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(form.mask().contains(QPoint(386, 270)));
    EXPECT_EQ(form.ButtonExit->pos(), QPoint(672, 510));
    EXPECT_EQ(form.ButtonClose->focusPolicy(), Qt::NoFocus) << "Tab then Space would quit unseen";
    EXPECT_EQ(form.ButtonNext->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(form.ButtonExit->size(), QSize(90, 28));
    EXPECT_EQ(form.PageControlMain->pos(), QPoint(203, 74));
    EXPECT_TRUE(form.LabelTitle->font().bold());

    EXPECT_TRUE(t.vars.DownloadMode);
    EXPECT_EQ(form.PageControlMain->currentWidget(), form.TabSheetMode);
    EXPECT_FALSE(form.PageControlMain->TabsVisible());
    EXPECT_FALSE(form.Pages.Format.RzPageControlToFormat->TabsVisible());
    EXPECT_EQ(form.PageControlMain->count(), 8);

    // Nine video formats on a 525-pixel page: eight columns, the ninth starts row two.
    EXPECT_EQ(form.Pages.Format.TabSheetToFormatVideo->width(), 525);
    EXPECT_EQ(form.FormatButton(fmt3GP)->pos(), QPoint(10, 65));
    EXPECT_EQ(form.FormatButton(fmtMOV)->pos(), QPoint(10 + 7 * 64, 5));
    EXPECT_EQ(form.FormatButton(fmtMP2)->pos(), QPoint(10 + 7 * 64, 5));
    EXPECT_EQ(form.FormatButton(fmtiPad)->pos(), QPoint(10 + 6 * 64, 5));
    EXPECT_EQ(form.FormatButton(fmtAVI)->objectName(), "ButtonFormatAVI");
    EXPECT_EQ(VisibleClassButtons(form).size(), 3u);
    EXPECT_EQ(form.Pages.Format.ButtonToFormatAudio->pos(), QPoint(18 + 2 * 171, 135));
    EXPECT_EQ(form.Pages.Format.RzPageControlToFormat->y(), 172);

    // The window is shown by the deferred message, with the edition's tools wording.
    EXPECT_FALSE(form.isVisible());
    QApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.LabelMoreTools->text(), "more tools...");
    GalleryShot(&form, "main");
}

TEST(FormMain, TitleWithSlashesNamesTheSettingsFolderAndFirstRunCentres) {
    FormUnderTest t(Edition("Name=Vantoleaf AVI/MP4/WMV Joiner\nDownload=0\nMerge=1\nAVI=1\nMP4=1\nWMV=1\n"));
    const QString folder = t.dir.ConfigDir() + "/Vantoleaf AVI MP4 WMV Joiner/";
    ASSERT_TRUE(t.form->FormCreate());
    EXPECT_EQ(t.vars.SettingsDir, folder);
    EXPECT_TRUE(QFile::exists(folder + "system.dat"));
    EXPECT_FALSE(ReadFile(folder + "system.dat").contains("[Form]"));
    EXPECT_TRUE(t.vars.JoinMode);
    EXPECT_FALSE(t.vars.DownloadMode);
    EXPECT_EQ(t.form->PageControlMain->currentWidget(), t.form->TabSheetStep1);
    EXPECT_EQ(t.vars.OutputFileDir, QDir::homePath());
    // Centred on the screen.
    const QPoint screenCentre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((t.form->geometry().center() - screenCentre).manhattanLength(), 2);
    QApplication::processEvents();
    EXPECT_EQ(t.form->LabelMoreTools->text(), "more free tools...");
}

TEST(FormMain, OneOfferedClassHidesEveryClassButton) {
    FormUnderTest t(Edition("Name=Vantoleaf Audio Joiner\nDefaultClass=7\nDefaultAudio=259\nDefaultVideo=-1\n"
                            "WAV=1\nMP3=1\nOGG=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    EXPECT_TRUE(VisibleClassButtons(*t.form).empty());
    EXPECT_EQ(t.form->Pages.Format.RzPageControlToFormat->y(), 120);
    EXPECT_TRUE(t.form->FormatButton(fmtWMA)->isHidden());
    EXPECT_EQ(t.form->FormatButton(fmtOGG)->pos(), QPoint(10 + 2 * 64, 5));
    EXPECT_TRUE(t.form->FormatButton(fmtAVI)->isHidden());
    EXPECT_EQ(t.vars.OutputFormatClass, fcVideo);
    EXPECT_EQ(t.vars.OutputAudioFormat, 3);
    EXPECT_EQ(t.vars.OutputVideoFormat, 255);
}

TEST(FormMain, TwoOfferedClassesKeepTheirButtonsInOrder) {
    FormUnderTest t(Edition("Name=Two Classes\nDefaultClass=1\nIPAD=1\nFLAC=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    const auto visible = VisibleClassButtons(*t.form);
    ASSERT_EQ(visible.size(), 2u);
    EXPECT_EQ(visible[0], t.form->Pages.Format.ButtonToFormatDevice);
    EXPECT_EQ(visible[0]->pos(), QPoint(18, 135));
    EXPECT_EQ(visible[1]->pos(), QPoint(18 + 171, 135));
    EXPECT_EQ(t.form->Pages.Format.RzPageControlToFormat->y(), 172);
    EXPECT_EQ(t.vars.OutputFormatClass, fcDevice);
    EXPECT_EQ(t.form->FormatButton(fmtiPad)->pos(), QPoint(10, 5));
}

TEST(FormMain, SkinLayoutsMoveTheItems) {
    FormUnderTest one(Edition("Name=Skin One\nSkin=1\n"));
    ASSERT_TRUE(one.form->FormCreate());
    EXPECT_EQ(one.form->ButtonClose->pos(), QPoint(794, 3));
    EXPECT_EQ(one.form->ButtonExit->pos(), QPoint(730, 566));
    EXPECT_EQ(one.form->PageControlMain->pos(), QPoint(240, 110));
    EXPECT_EQ(one.form->LabelVersion->palette().color(QPalette::WindowText), QColor(Qt::white));

    FormUnderTest two(Edition("Name=Skin Two\nSkin=2\n"));
    ASSERT_TRUE(two.form->FormCreate());
    EXPECT_EQ(two.form->HelpMenuOffset(), 5);
    EXPECT_EQ(two.form->ButtonMin->pos(), QPoint(696, 6));

    FormUnderTest three(Edition("Name=Skin Three\nSkin=3\n"));
    TFormMain& form = *three.form;
    ASSERT_TRUE(form.FormCreate());
    EXPECT_TRUE(form.ButtonMin->isHidden());
    EXPECT_TRUE(form.ButtonClose->isHidden());
    EXPECT_TRUE(form.ButtonNext->Transparent());
    EXPECT_EQ(form.ButtonNext->pos(), QPoint(460, 515));
    EXPECT_EQ(form.LabelTitle->pos(), QPoint(215, 55));
    EXPECT_FALSE(form.LabelTitle->font().bold());
    EXPECT_EQ(form.LabelVersion->y(), 165);
    EXPECT_EQ(form.LabelMoreTools->y(), 180);

    // Any other number keeps the designed positions.
    FormUnderTest other(Edition("Name=Skin Nine\nSkin=9\n"));
    ASSERT_TRUE(other.form->FormCreate());
    EXPECT_FALSE(other.form->ButtonMin->isHidden());
    EXPECT_EQ(other.form->PageControlMain->pos(), QPoint(203, 74));
}

TEST(FormMain, MinimalChromeEditionHidesHelpLogAndLabels) {
    FormUnderTest t(Edition("Name=Vantoleaf Media Converter Lite\nMP3=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    ASSERT_NE(t.form->Edition(), nullptr);
    for (QWidget* widget :
         {static_cast<QWidget*>(t.form->LabelVersion), static_cast<QWidget*>(t.form->LabelMoreTools),
          static_cast<QWidget*>(t.form->ButtonHelp), static_cast<QWidget*>(t.form->ButtonLog)})
        EXPECT_TRUE(widget->isHidden()) << qPrintable(widget->objectName());
    EXPECT_FALSE(t.form->ButtonNext->isHidden());
}

TEST(FormMain, ConfigurationErrorsStopTheSetUp) {
    struct Case {
        const char* Edition;
        const char* Remove;
        const char* Damage;
        const char* Expected;
    };
    const Case cases[] = {
        {"Name=Broken Skin\nSkin=two\n", nullptr, nullptr, "'two' is not a valid integer value"},
        {"Name=Missing Image\n", "close_2.bmp", nullptr, "close_2.bmp"},
        {"Name=Damaged Image\n", nullptr, "leftlogo.png", "leftlogo.png"},
        {"Name=Missing Folder\nRes=7\n", nullptr, nullptr, "sounds/res7/toplogo.png"},
    };
    for (const Case& c : cases) {
        FormUnderTest t(Edition(c.Edition));
        if (c.Remove)
            QFile::remove(t.dir.ResourceFile(c.Remove));
        if (c.Damage) {
            QFile damaged(t.dir.ResourceFile(c.Damage));
            ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
            damaged.write("not a picture");
        }
        EXPECT_FALSE(t.form->FormCreate()) << c.Edition;
        ASSERT_EQ(t.services.Dialogs.Shown.size(), 1u) << c.Edition;
        const TMessageRequest& box = t.services.Dialogs.Shown[0];
        EXPECT_EQ(box.Kind, TMsgDlgType::mtError);
        EXPECT_TRUE(box.Message.contains(c.Expected)) << qPrintable(box.Message);
        EXPECT_EQ(box.Caption, t.form->windowTitle());
        // Nothing after the edition set-up ran: no settings, tabs still shown, no show.
        EXPECT_TRUE(t.vars.SettingsDir.isEmpty());
        EXPECT_TRUE(t.form->PageControlMain->TabsVisible());
        QApplication::processEvents();
        EXPECT_FALSE(t.form->isVisible());
        t.form->close();
        EXPECT_TRUE(QDir(t.dir.ConfigDir()).isEmpty()) << "settings written after a stopped set-up";
    }
}

TEST(FormMain, NoEditionFileGivesAnEmptyTitleAndTheDownloadMode) {
    EditionTestDir dir{QString()};
    QFile::remove(QString::fromStdString(dir.ExeDir()) + "lame.dll");
    StartEdition(dir.ExeDir());
    TGlobalVars vars;
    FakeServices services;
    TFormMain form(vars, services.Bundle(), dir.ExeDir());
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(form.windowTitle(), "");
    EXPECT_EQ(form.Edition(), nullptr);
    EXPECT_TRUE(vars.DownloadMode);
    EXPECT_EQ(vars.SettingsDir, dir.ConfigDir() + "/");
    EXPECT_TRUE(VisibleClassButtons(form).empty());
}

TEST(FormMain, SettingsReachTheFileOnlyAtClose) {
    FormUnderTest t(Edition("Name=Closing Edition\nMP3=1\nWAV=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    QApplication::processEvents();
    const QString file = SettingsFilePath(t.vars);
    t.vars.Presets[fmtMP3] = 4;
    t.vars.OutputURLDir = "/videos/";
    EXPECT_TRUE(ReadFile(file).contains("OutputMP3Preset=2"));
    QWidget logWindow;
    logWindow.move(30, 40);
    t.form->SetLogWindow(&logWindow);
    t.form->move(12, 34);
    t.form->close();
    const QString text = ReadFile(file);
    EXPECT_TRUE(text.contains("OutputMP3Preset=4"));
    EXPECT_TRUE(text.contains("OutputURLDir=/videos/"));
    EXPECT_TRUE(text.contains("[Form]\nx=12\ny=34\nheight=547\nwidth=772\nmaximized=0\n"))
        << qPrintable(text);
    EXPECT_TRUE(text.contains("[FormLog]\nx=30\ny=40\n")) << qPrintable(text);
    EXPECT_TRUE(t.services.Dialogs.Shown.empty());

    // The next start reads them back and restores the placement.
    TGlobalVars vars;
    FakeServices services;
    TFormMain again(vars, services.Bundle(), t.dir.ExeDir());
    ASSERT_TRUE(again.FormCreate());
    EXPECT_EQ(vars.Presets[fmtMP3], 4);
    EXPECT_EQ(again.pos(), QPoint(12, 34));
}

TEST(FormMain, ClosingTheMainWindowEndsTheProgramWhateverElseIsOpen) {
    FormUnderTest t(Edition("Name=Ending Edition\nMP3=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    TFormLog log(t.services.Bundle());
    AttachLogWindow(*t.form, log);
    EndProgramWithMainWindow(*t.form);
    log.show(); // a top-level window of its own
    QApplication::processEvents();
    QTimer::singleShot(0, t.form.get(), [&] { t.form->close(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });
    const int code = QApplication::exec();
    QApplication::setQuitOnLastWindowClosed(true);
    log.hide();
    EXPECT_EQ(code, 0) << "the program went on without its main window";
    EXPECT_FALSE(t.form->isVisible());
}

TEST(FormMain, UnwritableSettingsShowTheErrorAndStillClose) {
    FormUnderTest t(Edition("Name=Unwritable Edition\nMP3=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    QApplication::processEvents();
    const QString file = SettingsFilePath(t.vars);
    QFile::remove(file);
    QDir().mkdir(file);
    EXPECT_TRUE(t.form->close());
    EXPECT_FALSE(t.form->isVisible());
    ASSERT_EQ(t.services.Dialogs.Shown.size(), 1u);
    EXPECT_EQ(t.services.Dialogs.Shown[0].Kind, TMsgDlgType::mtError);
    EXPECT_TRUE(t.services.Dialogs.Shown[0].Message.contains("system.dat"));
}

TEST(FormMain, PrivateMessagesArePostedOrSentToOneHandler) {
    FormUnderTest t(Edition("Name=Messages\n"));
    ASSERT_TRUE(t.form->FormCreate());
    int nextLink = 0;
    int ended = 0;
    std::thread::id endedOn;
    t.form->SetMessageHandler(pmNextLink, [&] { ++nextLink; });
    t.form->SetMessageHandler(pmConversionEnded, [&] {
        ++ended;
        endedOn = std::this_thread::get_id();
    });
    t.form->PostPrivateMessage(pmNextLink);
    t.form->PostPrivateMessage(pmRetryQuality); // no handler: ignored
    EXPECT_EQ(nextLink, 0);
    QApplication::processEvents();
    EXPECT_EQ(nextLink, 1);

    std::atomic<bool> sent{false};
    std::thread notifier([&] {
        t.form->SendPrivateMessage(pmConversionEnded);
        sent = true;
    });
    while (!sent)
        MainThread::PumpSlice(std::chrono::milliseconds(10));
    notifier.join();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(endedOn, std::this_thread::get_id());
}

TEST(FormMain, FilesOnTheCommandLineGoToTheInputPageAsIfDropped) {
    // An edition that starts on the mode page.
    FormUnderTest t(Edition("Name=Vantoleaf Video Converter\nDownload=1\nMP4=1\n"));
    ASSERT_TRUE(t.form->FormCreate());
    QApplication::processEvents();
    ASSERT_EQ(t.form->PageControlMain->currentWidget(), t.form->TabSheetMode);
    ASSERT_FALSE(t.form->Pages.Mode.RadioButtonConvertVideo->isChecked());

    const QString video = QString::fromStdString(Fixtures::Path("av.mp4"));
    const QString audio = QString::fromStdString(Fixtures::Path("audio.mp3"));
    const QDir folder(QString::fromStdString(Fixtures::ScratchFolder("CommandLineFiles")));
    // Extensions a drop refuses are left out, as they are from a drop.
    const QString mpeg = folder.filePath("clip.MPEG");
    QFile::copy(video, mpeg);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QFileInfo(audio).path());
    t.form->OpenFiles({video, QFileInfo(audio).fileName(), mpeg, folder.filePath("readme.txt")});
    QDir::setCurrent(previous);

    EXPECT_EQ(t.form->PageControlMain->currentWidget(), t.form->TabSheetStep1);
    EXPECT_TRUE(t.form->Pages.Mode.RadioButtonConvertVideo->isChecked());
    EXPECT_EQ(
        t.form->LabelTitle->text(),
        "Select the videos you want to convert. Use \"Move Up\" and \"Move Down\" to change the order.");
    // Back is offered: this edition has the mode page to go back to.
    EXPECT_TRUE(t.form->Wizard->ActionBack->isEnabled());
    const TSlideGrid& grid = *t.form->Pages.Input.NextGrid;
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.item(0, NxTextColumnFileFullName)->text(), video);
    EXPECT_EQ(grid.item(1, NxTextColumnFileFullName)->text(), audio);
    EXPECT_TRUE(t.services.Dialogs.Shown.empty());
}
