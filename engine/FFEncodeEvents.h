#pragma once

#include <functional>
#include <mutex>

// An event property that may be assigned on one thread while a worker raises it on
// another: raising takes a copy of the handler under the slot's lock.
template <class F> class TEventSlot {
public:
    TEventSlot& operator=(F handler) {
        std::lock_guard g(FLock);
        FHandler = std::move(handler);
        return *this;
    }
    explicit operator bool() const {
        std::lock_guard g(FLock);
        return static_cast<bool>(FHandler);
    }
    F Get() const {
        std::lock_guard g(FLock);
        return FHandler;
    }

private:
    mutable std::mutex FLock; // guards FHandler
    F FHandler;
};
