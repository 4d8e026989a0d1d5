#include "engine/FFEncode.h"

#include "engine/FFEncodeOptions.h"
#include "engine/FFLoad.h"
#include "engine/FFLog.h"
#include "support/MainThread.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr int kMaxFiles = 20;
constexpr int kIOTimeoutMs = 10000;
constexpr int kVerbosity = 1;
constexpr int kMinProgressIntervalMs = 100;
constexpr int kPreviewWindowBit = 1;
constexpr int kPreviewBitmapBit = 2;
constexpr int kWaitSliceMs = 20;

template <class Arg> std::string Format(const char* fmt, Arg arg) {
    char text[128];
    std::snprintf(text, sizeof text, fmt, arg);
    return text;
}

// Marks a per-task notification delivered however its handler returns.
struct TDeliveryDone {
    TNotifierThreads& Notifiers;
    ~TDeliveryDone() { Notifiers.EndDelivery(); }
};

} // namespace

TCustomEncoder::TCustomEncoder() : FDecoder(std::make_unique<TFFDecoder>()) {}

TCustomEncoder::~TCustomEncoder() {
    FDestroying = true;
    OnAudioHook = nullptr;
    OnBeforeFindStreamInfo = nullptr;
    OnPreviewBitmap = nullptr;
    OnProgress = nullptr;
    OnTerminate = nullptr;
    OnVideoInputHook = nullptr;
    OnVideoOutputHook = nullptr;
    FRemaining = 0; // no further task starts while the running ones are stopped
    // A delivery already inside its lock finishes first; later ones see FDestroying.
    for (std::mutex* lock :
         {&FAudioHookLock, &FPreviewLock, &FProgressLock, &FTerminateLock, &FVideoHookLock})
        PassLock(*lock);
    {
        std::lock_guard l(FListLock);
        FTasks.Clear();
    }
    FNotifiers.WaitAll();
}

void TCustomEncoder::PassLock(std::mutex& lock) {
    // The holder may be waiting for the main thread: keep its queue running.
    if (MainThread::IsMainThread()) {
        while (!lock.try_lock())
            MainThread::PumpSlice(std::chrono::milliseconds(kWaitSliceMs));
    } else {
        lock.lock();
    }
    lock.unlock();
}

bool TCustomEncoder::LibrariesLoaded() const {
    return FFLoader().IsSetLoaded(FF_LOAD_SET);
}

bool TCustomEncoder::LoadLibraries(const std::string& Path) {
    FFLoader().SetLibraryPath(Path);
    if (FFLoader().LoadSet(FF_LOAD_SET))
        return true;
    SetLastErrMsg(FFLoader().LastError());
    return false;
}

std::string TCustomEncoder::LastErrMsg() const {
    std::lock_guard g(FErrLock);
    return FLastErrMsg;
}

void TCustomEncoder::SetLastErrMsg(const std::string& text) {
    std::lock_guard g(FErrLock);
    FLastErrMsg = text;
}

int TCustomEncoder::TaskCount() const {
    std::lock_guard l(FListLock);
    return FTasks.Count();
}

void TCustomEncoder::CheckIdle(const char* operation) const {
    if (FWorking)
        throw std::runtime_error(Format("Cannot %s while working.", operation));
}

TFFmpeg& TCustomEncoder::Task(int index) const {
    TFFmpeg* task = FTasks.Items(index);
    if (!task)
        throw std::out_of_range(Format("List index out of bounds (%d)", index));
    return *task;
}

void TCustomEncoder::SetPreview(bool value) {
    FPreview = value;
    std::lock_guard l(FListLock);
    FTasks.SetPreview(value);
}

void TCustomEncoder::SetPreviewBitmap(bool value) {
    FPreviewBitmap = value;
    std::lock_guard l(FListLock);
    FTasks.SetPreviewBitmap(value);
}

void TCustomEncoder::SetProgressInterval(int ms) {
    FProgressIntervalMs = ms <= kMinProgressIntervalMs ? kMinProgressIntervalMs : ms;
}

// ---- building tasks ----------------------------------------------------------------

