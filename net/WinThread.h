#pragma once

#include "support/ThreadPriority.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// OS priority value of each TThreadPriority, and back (unknown values read as tpNormal).
int ThreadPriorityToOS(TThreadPriority priority);
TThreadPriority ThreadPriorityFromOS(int osPriority);

class TCustomWinThread;

// Thrown inside a job whose thread was stopped at once; it unwinds the job and is
// swallowed by the thread body, so nothing more of the job reaches the main thread.
struct EWinThreadKilled {};

using TWinThreadNotifyEvent = std::function<void(TCustomWinThread* Sender)>;
using TWinThreadExceptionEvent = std::function<void(std::exception_ptr E)>;
using TWinThreadWaitTimeoutExpired = std::function<void(TCustomWinThread* Sender, bool& TerminateThread)>;

// One run of a job on its own thread. Created suspended; it can run only once.
// Shared between its owner and its own thread body, so a stopped thread that is still
// unwinding keeps its object alive until it ends.
class TEventWinThread : public std::enable_shared_from_this<TEventWinThread> {
public:
    TEventWinThread(TCustomWinThread* owner, std::shared_ptr<std::atomic<bool>> ownerDestroying);
    ~TEventWinThread();
    TEventWinThread(const TEventWinThread&) = delete;
    TEventWinThread& operator=(const TEventWinThread&) = delete;

    // Thread objects alive in the process (counted from construction to destruction).
    static int LiveCount();
    // The thread object whose body runs on the calling thread, or null.
    static TEventWinThread* Current();

    void Resume();
    void Suspend();
    // Stop request; the job polls it.
    void Terminate() { Terminated_ = true; }
    // Immediate stop: no further main-thread call and no completion of this run.
    void Kill();
    // Waits for the body to end (from the main thread: in slices that keep main-thread
    // calls flowing). Returns false, without waiting, when the main thread is inside a
    // call this thread is delivering, because the thread cannot end before it returns.
    bool WaitFor();
    // Waits up to timeout for the body to end; no main-thread pumping.
    bool WaitEnded(std::chrono::milliseconds timeout);

    // Runs call on the main thread and waits for it (see HandleExceptions).
    void Synchronize(const std::function<void()>& call);

    bool Terminated() const { return Terminated_; }
    bool Killed() const { return Killed_; }
    bool Suspended() const { return Suspended_; }
    bool Running() const { return Running_; }
    bool Started() const { return Started_; }
    bool Ended() const;
    const TCustomWinThread* Owner() const { return owner_; }

    TThreadPriority Priority() const { return ThreadPriorityFromOS(osPriority_); }
    void SetPriority(TThreadPriority priority);

    // Set before Resume.
    bool HandleExceptions = true;
    TWinThreadNotifyEvent OnExecute;
    TWinThreadExceptionEvent OnException;
    TWinThreadNotifyEvent OnTerminate;

private:
    void body();
    void completion();
    bool ownerDestroying() const { return *ownerDestroying_; }
    void applyPriority();

    TCustomWinThread* owner_;
    std::shared_ptr<std::atomic<bool>> ownerDestroying_;
    std::thread thread_;
    std::atomic<bool> Terminated_{false};
    std::atomic<bool> Killed_{false};
    std::atomic<bool> Suspended_{true};
    std::atomic<bool> Started_{false};
    std::atomic<bool> Running_{false};
    // True while the main thread runs a call this thread is delivering.
    std::atomic<bool> inCall_{false};
    std::atomic<int> osPriority_{0};
    std::atomic<int> tid_{0};
    mutable std::mutex endLock_; // guards ended_
    std::condition_variable endedCv_;
    bool ended_ = false;
};

// Runs one job at a time on a fresh TEventWinThread and hands calls to the main thread.
class TCustomWinThread {
public:
    // freeOwner, when given, frees the component's owner (see FreeOwnerOnTerminate).
    explicit TCustomWinThread(std::function<void()> freeOwner = {});
    virtual ~TCustomWinThread();
    TCustomWinThread(const TCustomWinThread&) = delete;
    TCustomWinThread& operator=(const TCustomWinThread&) = delete;

    // The owner calls this first in its own destructor: from then on nothing calls into it.
    void BeginDestroy() { *destroying_ = true; }
    bool Destroying() const { return *destroying_; }
    // The flag itself, for code that must outlive the owner it may see destroyed.
    std::shared_ptr<const std::atomic<bool>> DestroyingFlag() const { return destroying_; }
    // Stops a run in progress at once and waits for it to end, so the owner may go away
    // (a run delivering the call we are in cannot end first; it frees itself later).
    void StopRun();

    bool Execute();
    void Synchronize(const std::function<void()>& call);
    void Terminate(bool Kill);
    void Suspend();

    // Read on a worker of this component they report that worker's own run.
    bool Running() const;
    bool Terminated() const;

    bool Suspended() const { return thread_->Suspended(); }
    void SetSuspended(bool value);
    TThreadPriority ThreadPriority() const { return thread_->Priority(); }
    void SetThreadPriority(TThreadPriority value) { thread_->SetPriority(value); }

    void SetOnExecute(TWinThreadNotifyEvent handler);
    void SetOnException(TWinThreadExceptionEvent handler);
    void SetOnTerminate(TWinThreadNotifyEvent handler);

    bool HandleExceptions = true;
    bool FreeOwnerOnTerminate = false;
    bool WaitThread = false;
    std::uint32_t WaitTimeout = 0; // ms; the longest quiet interval of a waiting Execute
    TWinThreadWaitTimeoutExpired OnWaitTimeoutExpired;

private:
    friend class TEventWinThread;
    // Completion step of a run with FreeOwnerOnTerminate (main thread).
    void freeOwner();
    // The run of the calling worker when it is one of ours, else the current one.
    TEventWinThread& callerRun() const;
    void replaceThread();
    void waitStopped();
    bool waitForRun(const std::shared_ptr<TEventWinThread>& run);

    std::function<void()> freeOwner_;
    std::shared_ptr<std::atomic<bool>> destroying_ = std::make_shared<std::atomic<bool>>(false);
    // The current thread object; only the main (owning) thread replaces it.
    std::shared_ptr<TEventWinThread> thread_;
    // Runs stopped at once that may still be unwinding.
    std::vector<std::shared_ptr<TEventWinThread>> stopped_;
};
