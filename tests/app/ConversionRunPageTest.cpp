// Real conversion runs in the window: queueing, progress, task ends, the sound, the
// shutdown offer, cancelling and join mode, each ending on the summary page.

#include "ConvertWindow.h"
#include "GalleryShot.h"
#include "app/FormShutdown.h"
#include "convert/InputRowTexts.h"
#include "ui/ImageButton.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <csignal>
#include <sys/resource.h>

namespace {

// Files written while it lives stop growing at a size, as on a full disk.
class DiskFullAfter {
public:
    explicit DiskFullAfter(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullAfter() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    DiskFullAfter(const DiskFullAfter&) = delete;
    DiskFullAfter& operator=(const DiskFullAfter&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

class ConversionRunTest : public ConvertWindow {
protected:
    QTreeWidgetItem* ConvertingRow(int i) const {
        return pages->Conversion.ListViewConverting->topLevelItem(i);
    }
    QStringList Outputs(const QString& pattern) const {
        return QDir(scratch).entryList({pattern}, QDir::Files, QDir::Name);
    }
    // A run of count long inputs, started and past its first progress report.
    bool RunningLongTones(int count) {
        Start();
        form->InputListPage->AddFiles(QStringList(count, Fixture("long_tone.mp3")));
        ChooseFormat(fmtMP3, 3);
        wizard->ActionNext->trigger();
        wizard->ActionNext->trigger();
        return WaitUntil([this] { return pages->Conversion.LabelCurrentFile->text() != "..."; });
    }
    // Duration of a media file as the probe decoder reports it, in microseconds.
    int64_t ProbedDurationUs(const QString& path) {
        TFFDecoder& decoder = form->FFEncoder->Decoder();
        if (!decoder.LoadFile(path.toStdString()))
            return -1;
        TFileStreamInfo info;
        decoder.GetFileStreamInfo(info);
        decoder.CloseFile();
        return info.Duration;
    }
};

TEST_F(ConversionRunTest, ThreeFilesToMp3ReachTheSummaryWithTheDoneSound) {
    Start();
    form->InputListPage->AddFiles({Fixture("audio.mp3"), Fixture("av.mp4"), Fixture("audio.wav")});
    ChooseFormat(fmtMP3, 0);
    vars->PlayASoundWhenFinished = true;
    // The overall bar as each file finishes: it counts the whole run, not the file.
    std::vector<int> barAtFinish;
    QObject::connect(pages->Conversion.ListViewConverting, &QTreeWidget::itemChanged,
                     [&](QTreeWidgetItem* item, int column) {
                         if (column == 2 && item->text(2) == "Finish.")
                             barAtFinish.push_back(pages->Conversion.ProgressBar->value());
                     });
    ASSERT_TRUE(ConvertToSummary());

    ASSERT_EQ(barAtFinish.size(), 3u);
    EXPECT_LT(barAtFinish[0], barAtFinish[1]);
    EXPECT_LT(barAtFinish[1], barAtFinish[2]);
    EXPECT_EQ(barAtFinish[2], 100);
    EXPECT_EQ(SummaryCounts(), "3/3/0");
    EXPECT_FALSE(pages->ConversionSummary.MemoErrorLog->isVisible());
    EXPECT_EQ(fut->services.Sound.Files, QStringList({SoundFile("done.wav")}));
    EXPECT_EQ(Outputs("*.mp3"), QStringList({"audio(1).mp3", "audio.mp3", "av.mp3"}))
        << "the second audio input finds its name taken";
    EXPECT_EQ(LogLines().count("File has been added to convert list."), 3);
    EXPECT_TRUE(LogLines().first().startsWith("Codec threads: automatic ("))
        << LogLines().join('\n').toStdString();

    QTreeWidget* list = pages->Conversion.ListViewConverting;
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(2), "Status");
    EXPECT_EQ(list->headerItem()->text(3), "Progress");
    EXPECT_EQ(pages->Conversion.LabelCurrentFileTitle->text(), "Current file:");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ConvertingRow(i)->text(2), "Finish.");
        EXPECT_EQ(ConvertingRow(i)->text(3), "100%");
    }
    EXPECT_EQ(ConvertingRow(1)->text(0), "av.mp4");
    EXPECT_EQ(ConvertingRow(1)->text(1), "00:00:03.000");
    EXPECT_EQ(ConvertingRow(1)->text(4), QString::fromStdString(Fixtures::Folder()) + "/");
    EXPECT_EQ(pages->Conversion.LabelCurrentFile->text(), "...");
    EXPECT_EQ(pages->Conversion.LabelProgress->text(), "0%");
    EXPECT_EQ(form->FFEncoder->TaskCount(), 0);
    EXPECT_EQ(vars->ProcessedDurationUs, vars->TotalDurationUs) << "every task's own duration counted once";
    EXPECT_NE(pages->Conversion.LabelElapsed->text(), "...") << "progress showed the time figures";