int TCustomEncoder::AddTask(const std::string& FileName, TInputOptions* Options) {
    std::lock_guard l(FListLock);
    CheckIdle("AddTask");
    auto task = std::make_unique<TFFmpeg>(kMaxFiles);
    task->SetOptionErrorRaise(true);
    try {
        task->SetVerbosity(kVerbosity);
        task->SetThreads(FThreads);
        task->SetPreviewBits((FPreview ? kPreviewWindowBit : 0) | (FPreviewBitmap ? kPreviewBitmapBit : 0));
        task->OnBeforeFindStreamInfo = [this](TCustomFFmpeg& t, AVFormatContext* context) {
            if (auto handler = OnBeforeFindStreamInfo.Get())
                handler(static_cast<TFFmpeg&>(t), context);
        };
        task->OnPreviewBitmap = [this](TCustomFFmpeg& t, const TFFBitmap& bitmap) {
            TaskPreviewBitmap(t, bitmap);
        };
        if (!AddInput(*task, FileName, Options)) {
            SetLastErrMsg(task->LastErrMsg());
            return -1;
        }
    } catch (const std::exception& e) {
        SetLastErrMsg(e.what());
        return -1;
    }
    task->OnProgress = [this](TCustomFFmpeg& t, const TFFProgress& progress) { TaskProgress(t, progress); };
    task->OnTerminate = [this](TCustomFFmpeg& t) { TaskTerminated(t); };
    return FTasks.Add(std::move(task));
}

bool TCustomEncoder::AddInputFile(int TaskIndex, const std::string& FileName, TInputOptions* Options) {
    std::lock_guard l(FListLock);
    CheckIdle("AddInputFile");
    TFFmpeg& task = Task(TaskIndex);
    if (task.InputCount() >= kMaxFiles) {
        SetLastErrMsg(Format("max input files %d reached", kMaxFiles));
        return false;
    }
    const int index = task.InputCount();
    try {
        if (AddInput(task, FileName, Options))
            return true;
        SetLastErrMsg(task.LastErrMsg());
    } catch (const std::exception& e) {
        SetLastErrMsg(e.what());
    }
    task.InputOptions[index] = TInputOptions{};
    return false;
}

bool TCustomEncoder::AddInput(TFFmpeg& task, const std::string& fileName, TInputOptions* options) {
    const int index = task.InputCount();
    if (options) {
        if (options->FileName.empty())
            options->FileName = fileName;
        task.InputOptions[index] = *options;
        ApplyExtraOptions(task, ParseOptionLines(options->ExtraOptions), TOptionTarget::Input);
        if (!options->FileFormat.empty())
            task.SetForceFormat(options->FileFormat);
        if (options->StartTime != kUnsetTime)
            task.SetStartTime(options->StartTime);
        if (options->ProgramId >= 0)
            task.SetProgramId(options->ProgramId);
    } else {
        task.InputOptions[index] = TInputOptions{};
    }
    task.SetIOTimeout(kIOTimeoutMs);
    if (!task.OpenInput(fileName)) {
        task.InputOptions[index] = TInputOptions{};
        return false;
    }
    task.AttachDecoder(index);
    return true;
}

bool TCustomEncoder::SetOutputFile(int TaskIndex, const std::string& FileName, TOutputOptions* Options) {
    std::lock_guard l(FListLock);
    CheckIdle("SetOutputFile");
    TFFmpeg& task = Task(TaskIndex);
    if (task.OutputCount() >= kMaxFiles) {
        SetLastErrMsg(Format("max output files %d reached", kMaxFiles));
        return false;
    }
    const int index = task.OutputCount();
    try {
        task.SetOptionErrorRaise(true);
        TOutputDefaults defaults;
        std::vector<TOptionLine> extra;
        if (Options) {
            if (Options->FileName.empty())
                Options->FileName = FileName;
            task.OutputOptions[index] = *Options;
            extra = ParseOptionLines(Options->ExtraOptions);
            ApplyOutputOptions(task, *Options, defaults, extra);
        } else {
            task.OutputOptions[index] = TOutputOptions{};
            task.Join = false;
        }
        task.SetIOTimeout(kIOTimeoutMs);
        if (task.OpenOutput(FileName, task.Join) < 0) {
            SetLastErrMsg(task.LastErrMsg());
            task.OutputOptions[index] = TOutputOptions{};
            return false;
        }
        if (Options)
            ApplyStreamLines(task, defaults, extra);
        return true;
    } catch (const std::exception& e) {
        SetLastErrMsg(e.what());
        return false;
    }
}

