#pragma once

#include "engine/FFBaseComponent.h"
#include "engine/FFEncodeEvents.h"
#include "engine/FFEncodeOptions.h"
#include "engine/FFEncodeRecords.h"
#include "engine/FFmpegList.h"
#include "engine/NotifierThreads.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TCustomEncoder;

using TAVSampleFormat = AVSampleFormat;

using TProgressEvent = std::function<void(TCustomEncoder& Sender, PProgressInfo AProgressInfo)>;
using TTerminateEvent = std::function<void(TCustomEncoder& Sender, TTerminateInfo ATerminateInfo)>;
using TPreviewBitmapEvent = std::function<void(TCustomEncoder& Sender, TPreviewInfo APreviewInfo)>;
using TVideoHookEvent = std::function<void(TCustomEncoder& Sender, PHookInfo AHookInfo)>;
using TAudioHookEvent =
    std::function<void(TCustomEncoder& Sender, int ATaskIndex, int64_t APTS, uint8_t* ASample, int ASize,
                       int ASampleRate, int AChannels, TAVSampleFormat ASampleFormat)>;
// Sender is the task whose input is being opened.
using TBeforeFindStreamInfoEvent = std::function<void(TFFmpeg& Sender, AVFormatContext* AFormatContext)>;

// The conversion component: a list of tasks run one after another or in parallel on
// worker threads, with progress and terminate events. List operations belong to the
// main thread; events may be (un)assigned at any time.
class TCustomEncoder : public TFFBaseComponent {
public:
    TCustomEncoder();
    ~TCustomEncoder() override;

    std::string Version() const { return "3.9"; }

    bool LibrariesLoaded() const;
    bool LoadLibraries(const std::string& Path);

    std::string LastErrMsg() const;
    int TaskCount() const;
    // The probe decoder the application reads file facts with.
    TFFDecoder& Decoder() { return *FDecoder; }

    // AddTask, AddInputFile, SetOutputFile, RemoveTask and StartTask throw
    // std::runtime_error "Cannot <operation> while working." from StartTask until
    // ClearTasks; ClearTasks throws "Cannot ClearTasks while working." before the run
    // has ended.

    // Index of the new task, or -1 with LastErrMsg set. An empty Options->FileName is
    // set to FileName.
    int AddTask(const std::string& FileName, TInputOptions* Options = nullptr);
    bool AddInputFile(int TaskIndex, const std::string& FileName, TInputOptions* Options = nullptr);
    bool SetOutputFile(int TaskIndex, const std::string& FileName, TOutputOptions* Options = nullptr);
    void RemoveTask(int TaskIndex);
    void ClearTasks();
    // Parallel > 0: at most that many tasks at once on worker threads; otherwise one
    // after another in the calling thread, returning when all have ended.
    void StartTask(int Parallel);
    void Stop(bool Wait);

    bool Preview() const { return FPreview; }
    void SetPreview(bool value);
    bool PreviewBitmap() const { return FPreviewBitmap; }
    void SetPreviewBitmap(bool value);
    // Milliseconds between two progress events of a task; at least 100.
    int ProgressInterval() const { return FProgressIntervalMs; }
    void SetProgressInterval(int ms);
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value) { FThreadPriority = value; }
    // Codec threads of the tasks added from now on: 1 (the default), a count, or
    // kAutoThreads to let the libraries choose by the processor count.
    int Threads() const { return FThreads; }
    void SetThreads(int value) { FThreads = value; }
    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool value) { FTriggerEventInMainThread = value; }

    // OnProgress and OnPreviewBitmap arrive on the main thread (TriggerEventInMainThread);
    // OnTerminate of a threaded run arrives on a notifier thread, one per notification,
    // the final one (TaskIndex -1) after every task's handler has returned. Hooks run
    // on the task's thread.
    TEventSlot<TAudioHookEvent> OnAudioHook;
    TEventSlot<TBeforeFindStreamInfoEvent> OnBeforeFindStreamInfo;
    TEventSlot<TPreviewBitmapEvent> OnPreviewBitmap;
    TEventSlot<TProgressEvent> OnProgress;
    TEventSlot<TTerminateEvent> OnTerminate;
    TEventSlot<TVideoHookEvent> OnVideoInputHook;
    TEventSlot<TVideoHookEvent> OnVideoOutputHook;

private:
    // Waits until no one holds the lock (destruction).
    static void PassLock(std::mutex& lock);
    void CheckIdle(const char* operation) const;
    void SetLastErrMsg(const std::string& text);
    TFFmpeg& Task(int index) const;
    // Input side of AddTask and AddInputFile: options, then opening the file.
    bool AddInput(TFFmpeg& task, const std::string& fileName, TInputOptions* options);
    // The output record's steps before the output is opened.
    void ApplyOutputOptions(TFFmpeg& task, const TOutputOptions& options, TOutputDefaults& defaults,
                            const std::vector<TOptionLine>& extra);
    void ConnectHooks(TFFmpeg& task, const TOutputOptions& options);

    void StartNextTask();
    void TaskTerminated(TCustomFFmpeg& task);
    void SendFinalNotification();
    // Raises a handler on the main thread when so configured, else here.
    void Deliver(const std::function<void()>& call) const;

    void TaskProgress(TCustomFFmpeg& task, const TFFProgress& progress);
    void TaskPreviewBitmap(TCustomFFmpeg& task, const TFFBitmap& bitmap);
    void TaskVideoHook(TCustomFFmpeg& task, TFFBitmap& bitmap, const TEventSlot<TVideoHookEvent>& event);
    void TaskAudioHook(TCustomFFmpeg& task, int64_t pts, uint8_t* samples, int size, int sampleRate,
                       int channels, AVSampleFormat format);

    // Held by list operations and Stop, never by task threads; recursive because the
    // main-thread calls run while Stop waits may read the list again.
    mutable std::recursive_mutex FListLock;
    TFFmpegList FTasks;
    std::unique_ptr<TFFDecoder> FDecoder;
    TNotifierThreads FNotifiers;

    mutable std::mutex FErrLock; // guards FLastErrMsg
    std::string FLastErrMsg;

    std::atomic<bool> FPreview{false};
    std::atomic<bool> FPreviewBitmap{false};
    std::atomic<int> FProgressIntervalMs{500};
    std::atomic<TThreadPriority> FThreadPriority{TThreadPriority::tpNormal};
    std::atomic<bool> FTriggerEventInMainThread{true};
    std::atomic<int> FThreads{1};

    // Run state: changed by StartTask and ClearTasks and, during a run, under
    // FTerminateLock (or on the one thread of a run in the calling thread).
    std::atomic<int> FFinished{0};
    std::atomic<int> FNextIndex{-1};
    std::atomic<int> FRemaining{0};
    std::atomic<bool> FAllDone{false};
    std::atomic<bool> FAsync{false};
    std::atomic<bool> FWorking{false};
    std::atomic<bool> FDestroying{false};

    std::mutex FAudioHookLock;
    std::mutex FPreviewLock;
    std::mutex FProgressLock;
    std::mutex FTerminateLock;
    std::mutex FVideoHookLock;

    // The records handed to the events (reused; filled under their locks).
    TProgressInfo FProgressInfo;
    TTerminateInfo FTerminateInfo;
    TPreviewInfo FPreviewInfo;
    THookInfo FHookInfo;
};

// The component as the application uses it.
class TFFEncoder : public TCustomEncoder {};
