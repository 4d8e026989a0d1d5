#include "net/WinThread.h"

#include "support/MainThread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Pumps the main-thread queue until pred holds (or a generous limit passes).
template <class Pred> bool PumpUntil(Pred pred) {
    for (int i = 0; i < 1000 && !pred(); ++i)
        MainThread::WaitAndProcess(10ms);
    return pred();
}

// A job that runs until stopped (or limit), polling the stop flag like a real job.
void RunUntilStopped(TCustomWinThread* t, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!t->Terminated() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
}

struct Counters {
    std::atomic<int> executed{0};
    std::atomic<int> finishedJobs{0};
    std::atomic<int> terminates{0};
    std::atomic<int> exceptions{0};
};

void Wire(TCustomWinThread& t, Counters& c, std::chrono::milliseconds jobLength) {
    t.SetOnExecute([&c, jobLength](TCustomWinThread* sender) {
        ++c.executed;
        RunUntilStopped(sender, jobLength);
        if (!sender->Terminated())
            ++c.finishedJobs;
    });
    t.SetOnTerminate([&c](TCustomWinThread*) {
        EXPECT_TRUE(MainThread::IsMainThread());
        ++c.terminates;
    });
    t.SetOnException([&c](std::exception_ptr) { ++c.exceptions; });
}

} // namespace

TEST(WinThread, PriorityTableMapsBothWays) {
    const TThreadPriority all[] = {tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical};
    for (TThreadPriority p : all)
        EXPECT_EQ(ThreadPriorityFromOS(ThreadPriorityToOS(p)), p);
    EXPECT_EQ(ThreadPriorityToOS(tpIdle), -15);
    EXPECT_EQ(ThreadPriorityToOS(tpTimeCritical), 15);
    EXPECT_EQ(ThreadPriorityFromOS(7), tpNormal);
}

TEST(WinThread, SecondExecuteStopsFirstRunAndKeepsPriorityAndHandlers) {
    const int live = TEventWinThread::LiveCount();
    Counters c;
    {
        TCustomWinThread t;
        EXPECT_TRUE(t.Suspended());
        Wire(t, c, 200ms);
        // The first run lasts until the second Execute stops it, however slow the machine.
        t.SetOnExecute([&c](TCustomWinThread* sender) {
            if (++c.executed == 1)
                RunUntilStopped(sender, 600s);
            if (!sender->Terminated())
                ++c.finishedJobs;
        });
        t.SetThreadPriority(tpLower);
        ASSERT_TRUE(t.Execute());
        ASSERT_TRUE(PumpUntil([&] { return c.executed == 1; }));
        ASSERT_TRUE(t.Execute());
        EXPECT_EQ(t.ThreadPriority(), tpLower);
        ASSERT_TRUE(PumpUntil([&] { return c.terminates == 1; }));
        MainThread::WaitAndProcess(50ms);
        EXPECT_EQ(c.executed, 2);
        EXPECT_EQ(c.finishedJobs, 1); // only the second run ran to its end
        EXPECT_EQ(c.terminates, 1);   // and only it completed
        EXPECT_FALSE(t.Running());
    }
    EXPECT_EQ(TEventWinThread::LiveCount(), live);
}

TEST(WinThread, WaitTimeoutStopsTheJobWhenTerminateThreadStaysTrue) {
    Counters c;
    TCustomWinThread t;
    Wire(t, c, 2000ms);
    t.WaitThread = true;
    t.WaitTimeout = 300;
    int expired = 0;
    t.OnWaitTimeoutExpired = [&](TCustomWinThread* sender, bool& terminateThread) {
        EXPECT_EQ(sender, &t);
        EXPECT_TRUE(terminateThread);
        ++expired;
    };
    EXPECT_FALSE(t.Execute());
    EXPECT_EQ(expired, 1);
    EXPECT_FALSE(t.Running());
    MainThread::WaitAndProcess(100ms);
    EXPECT_EQ(c.terminates, 0);
    EXPECT_EQ(c.finishedJobs, 0);
}

TEST(WinThread, WaitTimeoutLetsTheJobGoOnWhenTerminateThreadCleared) {
    Counters c;
    TCustomWinThread t;
    Wire(t, c, 600ms);
    t.WaitThread = true;
    t.WaitTimeout = 200;
    t.OnWaitTimeoutExpired = [&](TCustomWinThread*, bool& terminateThread) { terminateThread = false; };
    EXPECT_TRUE(t.Execute());
    EXPECT_TRUE(t.Running());
    ASSERT_TRUE(PumpUntil([&] { return c.terminates == 1; }));
    EXPECT_EQ(c.finishedJobs, 1);
}

TEST(WinThread, WaitTimeoutIsTheLongestQuietIntervalNotADeadline) {
    TCustomWinThread t;
    int calls = 0;
    bool terminated = false;
    t.SetOnExecute([&](TCustomWinThread* sender) {
        for (int i = 0; i < 8; ++i) {
            std::this_thread::sleep_for(80ms);
            sender->Synchronize([&] { ++calls; });
        }
    });
    t.SetOnTerminate([&](TCustomWinThread*) { terminated = true; });
    t.WaitThread = true;
    t.WaitTimeout = 400; // the whole job takes longer, but it talks every 80 ms
    bool expired = false;
    t.OnWaitTimeoutExpired = [&](TCustomWinThread*, bool&) { expired = true; };
    EXPECT_TRUE(t.Execute());
    EXPECT_FALSE(expired);
    EXPECT_EQ(calls, 8);
    EXPECT_TRUE(terminated); // delivered during the wait
}

