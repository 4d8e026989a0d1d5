#include "FFmpeg.h"

struct TCustomFFmpeg::State {
    int maxFiles = 20;
    bool optionErrorRaise = true;
    int verbosity = 1;
    int ioTimeoutMs = 10000;
    int64_t progressIntervalUs = 500000;
    int previewBits = 0;
    int hookBpp = 24;
    int64_t totalTime = -1;
    std::string lastErr;
    std::string errorMessage;
    bool running = false, terminated = false, completed = false, failed = false;
    std::atomic<bool> stopRequested{false};
};

TCustomFFmpeg::TCustomFFmpeg(int maxFiles) : d(std::make_unique<State>()) { d->maxFiles = maxFiles; }
TCustomFFmpeg::~TCustomFFmpeg() = default;
void TCustomFFmpeg::SetOption(const std::string&, const std::string&) {}
bool TCustomFFmpeg::OptionErrorRaise() const { return d->optionErrorRaise; }
void TCustomFFmpeg::SetOptionErrorRaise(bool raise) { d->optionErrorRaise = raise; }
int TCustomFFmpeg::Verbosity() const { return d->verbosity; }
void TCustomFFmpeg::SetVerbosity(int level) { d->verbosity = level; }
void TCustomFFmpeg::SetForceFormat(const std::string&) {}
void TCustomFFmpeg::SetAudioCodec(const std::string&) {}
void TCustomFFmpeg::SetVideoCodec(const std::string&) {}
void TCustomFFmpeg::SetSubtitleCodec(const std::string&) {}
void TCustomFFmpeg::SetAudioPreset(const std::string&) {}
void TCustomFFmpeg::SetVideoPreset(const std::string&) {}
void TCustomFFmpeg::SetSubtitlePreset(const std::string&) {}
void TCustomFFmpeg::SetFramePresetFile(const std::string&) {}
void TCustomFFmpeg::SetFrameSize(const std::string&) {}
void TCustomFFmpeg::SetVideoFilters(const std::string&) {}
void TCustomFFmpeg::SetFrameRate(const std::string&) {}
void TCustomFFmpeg::SetAspectRatio(const std::string&) {}
void TCustomFFmpeg::SetAudioChannels(int) {}
void TCustomFFmpeg::SetAudioSampleRate(int) {}
void TCustomFFmpeg::SetAudioVolume(int) {}
void TCustomFFmpeg::SetAudioSyncMethod(int) {}
void TCustomFFmpeg::SetVideoSyncMethod(int) {}
void TCustomFFmpeg::SetMuxDelay(float) {}
void TCustomFFmpeg::SetMuxPreload(float) {}
void TCustomFFmpeg::SetStartTime(int64_t) {}
void TCustomFFmpeg::SetRecordingTime(int64_t) {}
void TCustomFFmpeg::SetTimestamp(int64_t) {}
void TCustomFFmpeg::SetMetadata(const std::string&, const std::string&) {}
void TCustomFFmpeg::SetAudioTag(const std::string&) {}
void TCustomFFmpeg::SetVideoTag(const std::string&) {}
void TCustomFFmpeg::SetProgramId(int) {}
void TCustomFFmpeg::SetTarget(const std::string&, const std::string&, const std::string&) {}
bool TCustomFFmpeg::OpenInput(const std::string&) { d->lastErr = "not implemented"; return false; }
int TCustomFFmpeg::OpenOutput(const std::string&, bool) { d->lastErr = "not implemented"; return -1; }
int TCustomFFmpeg::InputCount() const { return 0; }
int TCustomFFmpeg::OutputCount() const { return 0; }
AVFormatContext* TCustomFFmpeg::InputContext(int) const { return nullptr; }
std::string TCustomFFmpeg::InputFileName(int) const { return {}; }
std::string TCustomFFmpeg::OutputFileName(int) const { return {}; }
int64_t TCustomFFmpeg::TotalTime() const { return d->totalTime; }
const std::string& TCustomFFmpeg::LastErrMsg() const { return d->lastErr; }
void TCustomFFmpeg::SetIOTimeout(int ms) { d->ioTimeoutMs = ms; }
int TCustomFFmpeg::IOTimeout() const { return d->ioTimeoutMs; }
void TCustomFFmpeg::SetProgressInterval(int64_t us) { d->progressIntervalUs = us; }
int64_t TCustomFFmpeg::ProgressInterval() const { return d->progressIntervalUs; }
void TCustomFFmpeg::SetPreviewBits(int bits) { d->previewBits = bits; }
int TCustomFFmpeg::PreviewBits() const { return d->previewBits; }
void TCustomFFmpeg::SetHookBitsPerPixel(int bits) { d->hookBpp = bits; }
bool TCustomFFmpeg::Start(bool, TThreadPriority) { Run(); return true; }
void TCustomFFmpeg::Stop(bool) { d->stopRequested = true; }
void TCustomFFmpeg::Terminate() { if (OnTerminate) OnTerminate(*this); }
bool TCustomFFmpeg::Running() const { return d->running; }
bool TCustomFFmpeg::Terminated() const { return d->terminated; }
bool TCustomFFmpeg::Completed() const { return d->completed; }
bool TCustomFFmpeg::Failed() const { return d->failed; }
std::string TCustomFFmpeg::ErrorMessage() const { return d->errorMessage; }
bool TCustomFFmpeg::StopRequested() const { return d->stopRequested; }
void TCustomFFmpeg::Run() { d->failed = true; d->errorMessage = "not implemented"; d->terminated = true; if (OnTerminate) OnTerminate(*this); }
