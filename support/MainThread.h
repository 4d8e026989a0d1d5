#pragma once

#include <chrono>
#include <functional>

// The process-wide call queue owned by the main thread. Worker threads hand work to
// the main thread through it: Send waits for the call to finish, Post does not.
// The GUI installs a waker that makes its event loop call ProcessPending(); the CLI
// and the tests pump it themselves with WaitAndProcess().
namespace MainThread {

using Call = std::function<void()>;

// True on the thread that owns the queue (the thread that started the process,
// unless Attach() named another one).
bool IsMainThread();
// Makes the calling thread the owner of the queue.
void Attach();

// Runs fn on the main thread and waits for it; runs it at once when called there.
// An exception thrown by fn is rethrown to the caller.
void Send(const Call& fn);
// Queues fn for the main thread.
void Post(Call fn);
// Runs every queued call on the calling (main) thread; returns how many ran.
int ProcessPending();
// Waits up to timeout for a call to arrive, then runs what is queued.
int WaitAndProcess(std::chrono::milliseconds timeout);

// Called (from any thread) whenever a call is queued, so an event loop can wake up.
void SetWaker(Call waker);
// Extra work a main-thread wait does between slices (the GUI processes its events).
void SetPump(Call pump);

// One slice of a main-thread wait: runs queued calls and the pump, waiting at most
// timeout for something to arrive. Waits on the main thread loop on this so a worker
// delivering an event can never dead-lock with them.
void PumpSlice(std::chrono::milliseconds timeout);

} // namespace MainThread
