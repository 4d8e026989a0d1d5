#include "EditionTestDir.h"
#include "GalleryShot.h"
#include "app/FormLog.h"
#include "app/Settings.h"
#include "app/Wizard.h"
#include "engine/FFLog.h"
#include "frontend/ClickLabel.h"
#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/SlideGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QString kEditionWithDownload = Edition("Name=Wiz Converter\nVersion=2.1\nDownload=1\nMP3=1\nAVI=1\n");
const QString kEditionConvertOnly = Edition("Name=Wiz Joiner\nDownload=0\nMerge=1\nMP3=1\n");

class WizardFlow : public ::testing::Test {
protected:
    void Start(const QString& edition) {
        fut = std::make_unique<FormUnderTest>(edition);
        ASSERT_TRUE(fut->form->FormCreate());
        form = fut->form.get();
        wizard = form->Wizard;
        pages = &form->Pages;
        dialogs = &fut->services.Dialogs;
    }

    // Sends the next answers to the confirmations that follow.
    void Answer(std::initializer_list<QMessageBox::StandardButton> answers) {
        dialogs->Answers.assign(answers.begin(), answers.end());
    }

    QString LastMessage() const { return dialogs->Shown.empty() ? QString() : dialogs->Shown.back().Message; }
    // Exit asks first: No keeps the window, Yes closes it.
    void ExpectExitAsksBeforeQuitting() {
        form->show();
        Answer({QMessageBox::No});
        wizard->ActionExit->trigger();
        EXPECT_EQ(LastMessage(), "Are you sure to quit now?");
        EXPECT_TRUE(form->isVisible());
        Answer({QMessageBox::Yes});
        wizard->ActionExit->trigger();
        EXPECT_FALSE(form->isVisible());
    }

    void AddInputRows(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = pages->Input.NextGrid->rowCount();
            pages->Input.NextGrid->insertRow(row);
            pages->Input.NextGrid->setItem(row, 5,
                                           new QTableWidgetItem(QStringLiteral("/media/in%1.avi").arg(row)));
        }
    }

    void AddLinks(const QStringList& links) {
        for (const QString& link : links)
            pages->Links.ListViewInputURL->addTopLevelItem(new QTreeWidgetItem({link}));
    }

    // Counts the private messages of one number that reach the window.
    int* CountMessages(TPrivateMessage message) {
        auto count = std::make_shared<int>(0);
        counters.push_back(count);
        form->SetMessageHandler(message, [count] { ++*count; });
        return count.get();
    }

    void ExpectTexts(TWizardPage page, const QString& next, bool nextEnabled, bool backEnabled,
                     const QString& exit) {
        EXPECT_EQ(wizard->CurrentPage(), page);
        EXPECT_EQ(wizard->ActionNext->text(), next);
        EXPECT_EQ(form->ButtonNext->text(), next);
        EXPECT_EQ(wizard->ActionNext->isEnabled(), nextEnabled);
        EXPECT_EQ(form->ButtonNext->isEnabled(), nextEnabled);
        EXPECT_EQ(wizard->ActionBack->text(), "Back");
        EXPECT_EQ(wizard->ActionBack->isEnabled(), backEnabled);
        EXPECT_EQ(wizard->ActionExit->text(), exit);
        EXPECT_TRUE(wizard->ActionExit->isEnabled());
    }

    QString Folder(const QString& name) const { return scratch.filePath(name); }

    std::unique_ptr<FormUnderTest> fut;
    TFormMain* form = nullptr;
    TWizard* wizard = nullptr;
    TWizardPages* pages = nullptr;
    FakeDialogs* dialogs = nullptr;
    QTemporaryDir scratch;
    std::vector<std::shared_ptr<int>> counters;
};

