#pragma once

// The engine logger: every message of the engine and of the FFmpeg libraries goes
// through the single TFFLogger (FFLogger()), which raises OnLog for each line that
// passes its level. Library lines are assembled per thread and delivered on the main
// thread (support/MainThread) when TriggerEventInMainThread is on.

#include "engine/FFBaseComponent.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>

enum TLogLevel : int { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

// Sender, AThreadID, ALogLevel, ALogMsg.
using TLogEvent =
    std::function<void(void* Sender, uint32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)>;

// The id the engine reports for the calling thread.
uint32_t FFThreadId();

// Library log level <-> logger level.
int LogLevelToLib(TLogLevel level);
TLogLevel LibToLogLevel(int libLevel);

class TFFLogger : public TFFBaseComponent {
public:
    // Becomes the registered logger; throws std::logic_error when another one is still
    // registered ("Allow creating only one instance of TFFLogger.").
    TFFLogger();
    ~TFFLogger() override;

    TLogLevel LogLevel() const { return logLevel_.load(); }
    void SetLogLevel(TLogLevel level);
    // "quiet" .. "debug" (any case) or a number in library units; unknown text is ignored.
    void SetLogLevelByName(const std::string& name);

    bool TriggerEventInMainThread() const { return triggerInMainThread_.load(); }
    void SetTriggerEventInMainThread(bool on) { triggerInMainThread_ = on; }

    // Assign on the main thread before any engine work starts.
    TLogEvent OnLog;

    // Engine messages: delivered when OnLog is set and the level passes the filter.
    void Log(void* Sender, TLogLevel level, const std::string& msg);
    void LogFmt(void* Sender, TLogLevel level, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
    bool Passes(TLogLevel level) const;

    // Raises OnLog for one line, on the main thread when so configured (line breaks in
    // the text are folded; an empty line is dropped).
    void Deliver(void* Sender, uint32_t threadId, TLogLevel level, const std::string& msg);

private:
    std::atomic<TLogLevel> logLevel_{llInfo};
    std::atomic<bool> triggerInMainThread_{true};
};

// The registered logger; creates a default one (engine-created) when there is none.
TFFLogger& FFLogger();
// Frees the logger when the engine created it (engine shutdown).
void FFFreeDefaultLogger();

// Installs the library log callback and passes the current level to the library
// (called once avutil is bound).
void FFLoggerInstall();
// The library log callback (public so it can be driven directly).
void FFLogCallback(void* avcl, int level, const char* fmt, va_list vl);
// Forgets held partial lines and the repeat state (library unload).
void FFLogResetLines();

// "name: text of the error number".
std::string FFErrorText(const std::string& name, int errnum);
// "hh:mm:ss.zzz" from microseconds; "N/A" for the undefined time (INT64_MIN).
std::string FFTimeText(int64_t us);
// "Video", "Audio", "Data", "Subtitle", "Attachment", else "Unknown".
std::string FFMediaTypeName(int mediaType);
