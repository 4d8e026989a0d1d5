#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The end of one child program run: what it printed, or why it gave nothing usable.
struct TChildOutcome {
    bool Cancelled = false;
    std::string Output; // standard output, when the program ended with exit code 0
    std::string Error;  // otherwise (not cancelled): the reason, with its last error line
    bool Ok() const { return !Cancelled && Error.empty(); }
};

// Runs a program with arguments as a child process, reading its output on a worker
// thread so the main thread never waits for it. A time-out or Cancel kills the child
// with its own children. The outcome is delivered on the main thread.
class TChildProcess {
public:
    using TDone = std::function<void(const TChildOutcome&)>;

    // Standard output beyond this many bytes ends the run as failed.
    static constexpr std::size_t kMaxOutputBytes = 64u << 20;

    TChildProcess() = default;
    // Kills a child still running; its outcome is not delivered.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // argv[0] names the program (looked up on PATH without a separator). One run at a
    // time: false when a run is going on.
    bool Start(const std::vector<std::string>& argv, std::chrono::milliseconds timeout, TDone done);
    // Kills the child; the outcome comes as Cancelled.
    void Cancel();
    bool Running() const { return running_; }

private:
    void Stop();

    bool running_ = false; // main thread: from Start until the outcome is delivered
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> alive_;
    // The pipe that wakes the worker for Cancel; both ends live until the worker is joined.
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
};
