#include "EditionTestDir.h"
#include "FakeVideoService.h"
#include "Fixtures.h"
#include "GalleryShot.h"
#include "app/FormLog.h"
#include "app/Wizard.h"
#include "convert/InputListPage.h"
#include "download/DownloadPage.h"
#include "download/LinkPage.h"
#include "download/QualityGroup.h"
#include "download/YouTubeHQ.h"
#include "net/WinHTTP.h"
#include "ui/SlideGrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Answer = FakeVideoService::Answer;

namespace {

const QString kEdition = Edition("Name=Wiz Downloader\nVersion=1.0\nDownload=1\nMP4=1\nAVI=1\n");

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QStringList Rows(QTreeWidget* list, int column = 0) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

class DownloadFlow : public ::testing::Test {
protected:
    void SetUp() override {
        // Only the service started here may answer.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        qputenv("NO_PROXY", "*");
        qputenv(kVideoServiceVariable, QByteArray::fromStdString(service.Host()));
        fut = std::make_unique<FormUnderTest>(kEdition);
        log = std::make_unique<TFormLog>(fut->services.Bundle());
        fut->form->SetLogWindow(log.get());
        ASSERT_TRUE(fut->form->FormCreate());
        form = fut->form.get();
        wizard = form->Wizard;
        links = &form->Pages.Links;
        download = &form->Pages.Download;
        summary = &form->Pages.DownloadSummary;
        dialogs = &fut->services.Dialogs;
        out = QDir(scratch.path()).filePath("videos") + "/";
        form->Globals().OutputURLDir = out;
        form->resize(form->size());
    }
    void TearDown() override {
        fut.reset();
        qunsetenv(kVideoServiceVariable);
    }

    void ToLinkPage() {
        wizard->ActionNext->trigger(); // the mode page has download chosen
        ASSERT_EQ(wizard->CurrentPage(), TWizardPage::Step5);
    }
    // The designed action list updates on idle: a user's click always comes after it.
    static void Trigger(QAction* action) {
        QApplication::processEvents();
        action->trigger();
    }
    void Paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        Trigger(wizard->ActionURLPaste);
    }
    QString Link(const std::string& id) const { return QString::fromStdString(service.Link(id)); }
    void AddVideo(const std::string& id, const std::string& title, std::map<int, Answer> formats,
                  std::string bytes = {}) {
        service.Add(id, title, std::move(formats), std::move(bytes));
    }
    bool WaitForPage(TWizardPage page, int ms = 30000) {
        return QTest::qWaitFor([&] { return wizard->CurrentPage() == page; }, ms);
    }
    QStringList FilesInOut() const {
        return QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    FakeVideoService service;
    QTemporaryDir scratch;
    std::unique_ptr<FormUnderTest> fut;
    std::unique_ptr<TFormLog> log;
    TFormMain* form = nullptr;
    TWizard* wizard = nullptr;
    TLinkPageWidgets* links = nullptr;
    TDownloadPageWidgets* download = nullptr;
    TDownloadSummaryWidgets* summary = nullptr;
    FakeDialogs* dialogs = nullptr;
    QString out;
};

} // namespace

