#pragma once

#include "engine/FFEncode.h"

#include <functional>
#include <memory>
#include <string>

// The media engine for one run of the program: starts the engine, loads the FFmpeg
// libraries ("lib" beside the executable first, then the system's), owns the encoder
// component and shuts the engine down at the end.
class TEngineSession {
public:
    TEngineSession();
    ~TEngineSession();
    TEngineSession(const TEngineSession&) = delete;
    TEngineSession& operator=(const TEngineSession&) = delete;

    // False with the loader's reason in LastErrMsg when the libraries cannot be loaded.
    bool Load();
    std::string LastErrMsg() const { return encoder_->LastErrMsg(); }
    TFFEncoder& Encoder() { return *encoder_; }

    // Engine log lines at error level and above, as "#thread.level: message"; delivered
    // on the main thread.
    void SetLogSink(std::function<void(const std::string&)> sink);

private:
    std::unique_ptr<TFFEncoder> encoder_;
};
