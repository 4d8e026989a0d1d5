#include "cli/EngineSession.h"

#include "engine/FFLoad.h"
#include "engine/FFLog.h"
#include "support/PathUtils.h"

TEngineSession::TEngineSession() {
    FFEngineStart();
    encoder_ = std::make_unique<TFFEncoder>();
}

TEngineSession::~TEngineSession() {
    FFLogger().OnLog = nullptr;
    encoder_.reset();
    FFEngineShutdown();
}

bool TEngineSession::Load() {
    return encoder_->LibrariesLoaded() || encoder_->LoadLibraries(ExecutableFolder() + "lib");
}

void TEngineSession::SetLogSink(std::function<void(const std::string&)> sink) {
    TFFLogger& logger = FFLogger();
    logger.SetLogLevel(llError);
    logger.OnLog = [sink = std::move(sink)](void*, uint32_t threadId, TLogLevel level,
                                            const std::string& msg) {
        // Library statistics arrive above the chosen level; the terminal shows errors only.
        if (level > llError)
            return;
        std::string text = msg;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        sink("#" + std::to_string(threadId) + "." + std::to_string(static_cast<int>(level)) + ": " + text);
    };
}
