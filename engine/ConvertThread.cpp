#include "engine/ConvertThread.h"

#include <chrono>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Nice values per priority. Raising priority needs privileges this program does not
// ask for, so the higher rows keep the normal value.
constexpr int kNiceOfPriority[] = {
    19, // tpIdle
    10, // tpLowest
    5,  // tpLower
    0,  // tpNormal
    0,  // tpHigher
    0,  // tpHighest
    0,  // tpTimeCritical
};

void ApplyPriority(TThreadPriority priority) {
    const int nice = kNiceOfPriority[static_cast<int>(priority)];
    if (nice != 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice); // best effort
}

} // namespace

TThreadEvent::TThreadEvent(bool initiallySet) : FSet(initiallySet) {}

void TThreadEvent::Set() {
    {
        std::lock_guard g(FLock);
        FSet = true;
    }
    FChanged.notify_all();
}

void TThreadEvent::Reset() {
    std::lock_guard g(FLock);
    FSet = false;
}

bool TThreadEvent::IsSet() const {
    std::lock_guard g(FLock);
    return FSet;
}

bool TThreadEvent::WaitFor(int timeoutMs) {
    std::unique_lock g(FLock);
    return FChanged.wait_for(g, std::chrono::milliseconds(timeoutMs), [this] { return FSet; });
}

void TThreadEvent::Wait() {
    std::unique_lock g(FLock);
    FChanged.wait(g, [this] { return FSet; });
}

TConvertThread::TConvertThread(std::function<void()> body, TThreadPriority priority)
    : FBody(std::move(body)), FPriority(priority) {}

TConvertThread::~TConvertThread() {
    Join();
}

void TConvertThread::Resume() {
    if (FThread.joinable())
        return;
    FThread = std::thread([this] {
        ApplyPriority(FPriority);
        FBody();
    });
}

void TConvertThread::Join() {
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
        FThread.join();
}

bool TConvertThread::IsCurrentThread() const {
    return FThread.get_id() == std::this_thread::get_id();
}
