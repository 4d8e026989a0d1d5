#include "support/MainThread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

TEST(MainThread, SendFromWorkerRunsOnMainThreadAndWaits) {
    ASSERT_TRUE(MainThread::IsMainThread());
    std::atomic<bool> returned{false};
    bool ranOnMain = false;
    std::thread worker([&] {
        MainThread::Send([&] { ranOnMain = MainThread::IsMainThread(); });
        returned = true;
    });
    while (!returned)
        MainThread::WaitAndProcess(10ms);
    worker.join();
    EXPECT_TRUE(ranOnMain);
}

TEST(MainThread, SendOnMainThreadRunsAtOnce) {
    int value = 0;
    MainThread::Send([&] { value = 7; });
    EXPECT_EQ(value, 7);
}

TEST(MainThread, PostRunsOnlyWhenProcessedAndInOrder) {
    std::string order;
    MainThread::Post([&] { order += 'a'; });
    MainThread::Post([&] { order += 'b'; });
    EXPECT_EQ(order, "");
    EXPECT_EQ(MainThread::ProcessPending(), 2);
    EXPECT_EQ(order, "ab");
}

TEST(MainThread, ExceptionInSentCallReachesTheSender) {
    std::atomic<bool> done{false};
    std::string caught;
    std::thread worker([&] {
        try {
            MainThread::Send([] { throw std::runtime_error("boom"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        done = true;
    });
    while (!done)
        MainThread::WaitAndProcess(10ms);
    worker.join();
    EXPECT_EQ(caught, "boom");
}

TEST(MainThread, WakerIsCalledForEveryQueuedCall) {
    std::atomic<int> wakes{0};
    MainThread::SetWaker([&] { ++wakes; });
    std::thread([] { MainThread::Post([] {}); }).join();
    MainThread::Post([] {});
    MainThread::SetWaker(nullptr);
    MainThread::ProcessPending();
    EXPECT_EQ(wakes, 2);
}

TEST(MainThread, PumpSliceDrainsCallsSentDuringAMainThreadWait) {
    // A worker sends while the main thread waits for it: the wait must keep the queue flowing.
    std::atomic<bool> finished{false};
    int delivered = 0;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i)
            MainThread::Send([&] { ++delivered; });
        finished = true;
    });
    while (!finished)
        MainThread::PumpSlice(5ms);
    worker.join();
    EXPECT_EQ(delivered, 50);
}