void TCustomEncoder::ApplyOutputOptions(TFFmpeg& task, const TOutputOptions& options,
                                        TOutputDefaults& defaults, const std::vector<TOptionLine>& extra) {
    defaults.Collect({{"def_acodec", options.AudioCodec},
                      {"def_vcodec", options.VideoCodec},
                      {"def_scodec", options.SubtitleCodec},
                      {"def_apre", options.AudioPreset},
                      {"def_vpre", options.VideoPreset},
                      {"def_spre", options.SubtitlePreset},
                      {"def_s", options.FrameSize},
                      {"def_vf", options.VideoFilters}},
                     extra);
    static const char* const kTargets[] = {"vcd", "svcd", "dvd"};
    static const char* const kNorms[] = {"auto", "pal", "ntsc"};
    if (options.TargetType >= 1 && options.TargetType <= 3) {
        const int norm = options.TargetNorm >= 0 && options.TargetNorm <= 2 ? options.TargetNorm : 0;
        task.SetTarget(kTargets[options.TargetType - 1], kNorms[norm],
                       options.TargetFallbackNorm == 1 ? "pal" : "ntsc");
    }
    auto applyDefault = [&](const char* name, void (TCustomFFmpeg::*set)(const std::string&)) {
        const std::string value = defaults.Value(name);
        if (!value.empty())
            (task.*set)(value);
    };
    applyDefault("def_acodec", &TCustomFFmpeg::SetAudioCodec);
    applyDefault("def_vcodec", &TCustomFFmpeg::SetVideoCodec);
    applyDefault("def_scodec", &TCustomFFmpeg::SetSubtitleCodec);
    applyDefault("def_apre", &TCustomFFmpeg::SetAudioPreset);
    applyDefault("def_vpre", &TCustomFFmpeg::SetVideoPreset);
    applyDefault("def_spre", &TCustomFFmpeg::SetSubtitlePreset);
    ApplyExtraOptions(task, extra, TOptionTarget::Output);
    ApplyOutputFields(task, options);
    applyDefault("def_s", &TCustomFFmpeg::SetFrameSize);
    applyDefault("def_vf", &TCustomFFmpeg::SetVideoFilters);
    ConnectHooks(task, options);
    task.SetHookBitsPerPixel(options.HookBitsPerPixel);
    task.Join = options.Join;
}

void TCustomEncoder::ConnectHooks(TFFmpeg& task, const TOutputOptions& options) {
    if (options.AudioHook)
        task.OnAudioHook = [this](TCustomFFmpeg& t, int64_t pts, uint8_t* samples, int size, int rate,
                                  int channels, AVSampleFormat format) {
            TaskAudioHook(t, pts, samples, size, rate, channels, format);
        };
    if (options.VideoInputHook)
        task.OnVideoInputHook = [this](TCustomFFmpeg& t, TFFBitmap& bitmap) {
            TaskVideoHook(t, bitmap, OnVideoInputHook);
        };
    if (options.VideoOutputHook)
        task.OnVideoOutputHook = [this](TCustomFFmpeg& t, TFFBitmap& bitmap) {
            TaskVideoHook(t, bitmap, OnVideoOutputHook);
        };
}

void TCustomEncoder::RemoveTask(int TaskIndex) {
    std::lock_guard l(FListLock);
    CheckIdle("RemoveTask");
    FTasks.Delete(TaskIndex);
}

void TCustomEncoder::ClearTasks() {
    std::lock_guard l(FListLock);
    if (FWorking && !FAllDone)
        throw std::runtime_error("Cannot ClearTasks while working.");
    FTasks.Clear();
    SetLastErrMsg("");
    FFinished = 0;
    FNextIndex = -1;
    FRemaining = 0;
    FAllDone = false;
    FAsync = false;
    FWorking = false;
}

// ---- running -----------------------------------------------------------------------

void TCustomEncoder::StartTask(int Parallel) {
    std::unique_lock l(FListLock);
    CheckIdle("StartTask");
    FFinished = 0;
    FNextIndex = 0;
    FRemaining = FTasks.Count();
    FAllDone = false;
    FAsync = Parallel > 0;
    FWorking = true;
    if (FAsync) {
        std::lock_guard t(FTerminateLock);
        if (FTasks.Count() == 0)
            SendFinalNotification(); // nothing queued: the run ends at once
        while (FRemaining > 0) {
            StartNextTask();
            if (Parallel-- <= 1)
                break;
        }
        return;
    }
    // A run in the calling thread must stay stoppable from other threads.
    l.unlock();
    if (FTasks.Count() == 0) {
        std::lock_guard t(FTerminateLock);
        SendFinalNotification();
    }
    while (FRemaining > 0)
        StartNextTask();
}

void TCustomEncoder::StartNextTask() {
    int remaining = FRemaining;
    do {
        if (remaining <= 0)
            return;
    } while (!FRemaining.compare_exchange_weak(remaining, remaining - 1));
    TFFmpeg* task = FTasks.Items(FNextIndex++);
    if (!task)
        return;
    task->SetProgressIntervalUs(static_cast<int64_t>(FProgressIntervalMs) * 1000);
    task->Start(FAsync, FThreadPriority);
}

void TCustomEncoder::Stop(bool Wait) {
    std::lock_guard l(FListLock);
    FRemaining = 0;
    if (FWorking)
        FTasks.StopAll(Wait);
}