TEST_F(WizardFlow, ConversionRouteWithDownloadMode) {
    Start(kEditionWithDownload);
    ExpectTexts(TWizardPage::Mode, "Next", true, false, "Exit");
    EXPECT_EQ(form->LabelTitle->text(), "Welcome to Wiz Converter! What do you want to do?");
    GalleryShot(form, "Wizard-Mode");

    pages->Mode.RadioButtonConvertVideo->setChecked(true);
    wizard->ActionNext->trigger();
    ExpectTexts(TWizardPage::Step1, "Next", true, true, "Cancel");

    wizard->ActionNext->trigger();
    EXPECT_EQ(LastMessage(), "Please add the video files you want to convert");
    EXPECT_EQ(dialogs->Shown.back().Kind, TMsgDlgType::mtInformation);
    EXPECT_EQ(dialogs->Shown.back().Buttons, QMessageBox::Ok);
    EXPECT_EQ(dialogs->Shown.back().Caption, "Wiz Converter");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step1);

    AddInputRows(2);
    GalleryShot(form, "Wizard-Step1");
    fut->vars.OutputFileDir = "/stored/output";
    wizard->ActionNext->trigger();
    ExpectTexts(TWizardPage::Step2, "Convert", true, true, "Cancel");
    EXPECT_EQ(pages->Format.EditOutputDir->text(), "/stored/output");

    // Back keeps the rows; Exit asks and, on Yes only, clears them.
    wizard->ActionBack->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step1);
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 2);
    wizard->ActionNext->trigger();
    Answer({QMessageBox::No});
    wizard->ActionExit->trigger();
    EXPECT_EQ(LastMessage(), "Are you sure to cancel?");
    EXPECT_EQ(dialogs->Shown.back().Kind, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(dialogs->Shown.back().Buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step2);
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 2);
    Answer({QMessageBox::Yes});
    wizard->ActionExit->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Mode);
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 0);

    // Back on the file page asks before it clears.
    pages->Mode.RadioButtonConvertVideo->setChecked(true);
    wizard->ActionNext->trigger();
    AddInputRows(1);
    Answer({QMessageBox::No});
    wizard->ActionBack->trigger();
    EXPECT_EQ(LastMessage(), "Are you sure to cancel and go back?");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step1);
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 1);
    Answer({QMessageBox::Yes});
    wizard->ActionBack->trigger();
    ExpectTexts(TWizardPage::Mode, "Next", true, false, "Exit");
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 0);
}

TEST_F(WizardFlow, FormatPageCreatesTheFolderAndStartsTheRun) {
    Start(kEditionWithDownload);
    int* starts = CountMessages(pmStartConversion);
    fut->vars.PlayASoundWhenFinished = true;
    pages->Mode.RadioButtonConvertVideo->setChecked(true);
    wizard->ActionNext->trigger();
    AddInputRows(1);
    wizard->ActionNext->trigger();

    // A folder below a plain file cannot be created: the notice, and the typed text is kept.
    QFile blocker(Folder("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = Folder("file/out");
    pages->Format.EditOutputDir->setText(impossible);
    wizard->ActionNext->trigger();
    EXPECT_EQ(LastMessage(),
              "Fail to create directory! Please check if output folder have the right format!");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step2);
    EXPECT_EQ(fut->vars.OutputFileDir, impossible + "/");
    QCoreApplication::processEvents();
    EXPECT_EQ(*starts, 0);

    const QString nested = Folder("a/b/c");
    pages->Format.EditOutputDir->setText(nested);
    wizard->ActionNext->trigger();
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_EQ(fut->vars.OutputFileDir, nested + "/");
    ExpectTexts(TWizardPage::Step3, "Next", false, false, "Cancel");
    EXPECT_TRUE(pages->Conversion.CheckBoxPlayASound->isChecked());
    EXPECT_FALSE(pages->Conversion.CheckBoxShutdown->isChecked());
    EXPECT_EQ(*starts, 0); // posted, not called
    QCoreApplication::processEvents();
    EXPECT_EQ(*starts, 1);
    GalleryShot(form, "Wizard-Step3");
}

TEST_F(WizardFlow, AltF4OnTheConvertingPageAsksToCancelTheConversion) {
    Start(kEditionWithDownload);
    int stops = 0;
    wizard->Hooks.StopEncoder = [&] { ++stops; };
    wizard->SelectPage(TWizardPage::Step3);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));

    Answer({QMessageBox::No});
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(LastMessage(), "Do you really want to cancel the conversion?");
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(form->isVisible());

    Answer({QMessageBox::Yes});
    QTest::keyClick(form, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(fut->services.Sound.SystemSounds.back(), TSystemSound::Question);
}

