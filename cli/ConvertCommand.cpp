#include "cli/ConvertCommand.h"

#include "cli/CommandLine.h"
#include "cli/StopSignal.h"
#include "convert/EncoderThreads.h"
#include "convert/InputProbe.h"
#include "engine/FFEncode.h"
#include "support/MainThread.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace {

constexpr auto kLoopSlice = std::chrono::milliseconds(100);

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

TConvertCommand::TConvertCommand(TFFEncoder& encoder, TConvertRequest request, TTerminalProgress& progress)
    : encoder_(encoder), request_(std::move(request)), progress_(progress) {}

TConvertCommand::~TConvertCommand() {
    encoder_.OnProgress = nullptr;
    encoder_.OnTerminate = nullptr;
}

int TConvertCommand::Run() {
    const std::vector<TRunInput> inputs = AddFiles();
    Queue(inputs);
    RunTasks();
    return Summary();
}

std::vector<TRunInput> TConvertCommand::AddFiles() {
    std::vector<TRunInput> inputs;
    TFFDecoder& decoder = encoder_.Decoder();
    for (const std::string& path : request_.Files) {
        if (!decoder.LoadFile(path)) {
            refused_.push_back("File load error: " + decoder.LastErrMsg());
            progress_.Error(refused_.back());
            continue;
        }
        inputs.push_back({path, InputFactsOf(decoder).DurationUs});
        decoder.CloseFile();
    }
    return inputs;
}

void TConvertCommand::Queue(const std::vector<TRunInput>& inputs) {
    encoder_.SetThreads(request_.Threads);
    const TOutputSelection selection = request_.Selection();
    const TQueueLog log = [this](const std::string& line) {
        if (line == kAddedToListMessage)
            return;
        refused_.push_back(line);
        progress_.Error(line);
    };
    const std::vector<TQueuedFile> queued =
        request_.Join ? QueueJoinTask(encoder_, selection, inputs, run_, log)
                      : QueueConversionTasks(encoder_, selection, inputs, run_, log);
    run_.SetTotalFiles(request_.Join ? 1 : static_cast<int>(queued.size()));
    tasks_.assign(encoder_.TaskCount(), {});
    for (const TQueuedFile& file : queued) {
        TTaskView& task = tasks_[file.TaskIndex];
        task.OutputFile = file.OutputFileName;
        task.Name =
            request_.Join ? fileNameOf(file.OutputFileName) : fileNameOf(inputs[file.InputIndex].Path);
    }

    const std::string presetCaption(request_.Format->Presets[request_.Preset]);
    progress_.Message("Format: " + std::string(request_.Format->Name) + ", preset " +
                      std::to_string(request_.Preset) + ": " + presetCaption);
    progress_.Message(CodecThreadsText(request_.Threads));
    if (request_.Join)
        for (const TQueuedFile& file : queued)
            progress_.Message("Joining: " + inputs[file.InputIndex].Path);
    for (size_t i = 0; i < tasks_.size(); ++i)
        progress_.FileStatus(static_cast<int>(i), static_cast<int>(tasks_.size()), tasks_[i].Name,
                             "Waiting... -> " + tasks_[i].OutputFile);
}

void TConvertCommand::RunTasks() {
    encoder_.OnProgress = [this](TCustomEncoder&, PProgressInfo info) { Progress(*info); };
    // Task ends arrive on the encoder's notifier threads: count them there, show them
    // on the main thread.
    encoder_.OnTerminate = [this, taskCount = static_cast<int>(tasks_.size())](TCustomEncoder&,
                                                                               TTerminateInfo info) {
        if (info.TaskIndex >= 0) {
            run_.TaskEnded(info.TaskIndex, info.Completed, info.Failed, info.ErrorMessage);
            MainThread::Post(
                [this, index = info.TaskIndex, completed = info.Completed] { TaskEnded(index, completed); });
            return;
        }
        run_.WaitAllCounted(taskCount);
        MainThread::Post([this] { runEnded_ = true; });
    };
    run_.Start(TConversionRun::Clock::now());
    encoder_.StartTask(request_.Parallel);
    while (!runEnded_) {
        MainThread::WaitAndProcess(kLoopSlice);
        if (StopRequested() && !stopped_) {
            stopped_ = true;
            progress_.Error("Stopping the conversion...");
            encoder_.Stop(true);
        }
    }
    encoder_.OnProgress = nullptr;
    encoder_.OnTerminate = nullptr;
    encoder_.ClearTasks();
    progress_.Finish();
}

void TConvertCommand::Progress(const TProgressInfo& info) {
    if (info.TaskIndex < 0 || info.TaskIndex >= static_cast<int>(tasks_.size()))
        return;
    TTaskView& task = tasks_[info.TaskIndex];
    if (task.Ended)
        return;
    task.OutputUs = info.OutputTime;
    if (!task.Started) {
        task.Started = true;
        progress_.FileStatus(info.TaskIndex, static_cast<int>(tasks_.size()), task.Name,
                             info.TotalTime > 0 ? "Converting..." : "Converting... (N/A)");
    }
    ShowOverall();
}

void TConvertCommand::TaskEnded(int taskIndex, bool completed) {
    if (taskIndex < 0 || taskIndex >= static_cast<int>(tasks_.size()))
        return;
    TTaskView& task = tasks_[taskIndex];
    task.Ended = true;
    task.Completed = completed;
    task.OutputUs = 0;
    progress_.FileStatus(taskIndex, static_cast<int>(tasks_.size()), task.Name,
                         completed ? "Finish. -> " + task.OutputFile : "Failed.");
    ShowOverall();
}

void TConvertCommand::ShowOverall() {
    int64_t runningUs = 0;
    int ended = 0;
    for (const TTaskView& task : tasks_) {
        runningUs += task.OutputUs;
        ended += task.Ended ? 1 : 0;
    }
    const int64_t totalUs = run_.TotalDurationUs();
    int percent = 0;
    if (totalUs > 0)
        percent = static_cast<int>((run_.FinishedDurationUs() + runningUs) * 100 / totalUs);
    else if (!tasks_.empty())
        percent = ended * 100 / static_cast<int>(tasks_.size());
    // A finished input's probed duration can be a little shorter than what its task
    // reported producing.
    shownPercent_ = std::max(shownPercent_, std::clamp(percent, 0, 100));
    progress_.Overall(shownPercent_, run_.Estimate(runningUs, TConversionRun::Clock::now()));
}

int TConvertCommand::Summary() {
    const int total = run_.TotalFiles();
    const int succeeded = run_.Succeeded();
    if (stopped_)
        progress_.Error("Conversion stopped by the user.");
    progress_.Message("Total files: " + std::to_string(total));
    progress_.Message("Succeeded: " + std::to_string(succeeded));
    progress_.Message("Failed: " + std::to_string(total - succeeded));
    if (!refused_.empty())
        progress_.Message("Refused: " + std::to_string(refused_.size()));
    for (const std::string& line : run_.ErrorList())
        progress_.Message(line);
    for (const std::string& line : refused_)
        progress_.Message(line);
    if (stopped_)
        return exStopped;
    return total > 0 && succeeded == total && refused_.empty() ? exSuccess : exFailed;
}
