#include "engine/FFLog.h"

#include "engine/FFLoad.h"
#include "support/MainThread.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

// The registered logger and whether the engine created it itself.
std::mutex gRegistryLock; // guards gLogger and gEngineCreated
TFFLogger* gLogger = nullptr;
bool gEngineCreated = false;

// The library's current log level, in library units.
std::atomic<int> gLibLevel{AV_LOG_INFO};

// Line assembly for library messages; every field is guarded by gLinesLock.
std::mutex gLinesLock;
std::map<uint32_t, std::string> gLines; // unfinished line per thread
std::string gLastChunk;
int gRepeatCount = 0;

std::string vformat(const char* fmt, va_list vl) {
    char small[2048];
    va_list copy;
    va_copy(copy, vl);
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (size_t(n) < sizeof small)
        return std::string(small, size_t(n));
    std::string big(size_t(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), fmt, vl);
    big.resize(size_t(n));
    return big;
}

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
    va_list vl;
    va_start(vl, fmt);
    std::string s = vformat(fmt, vl);
    va_end(vl);
    return s;
}

// One log entry is one line: breaks inside a text become one space, breaks at its ends go.
std::string oneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    bool pendingBreak = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            pendingBreak = !line.empty();
            continue;
        }
        if (pendingBreak)
            line += ' ';
        pendingBreak = false;
        line += c;
    }
    return line;
}

const char* itemName(void* obj, const AVClass* cls) {
    const char* name = cls->item_name ? cls->item_name(obj) : nullptr;
    return name ? name : (cls->class_name ? cls->class_name : "");
}

// "[parent @ 0x..] [name @ 0x..]" for an object whose first member is its AVClass.
std::string prefixOf(void* avcl) {
    if (!avcl)
        return {};
    const AVClass* cls = *static_cast<const AVClass**>(avcl);
    if (!cls)
        return {};
    std::string prefix;
    if (cls->version > 3280642 && cls->parent_log_context_offset) {
        void* parent =
            *reinterpret_cast<void**>(static_cast<uint8_t*>(avcl) + cls->parent_log_context_offset);
        const AVClass* parentCls = parent ? *static_cast<const AVClass**>(parent) : nullptr;
        if (parentCls)
            prefix = format("[%s @ %p] ", itemName(parent, parentCls), parent);
    }
    return prefix + format("[%s @ %p]", itemName(avcl, cls), avcl);
}

} // namespace

uint32_t FFThreadId() {
    return uint32_t(syscall(SYS_gettid));
}

int LogLevelToLib(TLogLevel level) {
    return (int(level) - 1) * 8;
}

TLogLevel LibToLogLevel(int libLevel) {
    return TLogLevel(std::clamp(libLevel / 8 + 1, 0, int(llDebug)));
}

TFFLogger::TFFLogger() {
    std::lock_guard guard(gRegistryLock);
    if (gLogger && gEngineCreated) {
        TFFLogger* old = gLogger;
        gLogger = nullptr;
        gEngineCreated = false;
        delete old; // its destructor finds itself no longer registered
    }
    if (gLogger)
        throw std::logic_error("Allow creating only one instance of TFFLogger.");
    logLevel_ = LibToLogLevel(gLibLevel.load());
    gLogger = this;
}

TFFLogger::~TFFLogger() {
    // The default logger is deleted with the registry lock already held.
    if (gLogger != this)
        return;
    std::lock_guard guard(gRegistryLock);
    gLogger = nullptr;
    gEngineCreated = false;
}

void TFFLogger::SetLogLevel(TLogLevel level) {
    if (logLevel_.exchange(level) == level)
        return;
    gLibLevel = LogLevelToLib(level);
    if (FF().avutil.av_log_set_level)
        FF().avutil.av_log_set_level(gLibLevel.load());
}

