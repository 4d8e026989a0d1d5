#pragma once

#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// The encoder's terminate notifier threads. Each notification runs on a thread of its
// own; the threads are tracked and joined, so none outlives its owner. Also counts
// the per-task notifications whose handler has not returned yet.
class TNotifierThreads {
public:
    TNotifierThreads() = default;
    ~TNotifierThreads();
    TNotifierThreads(const TNotifierThreads&) = delete;
    TNotifierThreads& operator=(const TNotifierThreads&) = delete;

    // Runs call on a new notifier thread. An exception it throws ends only that call.
    void Launch(std::function<void()> call);

    // A per-task notification is on its way / its handler has returned.
    void BeginDelivery();
    void EndDelivery();
    // Waits until every per-task notification begun so far has been delivered.
    void WaitDeliveries();

    // Waits for every notifier thread to end and joins them; on the main thread the
    // main-thread queue keeps running meanwhile.
    void WaitAll();

private:
    struct TNotifier {
        std::thread Thread;
        bool Done = false;
    };
    // Shared with the threads, so a thread left running by a handler that freed the
    // owner still finds its state.
    struct TState {
        std::mutex Lock; // guards everything below
        std::condition_variable Changed;
        std::list<TNotifier> Notifiers;
        int PendingDeliveries = 0;
    };
    void JoinFinished(); // with FState->Lock held

    std::shared_ptr<TState> FState = std::make_shared<TState>();
};
