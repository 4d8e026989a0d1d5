#include "engine/NotifierThreads.h"

#include "engine/FFLog.h"
#include "support/MainThread.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace {
constexpr int kWaitSliceMs = 20;
}

TNotifierThreads::~TNotifierThreads() {
    WaitAll();
}

void TNotifierThreads::Launch(std::function<void()> call) {
    std::lock_guard g(FState->Lock);
    JoinFinished();
    TNotifier& notifier = FState->Notifiers.emplace_back();
    notifier.Thread = std::thread([state = FState, &notifier, call = std::move(call)] {
        try {
            call();
        } catch (const std::exception& e) {
            FFLogger().Log(nullptr, llError, e.what());
        } catch (...) {
            FFLogger().Log(nullptr, llError, "unknown error in terminate notification");
        }
        std::lock_guard done(state->Lock);
        notifier.Done = true;
        state->Changed.notify_all();
    });
}

void TNotifierThreads::BeginDelivery() {
    std::lock_guard g(FState->Lock);
    ++FState->PendingDeliveries;
}

void TNotifierThreads::EndDelivery() {
    std::lock_guard g(FState->Lock);
    --FState->PendingDeliveries;
    FState->Changed.notify_all();
}

void TNotifierThreads::WaitDeliveries() {
    std::unique_lock g(FState->Lock);
    FState->Changed.wait(g, [this] { return FState->PendingDeliveries <= 0; });
}

void TNotifierThreads::WaitAll() {
    const auto self = std::this_thread::get_id();
    auto& notifiers = FState->Notifiers;
    // A handler that frees the owner runs on a notifier: that thread cannot wait for itself.
    auto othersDone = [&notifiers, self] {
        return std::all_of(notifiers.begin(), notifiers.end(),
                           [self](const TNotifier& n) { return n.Done || n.Thread.get_id() == self; });
    };
    std::unique_lock g(FState->Lock);
    if (MainThread::IsMainThread()) {
        while (!othersDone()) {
            g.unlock();
            MainThread::PumpSlice(std::chrono::milliseconds(kWaitSliceMs));
            g.lock();
        }
    } else {
        FState->Changed.wait(g, othersDone);
    }
    for (auto it = notifiers.begin(); it != notifiers.end();) {
        if (it->Thread.get_id() == self) {
            ++it; // keeps its node: the thread marks it done on its way out
            continue;
        }
        if (it->Thread.joinable())
            it->Thread.join();
        it = notifiers.erase(it);
    }
    // The calling notifier, if any, finishes on its own.
    for (auto& n : notifiers)
        n.Thread.detach();
}

void TNotifierThreads::JoinFinished() {
    auto& notifiers = FState->Notifiers;
    for (auto it = notifiers.begin(); it != notifiers.end();) {
        if (it->Done && it->Thread.get_id() != std::this_thread::get_id()) {
            if (it->Thread.joinable())
                it->Thread.join();
            it = notifiers.erase(it);
        } else {
            ++it;
        }
    }
}