    // Finish clears both lists; a second run starts from zero.
    wizard->ActionNext->trigger();
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    form->InputListPage->AddFiles({Fixture("proof_audio.mp3")});
    ASSERT_TRUE(ConvertToSummary());
    EXPECT_EQ(SummaryCounts(), "1/1/0");
    EXPECT_EQ(vars->ProcessedDurationUs, vars->TotalDurationUs);
}

TEST_F(ConversionRunTest, RefusedInputsStayOutAndAFailingTaskGivesItsLineAndTheFailSound) {
    Start();
    form->InputListPage->AddFiles({Fixture("av.mp4"), Fixture("audio.wav"), Fixture("proof_audio.mp3")});
    ASSERT_EQ(grid->rowCount(), 3);
    // The first input disappears before the run: it is refused at queueing time, so
    // the later tasks no longer match their input rows.
    const QString gone = QDir(scratch).filePath("gone.mp4");
    QFile::copy(Fixture("av.mp4"), gone);
    grid->item(0, NxTextColumnFileFullName)->setText(gone);
    QFile::remove(gone);
    ChooseFormat(fmtWAV, 0); // 11025 Hz mono 16 bits: 3 s need 66 KB, 1 s 22 KB
    vars->PlayASoundWhenFinished = true;
    {
        DiskFullAfter full(40 * 1024);
        ASSERT_TRUE(ConvertToSummary());
    }

    EXPECT_EQ(SummaryCounts(), "2/1/1");
    EXPECT_EQ(fut->services.Sound.Files, QStringList({SoundFile("fail.wav")}));
    EXPECT_EQ(LogLines().filter("File load error: ").size(), 1) << LogLines().join('\n').toStdString();
    EXPECT_TRUE(pages->ConversionSummary.MemoErrorLog->isVisible());
    const QStringList errors = pages->ConversionSummary.MemoErrorLog->toPlainText().split('\n');
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("File (0): ")) << errors[0].toStdString();
    ASSERT_EQ(pages->Conversion.ListViewConverting->topLevelItemCount(), 2);
    EXPECT_EQ(ConvertingRow(0)->text(2), "Failed.");
    EXPECT_EQ(ConvertingRow(1)->text(2), "Finish.");
    // Only the task that completed counts as done, with its own input's duration.
    EXPECT_EQ(vars->ProcessedDurationUs, ProbedDurationUs(Fixture("proof_audio.mp3")));
}

TEST_F(ConversionRunTest, CancelDuringTheFirstOfThreeTasksStillReachesTheSummary) {
    ASSERT_TRUE(RunningLongTones(3)) << "the first task reports progress";
    EXPECT_EQ(wizard->ActionExit->text(), "Cancel");
    EXPECT_FALSE(wizard->ActionNext->isEnabled());
    EXPECT_EQ(ConvertingRow(0)->text(2), "Converting...");
    EXPECT_EQ(ConvertingRow(1)->text(2), "Waiting...");
    form->show();
    GalleryShot(form, "ConvertingPage");
    fut->services.Dialogs.Answers = {QMessageBox::Yes};
    wizard->ActionExit->trigger();
    EXPECT_EQ(fut->services.Dialogs.Shown.back().Message, "Do you really want to cancel the conversion?");
    ASSERT_TRUE(WaitUntil([this] { return wizard->CurrentPage() == TWizardPage::Step4; }));
    EXPECT_EQ(SummaryCounts(), "3/0/3");
    EXPECT_TRUE(LogLines().contains("The conversion was cancelled by the user."));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ConvertingRow(i)->text(2), "Failed.");
    EXPECT_TRUE(fut->services.Sound.Files.isEmpty()) << "the sound option was off";
}

// The window torn down mid-run (the program ending) stops the engine while the pages it
// reports to still exist.
TEST_F(ConversionRunTest, DestroyingTheWindowMidRunStopsTheEngineFirst) {
    ASSERT_TRUE(RunningLongTones(2)) << "the first task reports progress";
    fut.reset();
    form = nullptr;
    // Reports of the stopped tasks that were still queued find nothing to touch.
    MainThread::PumpSlice(std::chrono::milliseconds(200));
}