TEST_F(DownloadFlow, PastedLinesAreCheckedOneByOne) {
    ToLinkPage();
    const QString three = Link("a") + "\r\nhttp://example.com/video\r\n" + Link("c") + "\r\n";
    dialogs->Answers = {QMessageBox::Ok};
    Paste(three);
    ASSERT_EQ(dialogs->Shown.size(), 1u);
    EXPECT_EQ(dialogs->Shown[0].Message, "http://example.com/video\n\r\n\rThis is not a YouTube video link.");
    EXPECT_EQ(dialogs->Shown[0].Caption, "Wiz Downloader");
    EXPECT_EQ(dialogs->Shown[0].Buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(Rows(links->ListViewInputURL), (QStringList{Link("a"), Link("c")}));

    // Cancel stops the paste at the rejected line.
    Trigger(wizard->ActionURLEmpty);
    dialogs->Answers = {QMessageBox::Cancel};
    Paste(three);
    EXPECT_EQ(Rows(links->ListViewInputURL), QStringList{Link("a")});

    // Another letter case is another link; the same text is refused.
    const QString upper = Link("a").replace("v=a", "v=A");
    dialogs->Answers = {QMessageBox::Ok};
    Paste(upper + "\n" + Link("a"));
    EXPECT_EQ(Rows(links->ListViewInputURL), (QStringList{Link("a"), upper}));
    EXPECT_EQ(dialogs->Shown.back().Message,
              Link("a") + "\n\r\n\rThis video is already in the download list.");
}

TEST_F(DownloadFlow, RemoveSelectsTheNextRowAndActionsFollowTheList) {
    ToLinkPage();
    QGuiApplication::clipboard()->clear();
    QApplication::processEvents();
    QTreeWidget* list = links->ListViewInputURL;
    QStringList five;
    for (const char* id : {"1", "2", "3", "4", "5"})
        five << Link(id);
    Paste(five.join("\n"));
    QApplication::processEvents();
    EXPECT_EQ(list->topLevelItemCount(), 5);
    EXPECT_TRUE(wizard->ActionURLPaste->isEnabled());
    EXPECT_FALSE(wizard->ActionURLRemove->isEnabled());
    EXPECT_TRUE(wizard->ActionURLEmpty->isEnabled());

    list->setCurrentItem(list->topLevelItem(1));
    QApplication::processEvents();
    EXPECT_TRUE(wizard->ActionURLRemove->isEnabled());
    Trigger(wizard->ActionURLRemove);
    EXPECT_EQ(Rows(list), (QStringList{Link("1"), Link("3"), Link("4"), Link("5")}));
    EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(1)});

    list->setCurrentItem(list->topLevelItem(3));
    Trigger(wizard->ActionURLRemove);
    EXPECT_EQ(Rows(list), (QStringList{Link("1"), Link("3"), Link("4")}));
    EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(2)});

    // Double-click opens the selected link with the shell.
    emit list->itemDoubleClicked(list->topLevelItem(2), 0);
    EXPECT_EQ(fut->services.Shell.Opened, QStringList{Link("4")});

    QGuiApplication::clipboard()->clear();
    QApplication::processEvents();
    EXPECT_FALSE(wizard->ActionURLPaste->isEnabled());
    Trigger(wizard->ActionURLEmpty);
    QApplication::processEvents();
    EXPECT_FALSE(wizard->ActionURLEmpty->isEnabled());
    EXPECT_FALSE(wizard->ActionURLRemove->isEnabled());
}

