#include "net/WinThread.h"

#include "support/MainThread.h"

#include <algorithm>
#include <array>
#include <sys/resource.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

struct PriorityRow {
    TThreadPriority priority;
    int os;
};

constexpr std::array<PriorityRow, 7> kPriorityTable{{
    {tpIdle, -15},
    {tpLowest, -2},
    {tpLower, -1},
    {tpNormal, 0},
    {tpHigher, 1},
    {tpHighest, 2},
    {tpTimeCritical, 15},
}};

// Slice of a main-thread wait: short enough to notice a thread's end promptly.
constexpr auto kSlice = 10ms;

std::mutex liveLock; // guards liveCount
int liveCount = 0;

thread_local TEventWinThread* currentThread = nullptr;

} // namespace

int ThreadPriorityToOS(TThreadPriority priority) {
    for (const PriorityRow& row : kPriorityTable)
        if (row.priority == priority)
            return row.os;
    return 0;
}

TThreadPriority ThreadPriorityFromOS(int osPriority) {
    for (const PriorityRow& row : kPriorityTable)
        if (row.os == osPriority)
            return row.priority;
    return tpNormal;
}

// ---- TEventWinThread ----

TEventWinThread::TEventWinThread(TCustomWinThread* owner, std::shared_ptr<std::atomic<bool>> ownerDestroying)
    : owner_(owner), ownerDestroying_(std::move(ownerDestroying)) {
    std::lock_guard g(liveLock);
    ++liveCount;
}

TEventWinThread::~TEventWinThread() {
    Terminated_ = true;
    if (thread_.joinable()) {
        // The last reference is dropped by the body itself when its owner gave up waiting.
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
    std::lock_guard g(liveLock);
    --liveCount;
}

int TEventWinThread::LiveCount() {
    std::lock_guard g(liveLock);
    return liveCount;
}

TEventWinThread* TEventWinThread::Current() {
    return currentThread;
}

void TEventWinThread::Resume() {
    if (!Suspended_)
        return;
    Suspended_ = false;
    if (!Started_.exchange(true))
        thread_ = std::thread([self = shared_from_this()] { self->body(); });
}

// A started thread cannot be held from outside on this platform; only the flag is kept.
void TEventWinThread::Suspend() {
    Suspended_ = true;
}

void TEventWinThread::Kill() {
    Killed_ = true;
    Terminated_ = true;
}

bool TEventWinThread::Ended() const {
    std::lock_guard g(endLock_);
    return ended_;
}

bool TEventWinThread::WaitFor() {
    if (!Started_)
        return true;
    if (MainThread::IsMainThread()) {
        if (inCall_)
            return false;
        while (!Ended())
            MainThread::PumpSlice(kSlice);
    }
    WaitEnded(std::chrono::milliseconds::max());
    return true;
}

bool TEventWinThread::WaitEnded(std::chrono::milliseconds timeout) {
    std::unique_lock g(endLock_);
    if (timeout == std::chrono::milliseconds::max()) {
        endedCv_.wait(g, [&] { return ended_; });
        return true;
    }
    return endedCv_.wait_for(g, timeout, [&] { return ended_; });
}

void TEventWinThread::Synchronize(const std::function<void()>& call) {
    if (Killed_)
        throw EWinThreadKilled{};
    std::exception_ptr caught;
    MainThread::Send([&] {
        if (ownerDestroying() || Killed_)
            return;
        inCall_ = true;
        try {
            call();
        } catch (...) {
            caught = std::current_exception();
        }
        inCall_ = false;
    });
    if (Killed_)
        throw EWinThreadKilled{};
    if (caught && !HandleExceptions)
        std::rethrow_exception(caught);
}

void TEventWinThread::SetPriority(TThreadPriority priority) {
    osPriority_ = ThreadPriorityToOS(priority);
    if (tid_ != 0)
        applyPriority();
}

// Best effort: the nice value mirrors the OS priority; raising it needs privileges.
void TEventWinThread::applyPriority() {
    const int nice = std::clamp(-osPriority_.load(), -20, 19);
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid_.load()), nice);
}

void TEventWinThread::body() {
    currentThread = this;
    tid_ = static_cast<int>(gettid());
    if (osPriority_ != 0)
        applyPriority();
    if (!Terminated_) {
        Running_ = true;
        try {
            if (OnExecute && !ownerDestroying()) {
                if (HandleExceptions) {
                    try {
                        OnExecute(owner_);
                    } catch (const EWinThreadKilled&) {
                        throw;
                    } catch (...) {
                        const std::exception_ptr e = std::current_exception();
                        if (OnException && !ownerDestroying())
                            Synchronize([&] { OnException(e); });
                    }
                } else {
                    OnExecute(owner_);
                }
            }
            if (OnTerminate)
                Synchronize([this] { completion(); });
        } catch (...) {
            // A stopped run, or an unprotected job that raised: the run simply ends here
            // rather than taking the whole process down.
        }
        Running_ = false;
    }
    tid_ = 0;
    currentThread = nullptr;
    {
        std::lock_guard g(endLock_);
        ended_ = true;
    }
    endedCv_.notify_all();
}

