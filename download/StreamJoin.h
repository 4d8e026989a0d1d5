#pragma once

#include <functional>
#include <memory>
#include <string>

class TCustomFFmpeg;

// Joins a video-only and an audio-only file into one file by stream copy with the media
// engine, on a task thread of its own. The engine's libraries are loaded the first time
// a join needs them ("lib" beside the executable first, then the system's).
class TStreamJoin {
public:
    // error: empty when the joined file is complete. Called on the main thread.
    using TDone = std::function<void(const std::string& error)>;

    TStreamJoin();
    // Stops a join in progress and waits for it; its output is removed, done is not called.
    ~TStreamJoin();
    TStreamJoin(const TStreamJoin&) = delete;
    TStreamJoin& operator=(const TStreamJoin&) = delete;

    // format: the output's container ("mp4"). False with the reason in error when the
    // join cannot start; done is then not called.
    bool Start(const std::string& video, const std::string& audio, const std::string& output,
               const std::string& format, TDone done, std::string& error);
    // Asks a join in progress to stop; done follows with an error, its output removed.
    void Cancel();
    bool Running() const { return task_ != nullptr; }

private:
    void Finished();

    std::unique_ptr<TCustomFFmpeg> task_;
    TDone done_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