void TCustomEncoder::TaskTerminated(TCustomFFmpeg& task) {
    std::unique_lock g(FTerminateLock);
    if (FDestroying)
        return;
    if (auto handler = OnTerminate.Get()) {
        FTerminateInfo.TaskIndex = FTasks.IndexOf(&task);
        FTerminateInfo.Completed = task.Completed();
        FTerminateInfo.Failed = task.Failed();
        FTerminateInfo.ErrorMessage = task.ErrorMessage();
        if (FAsync || !FWorking) {
            FNotifiers.BeginDelivery();
            FNotifiers.Launch([this, handler, info = FTerminateInfo] {
                TDeliveryDone done{FNotifiers};
                handler(*this, info);
            });
        } else {
            // Outside the lock: a handler that stops the run makes terminate threads
            // that need it.
            const TTerminateInfo info = FTerminateInfo;
            g.unlock();
            handler(*this, info);
            g.lock();
        }
    }
    ++FFinished;
    if (FRemaining < 1) {
        if (!FAllDone && FFinished >= FTasks.Count())
            SendFinalNotification();
    } else if (FAsync) {
        StartNextTask();
    }
}

void TCustomEncoder::SendFinalNotification() {
    auto handler = OnTerminate.Get();
    if (handler && !FDestroying) {
        FTerminateInfo = TTerminateInfo{-1, true, false, {}};
        if (FAsync || !FWorking) {
            // Set before the handler can run: it may clear the tasks.
            FAllDone = true;
            FNotifiers.Launch([this, handler, info = FTerminateInfo] {
                FNotifiers.WaitDeliveries(); // every task's handler has returned
                handler(*this, info);
            });
            return;
        }
        handler(*this, FTerminateInfo);
    }
    FAllDone = true;
}

// ---- events from running tasks -----------------------------------------------------

void TCustomEncoder::Deliver(const std::function<void()>& call) const {
    if (!FTriggerEventInMainThread || MainThread::IsMainThread()) {
        call();
        return;
    }
    // Queued calls still waiting when destruction starts are dropped.
    MainThread::Send([this, &call] {
        if (!FDestroying)
            call();
    });
}

void TCustomEncoder::TaskProgress(TCustomFFmpeg& task, const TFFProgress& progress) {
    auto handler = OnProgress.Get();
    if (!handler)
        return;
    std::lock_guard g(FProgressLock);
    if (FDestroying)
        return;
    FProgressInfo.TaskIndex = FTasks.IndexOf(&task);
    FProgressInfo.InputFileIndex = progress.InputFileIndex;
    FProgressInfo.FrameNumber = progress.FrameNumber;
    FProgressInfo.FramesPerSecond = progress.FramesPerSecond;
    FProgressInfo.Quality = progress.Quality;
    FProgressInfo.BitRate = progress.BitRate;
    FProgressInfo.OutputSize = progress.OutputSize;
    FProgressInfo.OutputTime = progress.OutputTime;
    FProgressInfo.TotalTime = progress.TotalTime;
    Deliver([&] { handler(*this, &FProgressInfo); });
}

void TCustomEncoder::TaskPreviewBitmap(TCustomFFmpeg& task, const TFFBitmap& bitmap) {
    auto handler = OnPreviewBitmap.Get();
    if (!handler)
        return;
    std::lock_guard g(FPreviewLock);
    if (FDestroying)
        return;
    FPreviewInfo = TPreviewInfo{FTasks.IndexOf(&task), &bitmap, bitmap.FrameNumber, bitmap.PTS};
    Deliver([&] { handler(*this, FPreviewInfo); });
}

void TCustomEncoder::TaskVideoHook(TCustomFFmpeg& task, TFFBitmap& bitmap,
                                   const TEventSlot<TVideoHookEvent>& event) {
    auto handler = event.Get();
    if (!handler)
        return;
    std::lock_guard g(FVideoHookLock);
    if (FDestroying)
        return;
    FHookInfo = THookInfo{FTasks.IndexOf(&task), &bitmap, bitmap.FrameNumber, bitmap.PTS, true, false};
    try {
        handler(*this, &FHookInfo);
        bitmap.Update = FHookInfo.Update;
        bitmap.StopHook = FHookInfo.StopHook;
    } catch (const std::exception& e) {
        FFLogger().Log(this, llError, std::string("Error occurs VideoHook event: ") + e.what());
        bitmap.Update = false; // the frame goes on unchanged
    }
}

void TCustomEncoder::TaskAudioHook(TCustomFFmpeg& task, int64_t pts, uint8_t* samples, int size,
                                   int sampleRate, int channels, AVSampleFormat format) {
    auto handler = OnAudioHook.Get();
    if (!handler)
        return;
    std::lock_guard g(FAudioHookLock);
    if (FDestroying)
        return;
    handler(*this, FTasks.IndexOf(&task), pts, samples, size, sampleRate, channels, format);
}