TEST(WinThread, DestroyingTheComponentDuringAJobStopsItWithoutCompletion) {
    const int live = TEventWinThread::LiveCount();
    std::atomic<int> syncCalls{0};
    int terminates = 0;
    {
        TCustomWinThread t;
        t.SetOnExecute([&](TCustomWinThread* sender) {
            for (;;) {
                sender->Synchronize([&] { ++syncCalls; });
                if (sender->Terminated())
                    break;
                std::this_thread::sleep_for(2ms);
            }
        });
        t.SetOnTerminate([&](TCustomWinThread*) { ++terminates; });
        t.Execute();
        ASSERT_TRUE(PumpUntil([&] { return syncCalls >= 3; }));
    }
    const int seen = syncCalls;
    MainThread::WaitAndProcess(50ms);
    EXPECT_EQ(syncCalls, seen);
    EXPECT_EQ(terminates, 0);
    EXPECT_EQ(TEventWinThread::LiveCount(), live);
}

TEST(WinThread, KillStopsAtOnceButPlainTerminateLetsTheJobFinish) {
    Counters c;
    TCustomWinThread t;
    Wire(t, c, 2000ms);
    t.Execute();
    ASSERT_TRUE(PumpUntil([&] { return t.Running(); }));
    t.Terminate(false); // the job notices the flag and ends normally: completion follows
    ASSERT_TRUE(PumpUntil([&] { return c.terminates == 1; }));

    t.Execute();
    ASSERT_TRUE(PumpUntil([&] { return c.executed == 2; }));
    t.Terminate(true);
    EXPECT_FALSE(t.Running());
    EXPECT_FALSE(t.Terminated()); // the fresh thread object
    MainThread::WaitAndProcess(100ms);
    EXPECT_EQ(c.terminates, 1);
}

TEST(WinThread, ExceptionsWithHandleExceptions) {
    TCustomWinThread t;
    std::atomic<bool> jobWentOn{false};
    std::string reported;
    bool terminated = false;
    t.SetOnExecute([&](TCustomWinThread* sender) {
        sender->Synchronize([] { throw std::runtime_error("handler failed"); });
        jobWentOn = true; // a failing main-thread handler only cuts that call short
        throw std::runtime_error("job failed");
    });
    t.SetOnException([&](std::exception_ptr e) {
        EXPECT_TRUE(MainThread::IsMainThread());
        try {
            std::rethrow_exception(e);
        } catch (const std::runtime_error& err) {
            reported += err.what();
            reported += ';';
        }
    });
    t.SetOnTerminate([&](TCustomWinThread*) {
        terminated = true;
        throw std::runtime_error("completion failed");
    });
    t.Execute();
    ASSERT_TRUE(PumpUntil([&] { return terminated && !t.Running(); }));
    EXPECT_TRUE(jobWentOn);
    EXPECT_EQ(reported, "job failed;completion failed;");
}

TEST(WinThread, WithoutHandleExceptionsAHandlerFailureIsRaisedInTheWorker) {
    TCustomWinThread t;
    t.HandleExceptions = false;
    std::atomic<bool> caughtInWorker{false};
    int exceptions = 0;
    bool terminated = false;
    t.SetOnExecute([&](TCustomWinThread* sender) {
        try {
            sender->Synchronize([] { throw std::runtime_error("handler failed"); });
        } catch (const std::runtime_error&) {
            caughtInWorker = true;
        }
    });
    t.SetOnException([&](std::exception_ptr) { ++exceptions; });
    t.SetOnTerminate([&](TCustomWinThread*) { terminated = true; });
    t.Execute();
    ASSERT_TRUE(PumpUntil([&] { return terminated; }));
    EXPECT_TRUE(caughtInWorker);
    EXPECT_EQ(exceptions, 0);
}

TEST(WinThread, FreeOwnerOnTerminateFreesTheOwnerAfterCompletion) {
    struct Owner {
        std::unique_ptr<TCustomWinThread> thread;
    };
    const int live = TEventWinThread::LiveCount();
    auto* owner = new Owner;
    bool freed = false;
    owner->thread = std::make_unique<TCustomWinThread>([&] {
        freed = true;
        delete owner;
    });
    bool terminated = false;
    owner->thread->SetOnExecute([](TCustomWinThread*) {});
    owner->thread->SetOnTerminate([&](TCustomWinThread*) { terminated = true; });
    owner->thread->FreeOwnerOnTerminate = true;
    owner->thread->Execute();
    ASSERT_TRUE(PumpUntil([&] { return freed; }));
    EXPECT_TRUE(terminated);
    // The finished run frees itself once its body has ended.
    EXPECT_TRUE(PumpUntil([&] { return TEventWinThread::LiveCount() == live; }));
}