TEST_F(WizardFlow, ConversionSummaryCountsAndFinish) {
    Start(kEditionWithDownload);
    AddInputRows(3);
    pages->Conversion.ListViewConverting->addTopLevelItem(new QTreeWidgetItem({"in0.avi"}));
    fut->vars.FilesInRun = 5;
    fut->vars.FilesConverted = 3;
    fut->vars.ErrorList = QStringList{"in1.avi: Invalid data", "in2.avi: Invalid data"};
    fut->vars.OutputFileDir = "/stored/output/";
    wizard->ShowConversionSummary();
    ExpectTexts(TWizardPage::Step4, "Finish", true, false, "Exit");
    EXPECT_EQ(pages->ConversionSummary.LabelFinishTotalFiles->text(), "5");
    EXPECT_EQ(pages->ConversionSummary.LabelFinishSuccessed->text(), "3");
    EXPECT_EQ(pages->ConversionSummary.LabelFinishFailed->text(), "2");
    EXPECT_FALSE(pages->ConversionSummary.MemoErrorLog->isHidden());
    EXPECT_EQ(pages->ConversionSummary.MemoErrorLog->toPlainText(),
              "in1.avi: Invalid data\nin2.avi: Invalid data");
    EXPECT_EQ(form->LabelFinishTitle1->text(), "Wiz Converter has finished the conversion.");
    GalleryShot(form, "Wizard-Step4");

    // A click is a press and a release over the link, as on a button.
    form->show();
    QTest::mousePress(pages->ConversionSummary.LabelOpenFolder, Qt::LeftButton);
    EXPECT_TRUE(fut->services.Shell.Opened.isEmpty());
    QTest::mouseRelease(pages->ConversionSummary.LabelOpenFolder, Qt::LeftButton);
    EXPECT_EQ(fut->services.Shell.Opened, QStringList{"/stored/output/"});

    wizard->ActionNext->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Mode);
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 0);
    EXPECT_EQ(pages->Conversion.ListViewConverting->topLevelItemCount(), 0);

    fut->vars.ErrorList.clear();
    wizard->ShowConversionSummary();
    EXPECT_TRUE(pages->ConversionSummary.MemoErrorLog->isHidden());

    // The summary's Exit quits, after asking.
    ExpectExitAsksBeforeQuitting();
}

