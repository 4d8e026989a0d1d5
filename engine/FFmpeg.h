#pragma once

#include "support/ThreadPriority.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/samplefmt.h>
}

struct AVFormatContext;

// Raised inside the transcoding core; caught per task and turned into the
// task's failed flag and error message.
class FFmpegException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Figures of one progress report of a task.
struct TFFProgress {
    int InputFileIndex = -1; // input whose packet was read last; -1 in the final report
    int FrameNumber = -1;    // frames encoded on the first video output; -1 without video
    int FramesPerSecond = -1;
    float Quality = -1.0f;  // quantiser of the last video frame; -1 without video or for copy
    float BitRate = 0.0f;   // kbit/s
    int64_t OutputSize = 0; // bytes written to the first output
    int64_t OutputTime = 0; // microseconds produced
    int64_t TotalTime = -1; // microseconds expected; -1 unknown
};

// A frame handed to a video hook or to the preview: packed RGB of HookBitsPerPixel depth.
struct TFFBitmap {
    uint8_t* Data = nullptr;
    int LineSize = 0;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 24;
    int FrameNumber = 0;
    int64_t PTS = 0;       // microseconds
    bool Update = true;    // hooks: convert the bitmap back into the frame afterwards
    bool StopHook = false; // hooks: stop hooking this task
};

// A codec thread count that lets the libraries choose one by the processor count.
inline constexpr int kAutoThreads = 0;

// One conversion task: options in the style of the command-line tool, input and output
// files, and the transcoding loop. Each task's state is its own; tasks run on their own
// threads at the same time.
class TCustomFFmpeg {
public:
    using ProgressCallback = std::function<void(TCustomFFmpeg& task, const TFFProgress& progress)>;
    using TerminateCallback = std::function<void(TCustomFFmpeg& task)>;
    using BeforeFindStreamInfoCallback = std::function<void(TCustomFFmpeg& task, AVFormatContext* context)>;
    using AudioHookCallback = std::function<void(TCustomFFmpeg& task, int64_t pts, uint8_t* samples, int size,
                                                 int sampleRate, int channels, AVSampleFormat format)>;
    using VideoHookCallback = std::function<void(TCustomFFmpeg& task, TFFBitmap& bitmap)>;
    using PreviewCallback = std::function<void(TCustomFFmpeg& task, const TFFBitmap& bitmap)>;

    // maxFiles: the most input files and output files of the task (1..512).
    explicit TCustomFFmpeg(int maxFiles = 20);
    virtual ~TCustomFFmpeg();
    TCustomFFmpeg(const TCustomFFmpeg&) = delete;
    TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

    // --- options -----------------------------------------------------------------
    // Applies one option (name without the dash, value as text). Raises FFmpegException
    // for bad values; unknown names raise only when OptionErrorRaise is set.
    void SetOption(const std::string& name, const std::string& value);
    bool OptionErrorRaise() const;
    void SetOptionErrorRaise(bool raise);
    int Verbosity() const;
    void SetVerbosity(int level);

    // Specific setters the encoder component uses.
    void SetForceFormat(const std::string& format);
    void SetAudioCodec(const std::string& codec);
    void SetVideoCodec(const std::string& codec);
    void SetSubtitleCodec(const std::string& codec);
    void SetAudioPreset(const std::string& preset);
    void SetVideoPreset(const std::string& preset);
    void SetSubtitlePreset(const std::string& preset);
    void SetFramePresetFile(const std::string& fileName); // "fpre"
    void SetFrameSize(const std::string& size);
    void SetVideoFilters(const std::string& filters);
    void SetFrameRate(const std::string& rate);
    void SetAspectRatio(const std::string& aspect);
    void SetAudioChannels(int channels);
    void SetAudioSampleRate(int rate);
    void SetAudioVolume(int volume);
    void SetAudioSyncMethod(int method);
    void SetVideoSyncMethod(int method);
    // Codec threads of the task's decoders and encoders ("threads"); kAutoThreads lets
    // the libraries choose by the processor count.
    void SetThreads(int count);
    int Threads() const;
    // Threads of the next output's video encoder, instead of the task's.
    void SetVideoThreads(int count);
    void SetMuxDelay(float seconds);
    void SetMuxPreload(float seconds);
    void SetStartTime(int64_t us);
    void SetRecordingTime(int64_t us);
    void SetTimestamp(int64_t secondsSince1970);
    void SetMetadata(const std::string& key, const std::string& value);
    void SetAudioTag(const std::string& tag);
    void SetVideoTag(const std::string& tag);
    void SetProgramId(int id);
    // type "vcd", "svcd", "dvd", "dv", "dv50"; norm "auto", "pal", "ntsc", "film".
    void SetTarget(const std::string& type, const std::string& norm, const std::string& fallbackNorm);

    // --- files -------------------------------------------------------------------
    // UTF-8 file names. On failure LastErrMsg holds the reason.
    bool OpenInput(const std::string& fileName);
    // Index of the new output, or -1.
    int OpenOutput(const std::string& fileName, bool join = false);
    int InputCount() const;
    int OutputCount() const;
    // The demuxer of an opened input (for probing companions); nullptr when out of range.
    AVFormatContext* InputContext(int index) const;
    std::string InputFileName(int index) const;
    std::string OutputFileName(int index) const;

    // Microseconds the task is expected to produce; -1 when unknown.
    int64_t TotalTime() const;
    const std::string& LastErrMsg() const;

    void SetIOTimeout(int ms);
    int IOTimeout() const;
    void SetProgressIntervalUs(int64_t us);
    int64_t ProgressIntervalUs() const;
    // Bit 1: preview, bit 2: preview bitmaps.
    void SetPreviewBits(int bits);
    int PreviewBits() const;
    void SetHookBitsPerPixel(int bits);

    // --- run ---------------------------------------------------------------------
    // threaded: run on a thread of its own and return at once; otherwise run here and
    // return when the task has ended. False when the task was already started or ended.
    bool Start(bool threaded, TThreadPriority priority = TThreadPriority::tpNormal);
    // Asks a running task to stop; with wait, returns once its thread has finished
    // (on the main thread, pending main-thread calls keep running meanwhile).
    void Stop(bool wait);
    // Ends a task that never started through its terminate path (Completed false).
    void Terminate();

    bool Running() const;
    bool Terminated() const;
    bool Completed() const; // the loop reached its end without a stop request
    bool Failed() const;    // an error ended the task
    std::string ErrorMessage() const;
    bool StopRequested() const;

    // --- callbacks (set before Start) ---------------------------------------------
    ProgressCallback OnProgress;
    TerminateCallback OnTerminate; // called once, at the very end, on the task's thread
    BeforeFindStreamInfoCallback OnBeforeFindStreamInfo;
    AudioHookCallback OnAudioHook;
    VideoHookCallback OnVideoInputHook;
    VideoHookCallback OnVideoOutputHook;
    PreviewCallback OnPreviewBitmap;

    // The task's private state (defined by the engine's own files).
    struct State;

private:
    std::unique_ptr<State> d;
    void Run();
    // Closes every file; outputs that did not finish are removed.
    void closeFiles();
    void setBitRate(AVMediaType kind, const std::string& value);
    void applyPreset(AVMediaType kind, const std::string& name, bool isFile);
    // Adds a stream of this kind, with the pending options, to the last output file.
    void AddStream(AVMediaType kind);
};
