#include "convert/ConversionRunPage.h"

#include "convert/ConversionQueue.h"
#include "convert/EncoderThreads.h"
#include "convert/InputRowTexts.h"
#include "convert/PreviewWindow.h"
#include "support/MainThread.h"
#include "support/PathUtils.h"
#include "support/TimeTexts.h"
#include "ui/SlideGrid.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

// Columns of ListViewConverting.
enum TConvertingColumn { ccName = 0, ccDuration = 1, ccThird = 2, ccFourth = 3, ccPath = 4 };

QString cellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

TOutputSelection selectionOf(const TGlobalVars& globals) {
    TOutputSelection selection;
    selection.OutputFileDir = globals.OutputFileDir.toStdString();
    selection.OutputFormatClass = globals.OutputFormatClass;
    selection.OutputVideoFormat = globals.OutputVideoFormat;
    selection.OutputDeviceFormat = globals.OutputDeviceFormat;
    selection.OutputAudioFormat = globals.OutputAudioFormat;
    selection.Presets = globals.Presets;
    return selection;
}

QString folderOf(const QString& path) {
    return QString::fromStdString(WithTrailingBackslash(QFileInfo(path).absolutePath().toStdString()));
}

QString clock(double seconds) {
    return QString::fromStdString(FormatClockText(seconds));
}

} // namespace

TConversionRunPage::TConversionRunPage(const TInputPageWidgets& input, const TConversionPageWidgets& page,
                                       TFFEncoder& encoder, TGlobalVars& globals, TServices services,
                                       QString exeDir, TConversionRunHooks hooks, QObject* parent)
    : QObject(parent), input_(input), w_(page), encoder_(encoder), globals_(globals), services_(services),
      exeDir_(std::move(exeDir)), hooks_(std::move(hooks)) {
    encoder_.OnProgress = [this](TCustomEncoder& sender, PProgressInfo info) {
        FFEncoderProgress(sender, info);
    };
    encoder_.OnTerminate = [this](TCustomEncoder& sender, TTerminateInfo info) {
        FFEncoderTerminate(sender, std::move(info));
    };
    // A preview the user closed stays off: the box follows, and the next file opens none.
    InstallPreviewWindow(w_.ListViewConverting->window(), [page = QPointer<TConversionRunPage>(this)] {
        if (!page)
            return;
        page->w_.CheckBoxPreview->setChecked(false);
        page->CheckBoxPreviewClick();
    });
    connect(w_.CheckBoxPlayASound, &QCheckBox::clicked, this, &TConversionRunPage::CheckBoxPlayASoundClick);
    connect(w_.CheckBoxShutdown, &QCheckBox::clicked, this, &TConversionRunPage::CheckBoxShutdownClick);
    connect(w_.CheckBoxPreview, &QCheckBox::clicked, this, &TConversionRunPage::CheckBoxPreviewClick);
}

TConversionRunPage::~TConversionRunPage() {
    DetachEncoder();
}

void TConversionRunPage::DetachEncoder() {
    if (detached_.exchange(true))
        return;
    encoder_.OnProgress = nullptr;
    encoder_.OnTerminate = nullptr;
    encoder_.OnVideoInputHook = nullptr;
    encoder_.OnVideoOutputHook = nullptr;
    run_.Abandon();
}

void TConversionRunPage::Log(const QString& line) {
    if (hooks_.AppendLogLine)
        hooks_.AppendLogLine(line);
}