// Runs on the main thread, delivered by Synchronize (so the owner is not being destroyed).
void TEventWinThread::completion() {
    if (OnTerminate && !ownerDestroying()) {
        if (HandleExceptions) {
            try {
                OnTerminate(owner_);
            } catch (...) {
                if (OnException && !ownerDestroying())
                    OnException(std::current_exception());
            }
        } else {
            OnTerminate(owner_);
        }
    }
    if (!ownerDestroying() && owner_->FreeOwnerOnTerminate)
        owner_->freeOwner();
}

// ---- TCustomWinThread ----

TCustomWinThread::TCustomWinThread(std::function<void()> freeOwner)
    : freeOwner_(std::move(freeOwner)), thread_(std::make_shared<TEventWinThread>(this, destroying_)) {}

TCustomWinThread::~TCustomWinThread() {
    *destroying_ = true;
    StopRun();
}

void TCustomWinThread::StopRun() {
    if (thread_->Started() && !thread_->Ended())
        replaceThread();
    waitStopped();
}

void TCustomWinThread::replaceThread() {
    std::shared_ptr<TEventWinThread> old = thread_;
    if (old->Started() && !old->Ended())
        old->Kill();
    auto fresh = std::make_shared<TEventWinThread>(this, destroying_);
    fresh->SetPriority(old->Priority());
    fresh->OnExecute = old->OnExecute;
    fresh->OnException = old->OnException;
    fresh->OnTerminate = old->OnTerminate;
    thread_ = std::move(fresh);
    if (old->Started())
        stopped_.push_back(std::move(old));
}

// A run that cannot end yet (it is delivering the call we are in) frees itself later.
void TCustomWinThread::waitStopped() {
    for (auto& run : stopped_)
        run->WaitFor();
    stopped_.clear();
}

bool TCustomWinThread::Execute() {
    replaceThread();
    // The previous run must have unwound before a new one may touch the same resources.
    waitStopped();
    thread_->HandleExceptions = HandleExceptions;
    std::shared_ptr<TEventWinThread> run = thread_;
    run->Resume();
    if (!WaitThread)
        return true;
    return waitForRun(run);
}

bool TCustomWinThread::waitForRun(const std::shared_ptr<TEventWinThread>& run) {
    const auto quiet = std::chrono::milliseconds(WaitTimeout);
    bool expired = false;
    if (MainThread::IsMainThread()) {
        auto deadline = std::chrono::steady_clock::now() + quiet;
        for (;;) {
            if (run->Ended()) {
                MainThread::ProcessPending();
                return true;
            }
            if (Destroying())
                return true;
            auto slice = kSlice;
            if (WaitTimeout != 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left <= 0ms) {
                    expired = true;
                    break;
                }
                slice = std::min(slice, left);
            }
            const int ran = MainThread::WaitAndProcess(slice);
            MainThread::PumpSlice(0ms);
            if (ran > 0)
                deadline = std::chrono::steady_clock::now() + quiet;
        }
    } else {
        expired = !run->WaitEnded(WaitTimeout == 0 ? std::chrono::milliseconds::max() : quiet);
    }
    if (!expired)
        return true;
    bool terminateThread = true;
    if (OnWaitTimeoutExpired)
        OnWaitTimeoutExpired(this, terminateThread);
    if (!terminateThread)
        return true;
    if (thread_ == run)
        replaceThread();
    return false;
}

TEventWinThread& TCustomWinThread::callerRun() const {
    TEventWinThread* current = TEventWinThread::Current();
    return current && current->Owner() == this ? *current : *thread_;
}

void TCustomWinThread::Synchronize(const std::function<void()>& call) {
    if (!Destroying())
        callerRun().Synchronize(call);
}

void TCustomWinThread::Terminate(bool Kill) {
    if (!Kill) {
        thread_->Terminate();
        return;
    }
    replaceThread();
}

void TCustomWinThread::Suspend() {
    thread_->Suspend();
}

bool TCustomWinThread::Running() const {
    return callerRun().Running();
}

bool TCustomWinThread::Terminated() const {
    return callerRun().Terminated();
}

void TCustomWinThread::SetSuspended(bool value) {
    if (value == thread_->Suspended())
        return;
    if (value)
        thread_->Suspend();
    else
        thread_->Resume();
}

void TCustomWinThread::SetOnExecute(TWinThreadNotifyEvent handler) {
    thread_->OnExecute = std::move(handler);
}

void TCustomWinThread::SetOnException(TWinThreadExceptionEvent handler) {
    thread_->OnException = std::move(handler);
}

void TCustomWinThread::SetOnTerminate(TWinThreadNotifyEvent handler) {
    thread_->OnTerminate = std::move(handler);
}

void TCustomWinThread::freeOwner() {
    if (!freeOwner_)
        return;
    replaceThread();
    freeOwner_();
}