TEST_F(DownloadFlow, QualityGroupAndDialog) {
    form->Globals().PreferYouTubeQuality = true;
    form->Globals().PreferYouTube = kDefaultQualityOrder;
    ToLinkPage();
    EXPECT_EQ(links->LabelYouTubeQuality->text(),
              "Prefer: [HQ18] > [HQ35] > [HQ22] > [HQ6] > [HQ13] > [HQ17] > [HQ34] > [HQ37]");
    EXPECT_TRUE(links->ButtonYouTubeQualityConfig->isEnabled());
    links->CheckBoxYouTubeQuality->click();
    EXPECT_EQ(links->LabelYouTubeQuality->text(), "[Defatult Quality - HQ5]");
    EXPECT_FALSE(links->ButtonYouTubeQualityConfig->isEnabled());
    links->CheckBoxYouTubeQuality->click();

    // Up on the top row and Down on the bottom row change nothing; OK stores the order.
    form->QualityGroup->ShowDialog = [&](TFormYouTubeHQ& dialog) {
        QTreeWidget* list = dialog.ListViewYouTubeHQ;
        EXPECT_EQ(list->topLevelItemCount(), 8);
        EXPECT_EQ(list->topLevelItem(0)->text(1), "MP4");
        EXPECT_EQ(list->topLevelItem(0)->text(3), "Stereo");
        list->setCurrentItem(list->topLevelItem(0));
        dialog.ButtonUp->click();
        EXPECT_EQ(list->topLevelItem(0)->text(0), "[HQ18]");
        list->setCurrentItem(list->topLevelItem(7));
        dialog.ButtonDown->click();
        EXPECT_EQ(list->topLevelItem(7)->text(0), "[HQ37]");
        dialog.ButtonUp->click();
        EXPECT_EQ(list->topLevelItem(6)->text(0), "[HQ37]");
        EXPECT_TRUE(list->topLevelItem(6)->isSelected());
        GalleryShot(&dialog, "Download-QualityDialog");
        return int(QDialog::Accepted);
    };
    links->ButtonYouTubeQualityConfig->click();
    EXPECT_EQ(form->Globals().PreferYouTube, (TQualitySlots{1, 2, 3, 0, 4, 5, 7, 6}));
    EXPECT_EQ(links->LabelYouTubeQuality->text(),
              "Prefer: [HQ18] > [HQ35] > [HQ22] > [HQ6] > [HQ13] > [HQ17] > [HQ37] > [HQ34]");

    // Best Available is stored at once, even when the dialog is then cancelled; the label
    // keeps the old order until the page is entered again.
    form->QualityGroup->ShowDialog = [&](TFormYouTubeHQ& dialog) {
        dialog.ButtonBestAvailable->click();
        return int(QDialog::Rejected);
    };
    links->ButtonYouTubeQualityConfig->click();
    EXPECT_EQ(form->Globals().PreferYouTube, kBestAvailableOrder);
    EXPECT_EQ(links->LabelYouTubeQuality->text(),
              "Prefer: [HQ18] > [HQ35] > [HQ22] > [HQ6] > [HQ13] > [HQ17] > [HQ37] > [HQ34]");
    wizard->EnterLinkPage();
    EXPECT_EQ(links->LabelYouTubeQuality->text(),
              "Prefer: [HQ37] > [HQ22] > [HQ35] > [HQ18] > [HQ6] > [HQ34] > [HQ13] > [HQ17]");

    // Stored codes outside the table: the dialog still orders all eight qualities.
    form->Globals().PreferYouTube = {7, 200, 7, 3, 9, 1, 2, 0};
    form->QualityGroup->ShowDialog = [&](TFormYouTubeHQ&) { return int(QDialog::Accepted); };
    links->ButtonYouTubeQualityConfig->click();
    EXPECT_EQ(form->Globals().PreferYouTube, (TQualitySlots{7, 3, 1, 2, 0, 4, 5, 6}));
}

TEST_F(DownloadFlow, ThreeLinksWithTheSecondFailingAndTheHandOver) {
    const std::string media = ReadAll(Fixtures::Path("av.mp4"));
    AddVideo("one", "First &amp; best", {{18, Answer::File}}, media);
    AddVideo("two", "Second", {});
    AddVideo("three", "Third: last?", {{35, Answer::Redirect}}, media);
    ToLinkPage();
    Paste(Link("one") + "\n" + Link("two") + "\n" + Link("three"));
    GalleryShot(form, "Download-LinkPage");
    wizard->ActionNext->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step6);
    ASSERT_TRUE(WaitForPage(TWizardPage::Step7));

    EXPECT_EQ(summary->LabelURLTotalFiles->text(), "3");
    EXPECT_EQ(summary->LabelURLSucedded->text(), "2");
    EXPECT_EQ(summary->LabelURLFailed->text(), "1");
    EXPECT_EQ(download->ListViewURLDownload->topLevelItemCount(), 0);
    EXPECT_EQ(download->LabelQuality->text(), "...");
    EXPECT_EQ(FilesInOut(), (QStringList{"First && best.mp4", "Third_ last_.flv"}));
    GalleryShot(form, "Download-Summary");

    summary->ButtonConvertDownloaded->click();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step1);
    ASSERT_EQ(form->Pages.Input.NextGrid->rowCount(), 2);
    EXPECT_EQ(form->Pages.Input.NextGrid->item(0, 5)->text(), out + "First && best.mp4");
    EXPECT_EQ(form->Pages.Input.NextGrid->item(1, 5)->text(), out + "Third_ last_.flv");
}

