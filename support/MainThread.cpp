#include "support/MainThread.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace MainThread {
namespace {

struct Pending {
    Call fn;
    // Set for Send: the sender waits on done.
    bool waited = false;
    bool done = false;
    std::exception_ptr error;
};

struct Queue {
    std::mutex lock;                  // guards everything below
    std::condition_variable arrived;  // main thread waits for work
    std::condition_variable finished; // senders wait for their call
    std::deque<std::shared_ptr<Pending>> calls;
    std::thread::id owner = std::this_thread::get_id();
    Call waker;
    Call pump;
};

Queue& queue() {
    static Queue q;
    return q;
}

// Captured during static initialisation, which runs on the process's first thread.
const bool ownerCaptured = (queue(), true);

void enqueue(const std::shared_ptr<Pending>& p) {
    Queue& q = queue();
    Call waker;
    {
        std::lock_guard g(q.lock);
        q.calls.push_back(p);
        waker = q.waker;
    }
    q.arrived.notify_all();
    if (waker)
        waker();
}

} // namespace

bool IsMainThread() {
    Queue& q = queue();
    std::lock_guard g(q.lock);
    return q.owner == std::this_thread::get_id();
}

void Attach() {
    Queue& q = queue();
    std::lock_guard g(q.lock);
    q.owner = std::this_thread::get_id();
}

void Send(const Call& fn) {
    (void)ownerCaptured;
    if (IsMainThread()) {
        fn();
        return;
    }
    auto p = std::make_shared<Pending>();
    p->fn = fn;
    p->waited = true;
    enqueue(p);
    Queue& q = queue();
    std::unique_lock g(q.lock);
    q.finished.wait(g, [&] { return p->done; });
    if (p->error)
        std::rethrow_exception(p->error);
}

void Post(Call fn) {
    auto p = std::make_shared<Pending>();
    p->fn = std::move(fn);
    enqueue(p);
}

int ProcessPending() {
    Queue& q = queue();
    int ran = 0;
    for (;;) {
        std::shared_ptr<Pending> p;
        {
            std::lock_guard g(q.lock);
            if (q.calls.empty())
                break;
            p = std::move(q.calls.front());
            q.calls.pop_front();
        }
        try {
            p->fn();
        } catch (...) {
            if (!p->waited)
                throw;
            p->error = std::current_exception();
        }
        if (p->waited) {
            std::lock_guard g(q.lock);
            p->done = true;
            // The sender keeps the last reference, so its exception is freed on its own thread.
            p.reset();
            q.finished.notify_all();
        }
        ++ran;
    }
    return ran;
}

int WaitAndProcess(std::chrono::milliseconds timeout) {
    Queue& q = queue();
    {
        std::unique_lock g(q.lock);
        q.arrived.wait_for(g, timeout, [&] { return !q.calls.empty(); });
    }
    return ProcessPending();
}

void SetWaker(Call waker) {
    Queue& q = queue();
    std::lock_guard g(q.lock);
    q.waker = std::move(waker);
}

void SetPump(Call pump) {
    Queue& q = queue();
    std::lock_guard g(q.lock);
    q.pump = std::move(pump);
}

void PumpSlice(std::chrono::milliseconds timeout) {
    Call pump;
    {
        Queue& q = queue();
        std::lock_guard g(q.lock);
        pump = q.pump;
    }
    if (pump) {
        pump();
        ProcessPending();
        // The pump does not block; wait the rest of the slice for queued calls.
    }
    WaitAndProcess(timeout);
}

} // namespace MainThread