void TConversionRunPage::StartConversionRun() {
    QCoreApplication::processEvents();
    joinMode_ = globals_.JoinMode;
    const bool join = joinMode_;
    encoder_.SetThreads(kAutoThreads);
    Log(QString::fromStdString(CodecThreadsText(kAutoThreads)));
    const std::vector<TQueuedFile> queued = QueueTasks(join);
    run_.SetTotalFiles(join ? 1 : static_cast<int>(queued.size()));
    QTreeWidgetItem* header = w_.ListViewConverting->headerItem();
    header->setText(ccThird, join ? QStringLiteral("Width x Height") : QStringLiteral("Status"));
    header->setText(ccFourth, join ? QStringLiteral("Aspect Ratio") : QStringLiteral("Progress"));
    w_.LabelCurrentFileTitle->setText(join ? QStringLiteral("Output file:")
                                           : QStringLiteral("Current file:"));

    run_.Start(TConversionRun::Clock::now());
    globals_.RunStartTime = run_.StartTime();
    globals_.TotalDurationUs = run_.TotalDurationUs();
    globals_.ProcessedDurationUs = 0;
    tasksStarted_ = encoder_.TaskCount();
    encoder_.StartTask(1);
}

std::vector<TQueuedFile> TConversionRunPage::QueueTasks(bool join) {
    w_.ListViewConverting->clear();
    std::vector<TRunInput> inputs;
    for (int row = 0; row < input_.NextGrid->rowCount(); ++row)
        inputs.push_back(
            {cellText(input_.NextGrid, row, NxTextColumnFileFullName).toStdString(),
             RealDurationOf(cellText(input_.NextGrid, row, NxTextColumnRealDuration).toStdString())});
    const auto log = [this](const std::string& line) { Log(QString::fromStdString(line)); };
    const TOutputSelection selection = selectionOf(globals_);
    std::vector<TQueuedFile> queued = join ? QueueJoinTask(encoder_, selection, inputs, run_, log)
                                           : QueueConversionTasks(encoder_, selection, inputs, run_, log);
    for (const TQueuedFile& file : queued) {
        const QString path = QString::fromStdString(inputs[file.InputIndex].Path);
        const QString name = QFileInfo(path).fileName();
        if (join) {
            const int row = file.InputIndex;
            const QString size = cellText(input_.NextGrid, row, NxTextColumnWidth) + "x" +
                                 cellText(input_.NextGrid, row, NxTextColumnHeight);
            new QTreeWidgetItem(w_.ListViewConverting,
                                {name, QString::fromStdString(FormatDurationText(file.DurationUs)), size,
                                 cellText(input_.NextGrid, row, NxTextColumnAspectRatio),
                                 QString::fromStdString(file.OutputFileName)});
        } else {
            new QTreeWidgetItem(w_.ListViewConverting,
                                {name, QString::fromStdString(InputDurationText(file.DurationUs)),
                                 QStringLiteral("Waiting..."), QString(), folderOf(path)});
        }
    }
    return queued;
}

void TConversionRunPage::FFEncoderProgress(TCustomEncoder&, PProgressInfo AProgressInfo) {
    if (detached_)
        return;
    const TProgressInfo& info = *AProgressInfo;
    QTreeWidgetItem* row = w_.ListViewConverting->topLevelItem(info.TaskIndex);
    if (row)
        w_.LabelCurrentFile->setText(joinMode_ ? row->text(ccPath) : row->text(ccPath) + row->text(ccName));
    const int position = TaskPosition(info.OutputTime, info.TotalTime);
    if (position >= 0) {
        ShowOverallProgress(run_.OverallPosition(info.OutputTime), position);
        if (row && !joinMode_) {
            row->setText(ccFourth, QString::number(std::clamp(position, 0, 100)) + "%");
            row->setText(ccThird, QStringLiteral("Converting..."));
        }
    } else if (row && !joinMode_) {
        row->setText(ccFourth, QStringLiteral("N/A"));
    }
    if (const auto figures = run_.Estimate(info.OutputTime, TConversionRun::Clock::now())) {
        w_.LabelEstimated->setText(clock(figures->EstimatedSec));
        w_.LabelElapsed->setText(clock(figures->ElapsedSec));
        w_.LabelTimeLeft->setText(clock(figures->LeftSec));
    }
}

