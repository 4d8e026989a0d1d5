#pragma once

// The private state of a TCustomFFmpeg task, shared by the files that implement it.

#include "engine/FFGenericOptions.h"
#include "engine/FFHandles.h"
#include "engine/FFLog.h"
#include "engine/FFmpeg.h"

#include <climits>
#include <map>

inline constexpr int64_t kNoTime = INT64_MIN;
inline constexpr int kMaxStreams = 20;

struct TVideoSettings {
    std::string codec; // empty: the container's default; "copy": stream copy
    int width = 0, height = 0;
    double aspect = 0;
    AVPixelFormat pixFmt = AV_PIX_FMT_NONE;
    AVRational frameRate{0, 0};
    float qscale = 0;
    uint32_t tag = 0;
    std::string lang;
    bool disable = false, intra = false, sameq = false, deinterlace = false, forceFps = false;
    int top = -1, dc = 8;
    std::string filters, rcOverride, forceKeyFrames;
    std::vector<uint16_t> intraMatrix, interMatrix;
    int64_t maxFrames = INT64_MAX;
    int threads = -1; // the encoder's codec threads; -1: the task's
};

struct TAudioSettings {
    std::string codec;
    int sampleRate = 0; // 0: the input's
    int channels = 0;   // 0: the input's
    float quality = -99999.0f;
    AVSampleFormat sampleFmt = AV_SAMPLE_FMT_NONE;
    uint32_t tag = 0;
    std::string lang;
    bool disable = false;
    int volume = 256;
    int64_t maxFrames = INT64_MAX;
};

struct TSubtitleSettings {
    std::string codec;
    uint32_t tag = 0;
    std::string lang;
    bool disable = false;
};

// One output stream as it was asked for when its file was opened.
struct TStreamRequest {
    AVMediaType kind = AVMEDIA_TYPE_UNKNOWN;
    TVideoSettings video;
    TAudioSettings audio;
    TSubtitleSettings subtitle;
    std::vector<std::string> bsfs;
    int streamId = -1;
};

struct TStreamMap {
    int file = 0, stream = 0, syncFile = 0, syncStream = 0;
};

struct TInputFile {
    TInputContextPtr ctx;
    std::string name;
    int64_t tsOffset = 0;
    std::vector<double> tsScale;
    int64_t duration = -1;                                   // microseconds; -1 unknown
    std::string videoDecoder, audioDecoder, subtitleDecoder; // forced by name, else by codec id
};

struct TOutputFile {
    TOutputContextPtr ctx;
    std::string name;
    std::vector<TStreamRequest> streams;
    bool join = false;
    int64_t recordingTime = INT64_MAX;
    int64_t startTime = 0;
    int64_t limitFileSize = 0;
    float muxPreload = 0.5f, muxDelay = 0.7f;
    int loopOutput = -1;
};

struct TCustomFFmpeg::State {
    int maxFiles = 20;
    bool optionErrorRaise = true;
    int verbosity = 1;

    // Pending options of the next input file.
    std::string forceFormat;
    int64_t inputTsOffset = 0;
    std::vector<std::pair<int, double>> tsScale;
    int programId = -1;

    // Pending options of the next output file and its streams.
    TVideoSettings video;
    TAudioSettings audio;
    TSubtitleSettings subtitle;
    std::vector<std::string> absf, vbsf, sbsf;
    std::map<int, int> streamIds;
    int64_t recordingTime = INT64_MAX;
    int64_t startTime = 0; // "ss": seek position of the next input, else start of the next output
    int64_t limitFileSize = 0;
    float muxPreload = 0.5f, muxDelay = 0.7f;
    int loopOutput = -1;
    std::vector<std::pair<std::string, std::string>> metadata;
    int64_t timestamp = kNoTime;

    // Options of the whole task.
    std::vector<TStreamMap> maps;
    bool copyTs = false, copyTb = false, shortest = false, inputSync = false, exitOnError = false;
    double dtsDeltaThreshold = 10.0;
    int videoSync = -1, audioSync = 0;
    double audioDriftThreshold = 0.1;
    int threads = 1; // kAutoThreads: the libraries choose
    int pass = 0;
    std::string passLogFile;
    bool vstats = false;
    std::string vstatsFile;
    bool copyInitialNonKeyframes = false;
    TGenericOptions generic;

    std::vector<TInputFile> inputs;
    std::vector<TOutputFile> outputs;
    int64_t totalTime = -1;
    std::string lastErr;

    // Run state. Flags read across threads are atomic; the rest is written by the
    // task's own thread before it signals the end.
    std::atomic<bool> running{false}, terminated{false}, completed{false}, failed{false};
    std::atomic<bool> started{false};
    std::atomic<bool> stopRequested{false};
    bool trailersWritten = false; // the run ended its outputs properly (task thread)
    std::string errorMessage;     // guarded by endLock
    std::thread thread;
    std::mutex endLock;
    std::condition_variable endSignal;
    bool threadFinished = true; // guarded by endLock
    int ioTimeoutMs = 10000;
    std::atomic<int64_t> ioStart{INT64_MAX}; // steady ms of the blocking call in progress
    int64_t progressIntervalUs = 500000;
    std::atomic<int> previewBits{0};   // set by the owner while the task runs
    int64_t lastPreviewMs = INT64_MIN; // steady ms of the last preview (task thread)
    int hookBpp = 24;
};

// Looks a codec up by name ("Unknown encoder 'x'", "Invalid encoder type 'x'", the
// experimental rule); throws FFmpegException.
const AVCodec* FindCodecByName(const std::string& name, AVMediaType kind, bool encoder, int strict);

// Logs through the engine logger with the task as sender.
void TaskLog(TCustomFFmpeg* task, TLogLevel level, const std::string& msg);
// printf-style formatting into a std::string.
std::string Fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Milliseconds of the steady clock.
int64_t SteadyMs();
