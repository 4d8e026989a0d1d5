#include "engine/Previewer.h"

#include "support/MainThread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

struct Record {
    std::vector<std::pair<int, int>> shows;
    std::vector<std::string> captions;
    bool offMainThread = false;
    int windowsFreed = 0;
    int closeAfter = 1000;
};

class FakeWindow : public IPreviewWindow {
public:
    explicit FakeWindow(Record& r) : r_(r) {}
    ~FakeWindow() override {
        r_.offMainThread |= !MainThread::IsMainThread();
        ++r_.windowsFreed;
    }
    void Show(int width, int height) override {
        r_.offMainThread |= !MainThread::IsMainThread();
        r_.shows.emplace_back(width, height);
    }
    bool Draw(const TBitmap&, const std::string& caption) override {
        r_.offMainThread |= !MainThread::IsMainThread();
        r_.captions.push_back(caption);
        return int(r_.captions.size()) < r_.closeAfter;
    }

private:
    Record& r_;
};

TEST(Previewer, DrivesTheWindowOnTheMainThreadUntilTheUserClosesIt) {
    Record rec;
    rec.closeAfter = 3;
    TPreviewer::SetWindowFactory([&] { return std::make_unique<FakeWindow>(rec); });
    TBitmap frame;
    frame.SetSize(64, 48, 24);
    std::vector<bool> answers;
    std::atomic<bool> done{false};
    {
        TPreviewer previewer;
        std::thread task([&] {
            for (int i = 0; i < 5; ++i)
                answers.push_back(previewer.Preview(frame, 1500000 + i * 40000));
            done = true;
        });
        while (!done)
            MainThread::PumpSlice(std::chrono::milliseconds(10));
        task.join();
    }
    EXPECT_EQ(rec.shows, (std::vector<std::pair<int, int>>{{64, 48}}));
    EXPECT_EQ(rec.captions, (std::vector<std::string>{"00:00:01.500", "00:00:01.540", "00:00:01.580"}));
    EXPECT_EQ(answers, (std::vector<bool>{true, true, false, false, false}));
    EXPECT_FALSE(rec.offMainThread);
    EXPECT_EQ(rec.windowsFreed, 1);
    TPreviewer::SetWindowFactory(nullptr);
}

TEST(Previewer, WithoutAWindowFactoryPreviewIsOff) {
    TPreviewer::SetWindowFactory(nullptr);
    TPreviewer previewer;
    TBitmap frame;
    frame.SetSize(8, 8, 24);
    EXPECT_FALSE(previewer.Preview(frame, INT64_MIN));
}

} // namespace