TEST_F(WizardFlow, DownloadRoute) {
    Start(kEditionWithDownload);
    int* nextLinks = CountMessages(pmNextLink);
    int aborts = 0;
    wizard->Hooks.AbortTransfers = [&] { ++aborts; };
    wizard->Hooks.QualitySummary = [] { return QStringLiteral("Prefer: 1 > 2"); };
    fut->vars.OutputURLDir = "/stored/videos";
    fut->vars.PreferYouTubeQuality = false;
    fut->vars.DownloadedFiles = QStringList{"/old/file.flv"};

    wizard->ActionNext->trigger(); // download is checked at start
    ExpectTexts(TWizardPage::Step5, "Download", true, true, "Cancel");
    EXPECT_EQ(form->LabelTitle->text(), "Copy a YouTube link from your browser address bar and Paste here");
    EXPECT_EQ(pages->Links.EditURLOutput->text(), "/stored/videos");
    EXPECT_FALSE(pages->Links.CheckBoxYouTubeQuality->isChecked());
    EXPECT_FALSE(pages->Links.ButtonYouTubeQualityConfig->isEnabled());
    EXPECT_EQ(pages->Links.LabelYouTubeQuality->text(), "Prefer: 1 > 2");

    wizard->ActionNext->trigger();
    EXPECT_EQ(LastMessage(), "Please Copy & Paste the YouTube video links you want to download.");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step5);

    AddLinks({"http://127.0.0.1/watch?v=a", "http://127.0.0.1/watch?v=b"});
    QFile blocker(Folder("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    pages->Links.EditURLOutput->setText(Folder("file/videos"));
    wizard->ActionNext->trigger();
    EXPECT_EQ(LastMessage(),
              "Fail to create directory! Please check if output folder have the right format!");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step5);

    pages->Links.EditURLOutput->setText(Folder("videos"));
    pages->Links.CheckBoxYouTubeQuality->setChecked(true);
    GalleryShot(form, "Wizard-Step5");
    wizard->ActionNext->trigger();
    ExpectTexts(TWizardPage::Step6, "Next", false, false, "Cancel");
    EXPECT_EQ(fut->vars.OutputURLDir, Folder("videos") + "/");
    EXPECT_TRUE(fut->vars.PreferYouTubeQuality);
    EXPECT_TRUE(fut->vars.DownloadedFiles.isEmpty());
    EXPECT_EQ(fut->vars.LinksInRun, 2);
    EXPECT_EQ(fut->vars.LinksDownloaded, 0);
    ASSERT_EQ(pages->Download.ListViewURLDownload->topLevelItemCount(), 2);
    QTreeWidgetItem* row = pages->Download.ListViewURLDownload->topLevelItem(1);
    EXPECT_EQ(row->text(0), "http://127.0.0.1/watch?v=b");
    EXPECT_EQ(row->text(1), "Waiting...");
    EXPECT_EQ(row->text(2), "0 KB");
    EXPECT_EQ(row->text(3), "0 KB/s");
    EXPECT_EQ(row->text(4), "0%");
    EXPECT_EQ(row->text(5), "...");
    QCoreApplication::processEvents();
    EXPECT_EQ(*nextLinks, 1);
    GalleryShot(form, "Wizard-Step6");

    Answer({QMessageBox::No, QMessageBox::Yes});
    wizard->ActionExit->trigger();
    EXPECT_EQ(aborts, 0);
    wizard->ActionExit->trigger();
    EXPECT_EQ(LastMessage(), "Do you really want to cancel the downloading?");
    EXPECT_EQ(aborts, 1);

    fut->vars.LinksDownloaded = 1;
    pages->Download.LabelSpeed->setText("12 KB/s");
    wizard->ShowDownloadSummary();
    ExpectTexts(TWizardPage::Step7, "Finish", true, false, "Exit");
    EXPECT_EQ(pages->DownloadSummary.LabelURLTotalFiles->text(), "2");
    EXPECT_EQ(pages->DownloadSummary.LabelURLSucedded->text(), "1");
    EXPECT_EQ(pages->DownloadSummary.LabelURLFailed->text(), "1");
    EXPECT_EQ(pages->Download.LabelSpeed->text(), "...");
    EXPECT_EQ(pages->Download.LabelProgressBarDownload->text(), "0%");
    EXPECT_EQ(pages->Links.ListViewInputURL->topLevelItemCount(), 0);
    EXPECT_EQ(pages->Download.ListViewURLDownload->topLevelItemCount(), 0);
    GalleryShot(form, "Wizard-Step7");
    pages->DownloadSummary.LabelURLOpenFolder->clicked();
    EXPECT_EQ(fut->services.Shell.Opened.back(), Folder("videos") + "/");

    wizard->ActionNext->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Mode);

    // Back on the link page asks, and clears the links on Yes.
    wizard->ActionNext->trigger();
    AddLinks({"http://127.0.0.1/watch?v=c"});
    Answer({QMessageBox::No});
    wizard->ActionBack->trigger();
    EXPECT_EQ(pages->Links.ListViewInputURL->topLevelItemCount(), 1);
    Answer({QMessageBox::Yes});
    wizard->ActionBack->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Mode);
    EXPECT_EQ(pages->Links.ListViewInputURL->topLevelItemCount(), 0);
}

TEST_F(WizardFlow, EditionWithoutDownloadModeStartsOnTheFilesAndJoins) {
    Start(kEditionConvertOnly);
    ExpectTexts(TWizardPage::Step1, "Next", true, false, "Exit");
    wizard->ActionBack->trigger(); // disabled: nothing happens
    EXPECT_TRUE(dialogs->Shown.empty());

    AddInputRows(1);
    wizard->ActionNext->trigger();
    ExpectTexts(TWizardPage::Step2, "Join Now", true, true, "Cancel");
    GalleryShot(form, "Wizard-Step2-Join");
    Answer({QMessageBox::Yes});
    wizard->ActionExit->trigger();
    ExpectTexts(TWizardPage::Step1, "Next", true, false, "Exit");
    EXPECT_EQ(pages->Input.NextGrid->rowCount(), 0);

    ExpectExitAsksBeforeQuitting();
}