void TConversionRunPage::FFEncoderTerminate(TCustomEncoder&, TTerminateInfo ATerminateInfo) {
    if (detached_)
        return;
    if (ATerminateInfo.TaskIndex >= 0) {
        run_.TaskEnded(ATerminateInfo.TaskIndex, ATerminateInfo.Completed, ATerminateInfo.Failed,
                       ATerminateInfo.ErrorMessage);
        MainThread::Send([this, index = ATerminateInfo.TaskIndex, completed = ATerminateInfo.Completed] {
            if (!detached_)
                TaskEndedOnMainThread(index, completed);
        });
        return;
    }
    // The run's end: every task's end must be counted before the summary.
    if (!run_.WaitAllCounted(tasksStarted_))
        return;
    MainThread::Send([this] {
        if (!detached_)
            RunEndedOnMainThread();
    });
    if (hooks_.SendRunFinished)
        hooks_.SendRunFinished();
    else
        MainThread::Send([this] { ConversionRunFinished(); });
}

void TConversionRunPage::TaskEndedOnMainThread(int taskIndex, bool completed) {
    QTreeWidgetItem* row = w_.ListViewConverting->topLevelItem(taskIndex);
    if (completed) {
        ShowOverallProgress(run_.OverallPosition(0), 100);
        if (row && !joinMode_) {
            row->setText(ccFourth, QStringLiteral("100%"));
            row->setText(ccThird, QStringLiteral("Finish."));
        }
    } else if (row && !joinMode_) {
        row->setText(ccThird, QStringLiteral("Failed."));
    }
    globals_.ProcessedDurationUs = run_.FinishedDurationUs();
}

void TConversionRunPage::ShowOverallProgress(int overall, int taskPosition) {
    // The bar counts the whole run; where its length is unknown, the running task.
    w_.ProgressBar->setValue(std::clamp(overall >= 0 ? overall : taskPosition, 0, 100));
    w_.LabelProgress->setText(QString::number(w_.ProgressBar->value()) + "%");
}

void TConversionRunPage::RunEndedOnMainThread() {
    encoder_.ClearTasks();
    w_.LabelCurrentFile->setText(QStringLiteral("..."));
    w_.LabelProgress->setText(QStringLiteral("0%"));
    w_.ProgressBar->setValue(0);
}

void TConversionRunPage::ConversionRunFinished() {
    if (hooks_.RunEnding)
        hooks_.RunEnding();
    globals_.FilesInRun = run_.TotalFiles();
    globals_.FilesConverted = run_.Succeeded();
    globals_.ErrorList.clear();
    for (const std::string& line : run_.ErrorList())
        globals_.ErrorList << QString::fromStdString(line);
    if (w_.CheckBoxPlayASound->isChecked())
        services_.Sound.PlayFile(SoundFile(run_.Succeeded() < run_.TotalFiles() ? "fail.wav" : "done.wav"));
    if (w_.CheckBoxShutdown->isChecked() && hooks_.ShutdownCountdown && hooks_.ShutdownCountdown() &&
        hooks_.ShutDown)
        hooks_.ShutDown();
    if (hooks_.ShowConversionSummary)
        hooks_.ShowConversionSummary();
}

void TConversionRunPage::StopConversion() {
    Log(QStringLiteral("The conversion was cancelled by the user."));
    encoder_.Stop(true);
}

QString TConversionRunPage::SoundFile(const char* name) const {
    return QDir(exeDir_).filePath(QStringLiteral("sounds/") + QLatin1String(name));
}

void TConversionRunPage::CheckBoxPlayASoundClick() {
    globals_.PlayASoundWhenFinished = w_.CheckBoxPlayASound->isChecked();
}

void TConversionRunPage::CheckBoxShutdownClick() {
    globals_.ShutDownWhenFinished = w_.CheckBoxShutdown->isChecked();
}

void TConversionRunPage::CheckBoxPreviewClick() {
    encoder_.SetPreview(w_.CheckBoxPreview->isChecked());
}