void TFFLogger::SetLogLevelByName(const std::string& name) {
    static const char* const names[] = {"quiet",   "panic", "fatal",   "error",
                                        "warning", "info",  "verbose", "debug"};
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (int i = 0; i < int(std::size(names)); ++i)
        if (lower == names[i])
            return SetLogLevel(TLogLevel(i));
    try {
        size_t used = 0;
        const int value = std::stoi(name, &used);
        if (used == name.size())
            SetLogLevel(LibToLogLevel(value));
    } catch (const std::exception&) {
        // not a number either: keep the level
    }
}

bool TFFLogger::Passes(TLogLevel level) const {
    if (!OnLog)
        return false;
    const TLogLevel current = logLevel_.load();
    return level <= current || (level == llVerbose && current != llQuiet);
}

void TFFLogger::Log(void* Sender, TLogLevel level, const std::string& msg) {
    if (Passes(level))
        Deliver(Sender, FFThreadId(), level, msg);
}

void TFFLogger::LogFmt(void* Sender, TLogLevel level, const char* fmt, ...) {
    if (!Passes(level))
        return;
    va_list vl;
    va_start(vl, fmt);
    std::string msg = vformat(fmt, vl);
    va_end(vl);
    Deliver(Sender, FFThreadId(), level, msg);
}

void TFFLogger::Deliver(void* Sender, uint32_t threadId, TLogLevel level, const std::string& text) {
    const std::string msg = oneLine(text);
    if (!OnLog || msg.empty())
        return;
    if (!triggerInMainThread_ || MainThread::IsMainThread())
        OnLog(Sender, threadId, level, msg);
    else if (FFHoldsCodecLock())
        // The main thread may be waiting for the codec lock (probing): queue, never wait.
        MainThread::Post(
            [onLog = OnLog, Sender, threadId, level, msg] { onLog(Sender, threadId, level, msg); });
    else
        MainThread::Send([&] { OnLog(Sender, threadId, level, msg); });
}

TFFLogger& FFLogger() {
    {
        std::lock_guard guard(gRegistryLock);
        if (gLogger)
            return *gLogger;
    }
    auto* logger = new TFFLogger;
    std::lock_guard guard(gRegistryLock);
    gEngineCreated = true;
    return *logger;
}

void FFFreeDefaultLogger() {
    TFFLogger* old = nullptr;
    {
        std::lock_guard guard(gRegistryLock);
        if (!gEngineCreated)
            return;
        old = gLogger;
        gLogger = nullptr;
        gEngineCreated = false;
    }
    delete old;
}

void FFLoggerInstall() {
    FF().avutil.av_log_set_callback(&FFLogCallback);
    FF().avutil.av_log_set_level(gLibLevel.load());
}

void FFLogCallback(void* avcl, int level, const char* fmt, va_list vl) {
    if (level > gLibLevel.load())
        return;
    const uint32_t tid = FFThreadId();
    const std::string text = vformat(fmt, vl);
    std::vector<std::string> ready;
    {
        std::lock_guard guard(gLinesLock);
        std::string& line = gLines[tid];
        const std::string chunk = line.empty() ? prefixOf(avcl) + text : text;
        if (!chunk.empty() && chunk.back() == '\n' && chunk == gLastChunk) {
            // A repeated complete line is counted, not appended.
            ++gRepeatCount;
            return;
        }
        if (gRepeatCount > 0) {
            ready.push_back(format("    Last message repeated %d times", gRepeatCount));
            gRepeatCount = 0;
        }
        gLastChunk = chunk;
        line += chunk;
        for (size_t eol; (eol = line.find('\n')) != std::string::npos;) {
            ready.push_back(line.substr(0, eol));
            line.erase(0, eol + 1);
        }
    }
    // Delivery may wait for the main thread, so it happens outside the lock.
    TFFLogger& logger = FFLogger();
    for (const std::string& msg : ready)
        logger.Deliver(&logger, tid, LibToLogLevel(level), msg);
}

void FFLogResetLines() {
    std::lock_guard guard(gLinesLock);
    gLines.clear();
    gLastChunk.clear();
    gRepeatCount = 0;
}