TEST_F(WizardFlow, InputListActionsFollowSelectionAndRows) {
    Start(kEditionWithDownload);
    auto expectEnabled = [&](bool del, bool play, bool clear, bool up, bool down) {
        QCoreApplication::processEvents(); // the list re-evaluates when idle
        EXPECT_EQ(wizard->ActionDelete->isEnabled(), del);
        EXPECT_EQ(wizard->ActionPlay->isEnabled(), play);
        EXPECT_EQ(wizard->ActionClear->isEnabled(), clear);
        EXPECT_EQ(wizard->ActionMoveUp->isEnabled(), up);
        EXPECT_EQ(wizard->ActionMoveDown->isEnabled(), down);
    };
    expectEnabled(false, false, false, false, false);
    AddInputRows(3);
    expectEnabled(false, false, true, false, false);
    pages->Input.NextGrid->selectRow(1);
    expectEnabled(true, true, true, true, true);
    pages->Input.NextGrid->selectRow(2);
    expectEnabled(true, true, true, true, false);
    pages->Input.NextGrid->selectRow(0);
    expectEnabled(true, true, true, false, true);
    pages->Input.NextGrid->clearSelection();
    expectEnabled(false, false, true, false, false);

    EXPECT_EQ(wizard->ActionAdd->text(), "&Add Video...");
    EXPECT_EQ(wizard->ActionAdd->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(wizard->ActionClear->shortcut(), QKeySequence("Shift+Del"));
    EXPECT_EQ(wizard->ActionMoveDown->text(), "M&ove Down");
    EXPECT_EQ(wizard->ActionExit->shortcut(), QKeySequence("Alt+F4"));
}

TEST_F(WizardFlow, FolderPickersStoreTheChosenFolderWithASeparator) {
    Start(kEditionWithDownload);
    fut->vars.OutputFileDir = "/before/";
    dialogs->Folders = {"/picked/out", ""};
    pages->Format.ButtonSelectDir->click();
    EXPECT_EQ(pages->Format.EditOutputDir->text(), "/picked/out/");
    EXPECT_EQ(fut->vars.OutputFileDir, "/picked/out/");
    EXPECT_EQ(dialogs->FolderPrompts.back(), "Please select a folder");
    pages->Format.ButtonSelectDir->click(); // cancelled
    EXPECT_EQ(fut->vars.OutputFileDir, "/picked/out/");

    dialogs->Folders = {"/picked/videos/"};
    pages->Links.ButtonURLSelect->click();
    EXPECT_EQ(pages->Links.EditURLOutput->text(), "/picked/videos/");
    EXPECT_EQ(fut->vars.OutputURLDir, "/picked/videos/");
}

TEST_F(WizardFlow, ModeImagesPickTheirRouteAndLogButtonShowsTheLog) {
    Start(kEditionWithDownload);
    QTest::mouseClick(form->ImageConvertVideo, Qt::LeftButton);
    EXPECT_TRUE(pages->Mode.RadioButtonConvertVideo->isChecked());
    QTest::mouseClick(form->ImageDownloadVideo, Qt::LeftButton);
    EXPECT_TRUE(pages->Mode.RadioButtonDownloadVideo->isChecked());

    TFormLog log(fut->services.Bundle());
    AttachLogWindow(*form, log);
    form->ButtonLog->click();
    EXPECT_TRUE(log.isVisible());

    // Engine lines at llError and worse reach the log in the designed form.
    FFLogger().Log(nullptr, llWarning, "Past duration too large");
    FFLogger().Deliver(nullptr, 1234, llError, "Invalid data");
    EXPECT_EQ(log.MemoLog->toPlainText(), "#1234.3: Invalid data");

    // Closing the log stores its placement in the settings file.
    log.close();
    QFile settings(SettingsFilePath(fut->vars));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("[FormLog]"));
}

TEST_F(WizardFlow, SavingErrorsAtCloseAreShownAndClosingGoesOn) {
    Start(kEditionWithDownload);
    form->show();
    QFile blocker(Folder("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    fut->vars.SettingsDir = Folder("file") + "/"; // no folder can live below a plain file
    form->ButtonClose->click();                   // closes without asking
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(dialogs->Shown.size(), 1u);
    EXPECT_EQ(dialogs->Shown[0].Kind, TMsgDlgType::mtError);
}

} // namespace