TEST_F(DownloadFlow, CancelDuringTheFirstDownload) {
    FakeVideoService::Video stall;
    stall.Id = "stall";
    stall.Title = "Stalling video";
    stall.Size = 4 << 20;
    stall.Formats = {{18, Answer::Stall}};
    service.Add(stall);
    AddVideo("later", "Later", {{18, Answer::File}});
    ToLinkPage();
    Paste(Link("stall") + "\n" + Link("later"));
    wizard->ActionNext->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return download->ProgressBarDownload->value() > 0; }, 30000));
    EXPECT_EQ(download->LabelURLCurrentFile->text(), "Stalling video");
    EXPECT_EQ(download->LabelURLStatus->text(), "Downloading...");
    EXPECT_EQ(download->LabelProgressBarDownload->text(), "50%");
    EXPECT_EQ(download->LabelQuality->text(), "[HQ18] - Format: MP4; Video: 480x360; Audio: Sterro");
    EXPECT_EQ(Rows(download->ListViewURLDownload, 2), (QStringList{"4.00MB", "0 KB"}));
    GalleryShot(form, "Download-Transfer");

    dialogs->Answers = {QMessageBox::Yes};
    wizard->ActionExit->trigger();
    EXPECT_EQ(dialogs->Shown.back().Message, "Do you really want to cancel the downloading?");
    ASSERT_TRUE(WaitForPage(TWizardPage::Step7, 5000));
    EXPECT_EQ(summary->LabelURLSucedded->text(), "0");
    EXPECT_EQ(summary->LabelURLFailed->text(), "2");
    EXPECT_EQ(wizard->ActionNext->text(), "Finish");
    EXPECT_TRUE(FilesInOut().isEmpty());
    EXPECT_TRUE(log->MemoLog->toPlainText().contains("The downloading was cancelled by the user."));

    summary->ButtonConvertDownloaded->click();
    EXPECT_EQ(dialogs->Shown.back().Message, "No file downloaded! Please try again.");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step7);
}

// The run ends while its cancel question is open: the question closes unanswered and the
// summary counts the finished download.
TEST_F(DownloadFlow, TheCancelQuestionClosesWhenTheRunEnds) {
    AddVideo("quick", "Quick", {{18, Answer::File}});
    ToLinkPage();
    Paste(Link("quick"));
    wizard->ActionNext->trigger();
    ASSERT_EQ(wizard->CurrentPage(), TWizardPage::Step6);
    form->show();
    dialogs->RealBoxes = true;
    // Should the box stay open, the test fails instead of waiting for a user.
    bool leftOpen = false;
    QTimer::singleShot(10000, form, [this, &leftOpen] {
        for (QMessageBox* box : form->findChildren<QMessageBox*>())
            if (box->isVisible()) {
                leftOpen = true;
                box->button(QMessageBox::No)->click();
            }
    });
    wizard->ActionExit->trigger();
    dialogs->RealBoxes = false;
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(dialogs->Shown.back().Message, "Do you really want to cancel the downloading?");
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step7);
    EXPECT_EQ(summary->LabelURLSucedded->text(), "1");
    EXPECT_EQ(FilesInOut(), QStringList{"Quick.mp4"});
    for (QMessageBox* box : form->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible()) << qPrintable(box->text());
}

TEST_F(DownloadFlow, ClosingTheWindowDuringATransferLeavesNoPartialFile) {
    FakeVideoService::Video stall;
    stall.Id = "stall";
    stall.Title = "Stalling";
    stall.Size = 1 << 20;
    stall.Formats = {{18, Answer::Stall}};
    service.Add(stall);
    ToLinkPage();
    Paste(Link("stall"));
    wizard->ActionNext->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return download->ProgressBarDownload->value() > 0; }, 30000));
    EXPECT_EQ(FilesInOut().size(), 1); // the part file
    form->close();
    fut.reset();
    EXPECT_TRUE(FilesInOut().isEmpty());
}

TEST_F(DownloadFlow, PreferenceOffTriesOnlyTheDefaultQuality) {
    AddVideo("hq", "Only in HQ", {{18, Answer::File}});
    form->Globals().PreferYouTubeQuality = true;
    ToLinkPage();
    links->CheckBoxYouTubeQuality->click(); // off
    Paste(Link("hq"));
    wizard->ActionNext->trigger();
    ASSERT_TRUE(WaitForPage(TWizardPage::Step7));
    EXPECT_FALSE(form->Globals().PreferYouTubeQuality);
    EXPECT_EQ(service.FormatRequests("hq"), std::vector<int>{FakeVideoService::kDefaultFormat});
    EXPECT_EQ(summary->LabelURLFailed->text(), "1");
}
