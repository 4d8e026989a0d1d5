#include "engine/FFmpeg.h"

#include "engine/FFTranscoder.h"
#include "engine/FFmpegState.h"
#include "support/MainThread.h"

#include <chrono>
#include <cstdarg>
#include <filesystem>

void TaskLog(TCustomFFmpeg* task, TLogLevel level, const std::string& msg) {
    FFLogger().Log(task, level, msg);
}

std::string Fmt(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    char small[512];
    va_list copy;
    va_copy(copy, ap);
    const int n = vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    std::string out;
    if (n >= 0 && size_t(n) < sizeof small) {
        out.assign(small, size_t(n));
    } else if (n >= 0) {
        out.resize(size_t(n) + 1);
        vsnprintf(out.data(), out.size(), fmt, ap);
        out.resize(size_t(n));
    }
    va_end(ap);
    return out;
}

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TCustomFFmpeg::TCustomFFmpeg(int maxFiles) : d(std::make_unique<State>()) {
    if (maxFiles < 1 || maxFiles > 512)
        throw std::invalid_argument("maximum file count must be within 1..512");
    d->maxFiles = maxFiles;
}

TCustomFFmpeg::~TCustomFFmpeg() {
    if (d->running)
        Stop(true);
    if (d->thread.joinable()) {
        if (d->thread.get_id() == std::this_thread::get_id())
            d->thread.detach();
        else
            d->thread.join();
    }
}

bool TCustomFFmpeg::OptionErrorRaise() const {
    return d->optionErrorRaise;
}
void TCustomFFmpeg::SetOptionErrorRaise(bool raise) {
    d->optionErrorRaise = raise;
}
int TCustomFFmpeg::Verbosity() const {
    return d->verbosity;
}
void TCustomFFmpeg::SetVerbosity(int level) {
    d->verbosity = level;
}
int TCustomFFmpeg::InputCount() const {
    return int(d->inputs.size());
}
int TCustomFFmpeg::OutputCount() const {
    return int(d->outputs.size());
}

AVFormatContext* TCustomFFmpeg::InputContext(int index) const {
    return index >= 0 && index < InputCount() ? d->inputs[size_t(index)].ctx.get() : nullptr;
}
std::string TCustomFFmpeg::InputFileName(int index) const {
    return index >= 0 && index < InputCount() ? d->inputs[size_t(index)].name : std::string();
}
std::string TCustomFFmpeg::OutputFileName(int index) const {
    return index >= 0 && index < OutputCount() ? d->outputs[size_t(index)].name : std::string();
}

int64_t TCustomFFmpeg::TotalTime() const {
    return d->totalTime;
}
const std::string& TCustomFFmpeg::LastErrMsg() const {
    return d->lastErr;
}
void TCustomFFmpeg::SetIOTimeout(int ms) {
    d->ioTimeoutMs = ms;
}
int TCustomFFmpeg::IOTimeout() const {
    return d->ioTimeoutMs;
}
void TCustomFFmpeg::SetProgressIntervalUs(int64_t us) {
    d->progressIntervalUs = us;
}
int64_t TCustomFFmpeg::ProgressIntervalUs() const {
    return d->progressIntervalUs;
}
void TCustomFFmpeg::SetPreviewBits(int bits) {
    d->previewBits = bits;
}
int TCustomFFmpeg::PreviewBits() const {
    return d->previewBits;
}
void TCustomFFmpeg::SetHookBitsPerPixel(int bits) {
    d->hookBpp = bits;
}

bool TCustomFFmpeg::Running() const {
    return d->running;
}
bool TCustomFFmpeg::Terminated() const {
    return d->terminated;
}
bool TCustomFFmpeg::Completed() const {
    return d->completed;
}
bool TCustomFFmpeg::Failed() const {
    return d->failed;
}
bool TCustomFFmpeg::StopRequested() const {
    return d->stopRequested;
}

std::string TCustomFFmpeg::ErrorMessage() const {
    std::lock_guard<std::mutex> lock(d->endLock);
    return d->errorMessage;
}

bool TCustomFFmpeg::Start(bool threaded, TThreadPriority) {
    if (d->started.exchange(true) || d->terminated)
        return false;
    d->running = true;
    if (!threaded) {
        Run();
        return true;
    }
    {
        std::lock_guard<std::mutex> lock(d->endLock);
        d->threadFinished = false;
    }
    d->thread = std::thread([this] { Run(); });
    return true;
}

void TCustomFFmpeg::Stop(bool wait) {
    d->stopRequested = true;
    d->ioStart = 0; // a blocking open in progress ends as "canceled"
    if (!wait || !d->thread.joinable() || d->thread.get_id() == std::this_thread::get_id())
        return;
    std::unique_lock<std::mutex> lock(d->endLock);
    while (!d->threadFinished) {
        if (MainThread::IsMainThread()) {
            lock.unlock();
            MainThread::PumpSlice(std::chrono::milliseconds(20));
            lock.lock();
        } else {
            d->endSignal.wait_for(lock, std::chrono::milliseconds(20));
        }
    }
}

void TCustomFFmpeg::Terminate() {
    if (d->started.exchange(true) || d->terminated)
        return;
    d->terminated = true;
    closeFiles(); // outputs opened when the task was queued must not stay behind empty
    if (OnTerminate)
        OnTerminate(*this);
}

void TCustomFFmpeg::closeFiles() {
    // Outputs whose run ended properly stay, also when it was stopped: a failed or never-run
    // task removes what it opened.
    try {
        const bool keep = d->trailersWritten && !d->failed;
        std::vector<std::string> written;
        for (auto& out : d->outputs) {
            if (out.ctx && out.ctx->pb)
                written.push_back(out.name);
            out.ctx.reset();
        }
        for (auto& in : d->inputs)
            in.ctx.reset();
        if (!keep) {
            std::error_code ec;
            for (const auto& name : written)
                std::filesystem::remove(name, ec);
        }
    } catch (const std::exception& e) {
        TaskLog(this, llQuiet, e.what());
    }
}

void TCustomFFmpeg::Run() {
    d->running = true;
    try {
        if (d->outputs.empty())
            throw FFmpegException("At least one output file must be specified");
        if (d->inputs.empty())
            throw FFmpegException("At least one input file must be specified");
        TTranscoder transcoder(*this, *d);
        transcoder.Run();
    } catch (const std::exception& e) {
        TaskLog(this, llQuiet, e.what());
        d->failed = true;
        std::lock_guard<std::mutex> lock(d->endLock);
        d->errorMessage = e.what();
    }
    closeFiles();
    d->running = false;
    d->terminated = true;
    try {
        if (OnTerminate)
            OnTerminate(*this);
    } catch (const std::exception& e) {
        TaskLog(this, llQuiet, e.what());
    }
    std::lock_guard<std::mutex> lock(d->endLock);
    d->threadFinished = true;
    d->endSignal.notify_all();
}
