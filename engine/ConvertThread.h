#pragma once

#include "engine/FFmpeg.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Manual-reset event: stays set until reset; waiters see every set.
class TThreadEvent {
public:
    explicit TThreadEvent(bool initiallySet);
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits at most timeoutMs for the event; true when it is set.
    bool WaitFor(int timeoutMs);
    void Wait();

private:
    mutable std::mutex FLock; // guards FSet
    std::condition_variable FChanged;
    bool FSet;
};

// A thread created suspended: the body runs once Resume is called. The owner joins it
// (Join or destruction), so no thread outlives the object that started it.
class TConvertThread {
public:
    TConvertThread(std::function<void()> body, TThreadPriority priority);
    ~TConvertThread();
    TConvertThread(const TConvertThread&) = delete;
    TConvertThread& operator=(const TConvertThread&) = delete;

    void Resume();
    void Join();
    bool IsCurrentThread() const;

private:
    std::function<void()> FBody;
    TThreadPriority FPriority;
    std::thread FThread;
};