TEST_F(ConversionRunTest, CloseRequestsWhileConvertingAskFirstAndNoKeepsTheRun) {
    ASSERT_TRUE(RunningLongTones(2)) << "the first task reports progress";
    form->show();
    const QString question = "Do you really want to cancel the conversion?";

    // The skin's close button, then the window manager's close request: both answered No.
    form->ButtonClose->click();
    QCloseEvent request;
    QApplication::sendEvent(form, &request);
    EXPECT_FALSE(request.isAccepted());
    ASSERT_EQ(fut->services.Dialogs.Shown.size(), 2u);
    for (const TMessageRequest& asked : fut->services.Dialogs.Shown)
        EXPECT_EQ(asked.Message, question);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step3);
    EXPECT_EQ(form->FFEncoder->TaskCount(), 2) << "the run goes on";

    fut->services.Dialogs.Answers = {QMessageBox::Yes};
    EXPECT_TRUE(form->close());
    EXPECT_EQ(fut->services.Dialogs.Shown.back().Message, question);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ConversionRunTest, TheCancelQuestionIsClosedWhenTheRunEndsAndALateYesCancelsNothing) {
    Start();
    form->InputListPage->AddFiles({Fixture("audio.wav")});
    ChooseFormat(fmtMP3, 3);
    wizard->ActionNext->trigger();
    form->show();
    // A real box: the run ends while it is open and closes it unanswered.
    fut->services.Dialogs.RealBoxes = true;
    wizard->ActionNext->trigger();
    wizard->ActionExit->trigger();
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step4);
    EXPECT_EQ(SummaryCounts(), "1/1/0");
    for (QMessageBox* box : form->findChildren<QMessageBox*>())
        EXPECT_FALSE(box->isVisible()) << qPrintable(box->text());
    fut->services.Dialogs.RealBoxes = false;

    // Answered Yes only after the run has ended.
    wizard->ActionNextExecute(); // Finish
    form->InputListPage->AddFiles({Fixture("audio.wav")});
    wizard->ActionNext->trigger();
    wizard->ActionNext->trigger();
    fut->services.Dialogs.Answers = {QMessageBox::Yes};
    fut->services.Dialogs.WhileShown = [this](const TMessageRequest&) {
        EXPECT_TRUE(WaitUntil([this] { return wizard->CurrentPage() == TWizardPage::Step4; }));
    };
    wizard->ActionExit->trigger();
    fut->services.Dialogs.WhileShown = nullptr;
    EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step4);
    EXPECT_EQ(SummaryCounts(), "1/1/0");
    EXPECT_EQ(wizard->ActionNext->text(), "Finish");
    EXPECT_FALSE(LogLines().contains("The conversion was cancelled by the user."));
}

TEST_F(ConversionRunTest, JoinModeMakesOneOutputAsLongAsItsInputs) {
    Start(kEditionJoin);
    form->InputListPage->AddFiles({Fixture("audio.mp3"), Fixture("av.mp4")});
    ChooseFormat(fmtMP3, 0);
    ASSERT_TRUE(ConvertToSummary());

    EXPECT_EQ(SummaryCounts(), "1/1/0");
    EXPECT_EQ(Outputs("*.mp3"), QStringList({"Output_Merge.mp3"}));
    QTreeWidget* list = pages->Conversion.ListViewConverting;
    EXPECT_EQ(list->headerItem()->text(2), "Width x Height");
    EXPECT_EQ(list->headerItem()->text(3), "Aspect Ratio");
    EXPECT_EQ(pages->Conversion.LabelCurrentFileTitle->text(), "Output file:");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(ConvertingRow(1)->text(2), "320x240");
    EXPECT_EQ(ConvertingRow(1)->text(4), QDir(scratch).filePath("Output_Merge.mp3"));
    const int64_t joined = ProbedDurationUs(QDir(scratch).filePath("Output_Merge.mp3"));
    const int64_t inputs = ProbedDurationUs(Fixture("audio.mp3")) + ProbedDurationUs(Fixture("av.mp4"));
    EXPECT_NEAR(double(joined), double(inputs), 150'000.0);
}

TEST_F(ConversionRunTest, ShutdownIsOfferedAndReachesPowerOnlyWhenTheCountdownRunsOut) {
    Start();
    // Every input refused: the run has no task and still ends on the summary.
    grid->insertRow(0);
    grid->setItem(0, NxTextColumnFileFullName, new QTableWidgetItem(QDir(scratch).filePath("missing.wav")));
    ChooseFormat(fmtWAV, 0);
    vars->ShutDownWhenFinished = true;
    vars->PlayASoundWhenFinished = true;
    int offers = 0;
    WhenModalOpens<TFormShutdown>([&](TFormShutdown* dialog) {
        ++offers;
        EXPECT_EQ(wizard->CurrentPage(), TWizardPage::Step3) << "offered before the summary";
        dialog->ButtonCancel->click();
    });
    ASSERT_TRUE(ConvertToSummary());
    EXPECT_EQ(offers, 1);
    EXPECT_TRUE(fut->services.Power.Performed.empty());
    EXPECT_EQ(SummaryCounts(), "0/0/0");
    EXPECT_EQ(fut->services.Sound.Files, QStringList({SoundFile("done.wav")}));

    // Left alone, the countdown runs out and the machine would be switched off.
    wizard->ActionNext->trigger(); // Finish
    grid->insertRow(0);
    grid->setItem(0, NxTextColumnFileFullName, new QTableWidgetItem(QDir(scratch).filePath("missing.wav")));
    WhenModalOpens<TFormShutdown>([&](TFormShutdown* dialog) {
        ++offers;
        for (int tick = 0; tick < 31; ++tick)
            dialog->TimerShutdownTimer();
    });
    ASSERT_TRUE(ConvertToSummary());
    EXPECT_EQ(offers, 2);
    ASSERT_EQ(fut->services.Power.Performed.size(), 1u);
    EXPECT_EQ(fut->services.Power.Performed[0], TPowerKind::pkShutdown);

    // The boxes write their state back on every click.
    pages->Conversion.CheckBoxShutdown->click();
    EXPECT_FALSE(vars->ShutDownWhenFinished);
    pages->Conversion.CheckBoxPlayASound->click();
    EXPECT_FALSE(vars->PlayASoundWhenFinished);
}

} // namespace
