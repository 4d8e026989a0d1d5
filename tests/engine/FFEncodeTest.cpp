#include "engine/FFEncode.h"

#include "Fixtures.h"
#include "engine/FFDecode.h"
#include "engine/FFLoad.h"
#include "engine/Previewer.h"
#include "support/MainThread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Runs the main-thread queue until done() holds; gives up after a generous guard so a
// fault shows as a failure instead of a hung test.
bool PumpUntil(const std::function<bool()>& done) {
    const auto guard = std::chrono::steady_clock::now() + 120s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > guard)
            return false;
        MainThread::WaitAndProcess(10ms);
    }
    return true;
}

std::string Probe(const std::string& file) {
    const std::string cmd = "ffprobe -v error -show_entries "
                            "stream=codec_name,sample_rate,channels:format=duration -of default=nw=1 '" +
                            file + "'";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

// What the events delivered, collected from whichever thread raised them.
struct TRecorder {
    struct TProgress {
        int Task;
        int InputFile;
        std::thread::id Thread;
    };
    std::mutex Lock;
    std::vector<TProgress> Progress;
    std::vector<TTerminateInfo> Terminates;
    std::set<std::thread::id> TerminateThreads;
    bool Final = false;

    void Attach(TFFEncoder& encoder) {
        encoder.OnProgress = [this](TCustomEncoder&, PProgressInfo info) {
            std::lock_guard g(Lock);
            Progress.push_back({info->TaskIndex, info->InputFileIndex, std::this_thread::get_id()});
        };
        encoder.OnTerminate = [this](TCustomEncoder&, TTerminateInfo info) {
            std::lock_guard g(Lock);
            Terminates.push_back(info);
            TerminateThreads.insert(std::this_thread::get_id());
            if (info.TaskIndex < 0)
                Final = true;
        };
    }
    bool HasFinal() {
        std::lock_guard g(Lock);
        return Final;
    }
    bool ProgressFrom(int task) {
        std::lock_guard g(Lock);
        return std::any_of(Progress.begin(), Progress.end(),
                           [task](const TProgress& p) { return p.Task == task && p.InputFile >= 0; });
    }
    const TTerminateInfo* InfoOf(int task) {
        for (const auto& t : Terminates)
            if (t.TaskIndex == task)
                return &t;
        return nullptr;
    }
};

class EncoderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FFEngineStart();
        TFFEncoder probe;
        if (!probe.LibrariesLoaded()) {
            ASSERT_TRUE(probe.LoadLibraries("")) << probe.LastErrMsg();
        }
    }

    void SetUp() override {
        Out = Fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Encoder.SetProgressInterval(100);
        // As the window and the command line run them: the stop, hook, preview and join
        // cases below hold with codec threads.
        Encoder.SetThreads(kAutoThreads);
        // Slow tasks hold each picture for a moment, so they are caught running on any machine.
        Encoder.OnVideoInputHook = [](TCustomEncoder&, PHookInfo info) {
            info->Update = false;
            std::this_thread::sleep_for(10ms);
        };
    }

    // Queues one conversion of the fixture into Out; returns the task index.
    int Queue(const std::string& fixture, const std::string& outName, TOutputOptions out) {
        TInputOptions in = InitInputOptions();
        const int index = Encoder.AddTask(Fixtures::Path(fixture), &in);
        EXPECT_GE(index, 0) << Encoder.LastErrMsg();
        EXPECT_TRUE(Encoder.SetOutputFile(index, Out + "/" + outName, &out)) << Encoder.LastErrMsg();
        return index;
    }
    // Starts the queued tasks, parallel at a time, and waits for the final event.
    bool RunToFinal(int parallel) {
        Rec.Attach(Encoder);
        Encoder.StartTask(parallel);
        return PumpUntil([&] { return Rec.HasFinal(); });
    }
    static TOutputOptions Wav() {
        TOutputOptions o = InitOutputOptions();
        o.AudioCodec = "pcm_s16le";
        return o;
    }
    // A conversion long enough to be caught running: its pictures pass the slow hook.
    static TOutputOptions SlowVideo() {
        TOutputOptions o = InitOutputOptions();
        o.VideoInputHook = true;
        o.VideoCodec = "mpeg4";
        o.AudioCodec = "mp2";
        o.VideoBitrate = 800000;
        return o;
    }

    std::string Out;
    TFFEncoder Encoder;
    TRecorder Rec;
};

TEST_F(EncoderTest, PropertiesStartAtTheirDefaultsAndTheIntervalHasAFloor) {
    TFFEncoder e;
    EXPECT_EQ(e.Version(), "3.9");
    EXPECT_EQ(e.ProgressInterval(), 500);
    EXPECT_FALSE(e.Preview());
    EXPECT_TRUE(e.TriggerEventInMainThread());
    EXPECT_EQ(e.ThreadPriority(), TThreadPriority::tpNormal);
    EXPECT_EQ(e.Threads(), 1) << "callers that ask nothing convert on one codec thread";
    e.SetProgressInterval(50);
    EXPECT_EQ(e.ProgressInterval(), 100);
    e.SetProgressInterval(101);
    EXPECT_EQ(e.ProgressInterval(), 101);
    e.SetProgressInterval(-5);
    EXPECT_EQ(e.ProgressInterval(), 100);
}

TEST_F(EncoderTest, AddTaskWritesTheFileNameBackAndFilesStopAtTwenty) {
    const std::string wav = Fixtures::Path("audio.wav");
    TInputOptions in = InitInputOptions();
    const int task = Encoder.AddTask(wav, &in);
    ASSERT_EQ(task, 0) << Encoder.LastErrMsg();
    EXPECT_EQ(in.FileName, wav);

    for (int i = 1; i < 20; ++i)
        ASSERT_TRUE(Encoder.AddInputFile(task, wav, nullptr)) << i << ": " << Encoder.LastErrMsg();
    EXPECT_FALSE(Encoder.AddInputFile(task, wav, nullptr));
    EXPECT_EQ(Encoder.LastErrMsg(), "max input files 20 reached");

    for (int i = 0; i < 20; ++i) {
        TOutputOptions out = Wav();
        ASSERT_TRUE(Encoder.SetOutputFile(task, Out + "/o" + std::to_string(i) + ".wav", &out))
            << i << ": " << Encoder.LastErrMsg();
    }
    EXPECT_FALSE(Encoder.SetOutputFile(task, Out + "/o20.wav"));
    EXPECT_EQ(Encoder.LastErrMsg(), "max output files 20 reached");
    Encoder.RemoveTask(task);
    ASSERT_EQ(Encoder.AddTask(wav), 0);

    EXPECT_EQ(Encoder.AddTask(Out + "/missing.wav"), -1);
    EXPECT_FALSE(Encoder.LastErrMsg().empty());
    EXPECT_EQ(Encoder.TaskCount(), 1);

    // A refused output leaves the task to be removed, as the application does.
    TOutputOptions bad = Wav();
    bad.AudioCodec = "no-such-encoder";
    EXPECT_FALSE(Encoder.SetOutputFile(task, Out + "/x.wav", &bad));
    EXPECT_FALSE(Encoder.LastErrMsg().empty());
    Encoder.RemoveTask(task);
    EXPECT_EQ(Encoder.TaskCount(), 0);
}

// The application's sequence: queue, set outputs, start with 1, progress on the main
// thread, terminate on notifier threads, the final notification, clear from it.
TEST_F(EncoderTest, ParallelOneRunsTasksStrictlyInTurnAndEndsWithOneFinalNotification) {
    for (int i = 0; i < 3; ++i)
        Queue("audio.wav", "out" + std::to_string(i) + ".wav", Wav());
    std::atomic<bool> cleared{false};
    std::atomic<int> perTask{0};
    std::atomic<int> perTaskAtFinal{-1};
    Rec.Attach(Encoder);
    Encoder.OnTerminate = [&](TCustomEncoder& sender, TTerminateInfo info) {
        {
            std::lock_guard g(Rec.Lock);
            Rec.Terminates.push_back(info);
            Rec.TerminateThreads.insert(std::this_thread::get_id());
        }
        if (info.TaskIndex >= 0) {
            ++perTask;
            return;
        }
        perTaskAtFinal = perTask.load();
        sender.ClearTasks();
        cleared = true;
    };
    Encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return cleared.load(); }));

    EXPECT_EQ(perTaskAtFinal, 3) << "the final notification came before a task's handler returned";
    EXPECT_EQ(Encoder.TaskCount(), 0);
    std::lock_guard g(Rec.Lock);
    ASSERT_EQ(Rec.Terminates.size(), 4u);
    EXPECT_EQ(Rec.Terminates.back().TaskIndex, -1);
    EXPECT_TRUE(Rec.Terminates.back().Completed);
    EXPECT_FALSE(Rec.Terminates.back().Failed);
    std::set<int> ended;
    for (size_t i = 0; i + 1 < Rec.Terminates.size(); ++i) {
        EXPECT_TRUE(Rec.Terminates[i].Completed) << Rec.Terminates[i].ErrorMessage;
        EXPECT_FALSE(Rec.Terminates[i].Failed);
        ended.insert(Rec.Terminates[i].TaskIndex);
    }
    EXPECT_EQ(ended, (std::set<int>{0, 1, 2}));
    EXPECT_FALSE(Rec.TerminateThreads.count(std::this_thread::get_id()));

    // Strictly in turn: reports never go back to an earlier task, and a task's final
    // report comes before any report of the next.
    ASSERT_FALSE(Rec.Progress.empty());
    int lastTask = 0;
    bool lastFinal = true;
    for (const auto& p : Rec.Progress) {
        EXPECT_EQ(p.Thread, std::this_thread::get_id()); // delivered on the main thread
        ASSERT_GE(p.Task, lastTask);
        if (p.Task != lastTask) {
            EXPECT_TRUE(lastFinal) << "task " << p.Task << " reported before task " << lastTask << " ended";
        }
        lastTask = p.Task;
        lastFinal = p.InputFile == -1;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(Probe(Out + "/out" + std::to_string(i) + ".wav").find("pcm_s16le"), std::string::npos);
}

TEST_F(EncoderTest, ParallelTwoRunsTwoTasksAtOnceAndCountsEveryNotificationOnce) {
    for (int i = 0; i < 3; ++i)
        Queue("av.mp4", "out" + std::to_string(i) + ".avi", SlowVideo());
    Encoder.SetTriggerEventInMainThread(false); // reports arrive on the task threads
    ASSERT_TRUE(RunToFinal(2));
    Encoder.Stop(true); // harmless after the run; the notifier threads have all been started
    std::lock_guard g(Rec.Lock);

    std::map<int, int> notifications;
    for (const auto& t : Rec.Terminates) {
        ++notifications[t.TaskIndex];
        EXPECT_TRUE(t.Completed) << t.ErrorMessage;
    }
    EXPECT_EQ(notifications, (std::map<int, int>{{-1, 1}, {0, 1}, {1, 1}, {2, 1}}));
    EXPECT_EQ(Rec.Terminates.back().TaskIndex, -1);

    // Each task ran on a thread of its own; at most two were active at any moment.
    std::map<int, std::thread::id> threadOf;
    std::set<int> active;
    size_t mostActive = 0;
    for (const auto& p : Rec.Progress) {
        if (threadOf.count(p.Task)) {
            EXPECT_EQ(threadOf[p.Task], p.Thread);
        }
        threadOf[p.Task] = p.Thread;
        if (p.InputFile == -1)
            active.erase(p.Task);
        else
            active.insert(p.Task);
        mostActive = std::max(mostActive, active.size());
    }
    std::set<std::thread::id> threads;
    for (const auto& [task, id] : threadOf)
        threads.insert(id);
    EXPECT_EQ(threads.size(), 3u);
    EXPECT_FALSE(threads.count(std::this_thread::get_id()));
    EXPECT_LE(mostActive, 2u);
    EXPECT_EQ(mostActive, 2u) << "the first two tasks never ran side by side";
}

TEST_F(EncoderTest, ParallelZeroRunsInTheCallingThreadAndReturnsWhenAllEnded) {
    Queue("audio.wav", "a.wav", Wav());
    Queue("audio.wav", "b.wav", Wav());
    Rec.Attach(Encoder);
    Encoder.StartTask(0);
    std::lock_guard g(Rec.Lock);
    ASSERT_EQ(Rec.Terminates.size(), 3u);
    EXPECT_EQ(Rec.Terminates[0].TaskIndex, 0);
    EXPECT_EQ(Rec.Terminates[1].TaskIndex, 1);
    EXPECT_EQ(Rec.Terminates[2].TaskIndex, -1);
    EXPECT_EQ(Rec.TerminateThreads, (std::set<std::thread::id>{std::this_thread::get_id()}));
    EXPECT_NO_THROW(Encoder.ClearTasks());
}

TEST_F(EncoderTest, StopFromATerminateHandlerOfARunInTheCallingThreadEndsTheRest) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        Queue("audio.wav", name, Wav());
    std::vector<TTerminateInfo> infos;
    Encoder.OnTerminate = [&](TCustomEncoder& sender, TTerminateInfo info) {
        infos.push_back(info);
        if (info.TaskIndex == 0)
            sender.Stop(true);
    };
    Encoder.StartTask(0);
    ASSERT_EQ(infos.size(), 4u);
    EXPECT_TRUE(infos[0].Completed);
    EXPECT_FALSE(infos[1].Completed);
    EXPECT_FALSE(infos[2].Completed);
    EXPECT_EQ(infos[3].TaskIndex, -1);
}

TEST_F(EncoderTest, StopWithWaitDuringTheSecondOfThreeEndsTheRestUnstarted) {
    Queue("audio.wav", "first.wav", Wav());
    Queue("av_wide.mp4", "second.mp4", SlowVideo());
    Queue("av.mp4", "third.avi", SlowVideo());
    Rec.Attach(Encoder);
    Encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return Rec.ProgressFrom(1); }));
    Encoder.Stop(true);
    ASSERT_TRUE(PumpUntil([&] { return Rec.HasFinal(); }));

    std::lock_guard g(Rec.Lock);
    ASSERT_EQ(Rec.Terminates.size(), 4u);
    EXPECT_EQ(Rec.Terminates.back().TaskIndex, -1);
    ASSERT_TRUE(Rec.InfoOf(0) && Rec.InfoOf(1) && Rec.InfoOf(2));
    EXPECT_TRUE(Rec.InfoOf(0)->Completed);
    EXPECT_FALSE(Rec.InfoOf(1)->Completed);
    EXPECT_FALSE(Rec.InfoOf(2)->Completed);
    EXPECT_FALSE(Rec.InfoOf(2)->Failed);
    for (const auto& p : Rec.Progress)
        EXPECT_NE(p.Task, 2) << "the third task was started";
    // The stopped output is kept playable up to the stop (its index written at the end);
    // the never-run one leaves nothing behind.
    EXPECT_TRUE(std::filesystem::exists(Out + "/first.wav"));
    TFFDecoder probe;
    ASSERT_TRUE(probe.LoadFile(Out + "/second.mp4")) << probe.LastErrMsg();
    TFileStreamInfo info;
    ASSERT_TRUE(probe.GetFileStreamInfo(info));
    EXPECT_GT(info.Duration, 0);
    EXPECT_LT(info.Duration, 2000000) << "the whole input was converted";
    EXPECT_FALSE(std::filesystem::exists(Out + "/third.avi"));
}

// The window's run-end handler clears the tasks on the main thread, and a waiting Stop
// runs it while still walking the list it stops.
TEST_F(EncoderTest, StopWithWaitSurvivesTheFinalHandlerClearingTheTasks) {
    for (int round = 0; round < 3; ++round) {
        Queue("av_wide.mp4", "first" + std::to_string(round) + ".avi", SlowVideo());
        Queue("audio.wav", "second" + std::to_string(round) + ".wav", Wav());
        Queue("audio.wav", "third" + std::to_string(round) + ".wav", Wav());
        std::atomic<bool> cleared{false};
        std::atomic<bool> started{false};
        Encoder.OnProgress = [&](TCustomEncoder&, PProgressInfo) { started = true; };
        Encoder.OnTerminate = [&](TCustomEncoder& sender, TTerminateInfo info) {
            if (info.TaskIndex < 0)
                MainThread::Send([&] {
                    sender.ClearTasks();
                    cleared = true;
                });
        };
        Encoder.StartTask(1);
        ASSERT_TRUE(PumpUntil([&] { return started.load(); }));
        Encoder.Stop(true);
        ASSERT_TRUE(PumpUntil([&] { return cleared.load(); }));
        EXPECT_EQ(Encoder.TaskCount(), 0);
    }
}

// The window's cancel at any moment of a run: before its first task, inside a task, between
// tasks, while the run ends, after it ended. Every run must still count each task once,
// raise one final notification, and leave the list empty after the run-end handler,
// which waits for the counted ends on the notifier thread and clears the tasks on the
// main thread, as the window does.
TEST_F(EncoderTest, CancellingAtRandomMomentsAcrossManyRunsEndsEveryRunCleanly) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TOutputOptions video = InitOutputOptions();
    video.VideoCodec = "mpeg4";
    video.AudioCodec = "mp2";
    Encoder.OnVideoInputHook = nullptr;

    // Set once: a notifier thread may still be leaving the handler when the next run starts.
    std::mutex lock; // guards ended, finals, started
    std::condition_variable counted;
    int ended = 0, finals = 0, started = 0;
    std::atomic<bool> cleared{false};
    Encoder.OnTerminate = [&](TCustomEncoder& sender, TTerminateInfo info) {
        std::unique_lock g(lock);
        if (info.TaskIndex >= 0) {
            ++ended;
            counted.notify_all();
            return;
        }
        ++finals;
        // The count taken at the start, as the window keeps it: asking the encoder here
        // would wait for a Stop that holds its list.
        counted.wait(g, [&] { return ended >= started; });
        g.unlock();
        MainThread::Send([&] {
            sender.ClearTasks();
            cleared = true;
        });
    };

    constexpr int kRuns = 40;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const int tasks = std::uniform_int_distribution<int>(1, 4)(random);
        for (int t = 0; t < tasks; ++t) {
            const std::string name = std::to_string(run) + "_" + std::to_string(t);
            if (random() % 2)
                Queue("audio.wav", name + ".wav", Wav());
            else
                Queue("video_only.mp4", name + ".avi", video);
        }
        {
            std::lock_guard g(lock);
            ended = finals = 0;
            started = tasks;
            cleared = false;
        }
        Encoder.StartTask(std::uniform_int_distribution<int>(1, 2)(random));
        const int delayMs = random() % 5 == 0 ? 0 : std::uniform_int_distribution<int>(0, 250)(random);
        const auto cancelAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
        while (std::chrono::steady_clock::now() < cancelAt && !cleared)
            MainThread::WaitAndProcess(1ms);
        if (!cleared)
            Encoder.Stop(true);
        ASSERT_TRUE(PumpUntil([&] { return cleared.load(); }));
        EXPECT_EQ(Encoder.TaskCount(), 0);
        std::lock_guard g(lock);
        EXPECT_EQ(ended, tasks);
        EXPECT_EQ(finals, 1);
    }
}

TEST_F(EncoderTest, PreviewDrawsRunningFramesInTheFrontEndsWindowUntilItIsClosed) {
    struct Seen {
        int windows = 0;
        int draws = 0;
        bool offMainThread = false;
    } seen;
    class Window : public IPreviewWindow {
    public:
        explicit Window(Seen& s) : s_(s) {}
        void Show(int, int) override {
            ++s_.windows;
            s_.offMainThread |= !MainThread::IsMainThread();
        }
        bool Draw(const TBitmap& frame, const std::string&) override {
            s_.offMainThread |= !MainThread::IsMainThread() || frame.Width != 320;
            return ++s_.draws < 3; // the user closes the window after the third picture
        }

    private:
        Seen& s_;
    };
    TPreviewer::SetWindowFactory([&] { return std::make_unique<Window>(seen); });
    Queue("av.mp4", "previewed.avi", SlowVideo());
    Encoder.SetPreview(true);
    ASSERT_TRUE(RunToFinal(1));
    TPreviewer::SetWindowFactory(nullptr);

    EXPECT_EQ(seen.windows, 1);
    EXPECT_EQ(seen.draws, 3) << "drawing goes on after the window was closed";
    EXPECT_FALSE(seen.offMainThread);
    std::lock_guard g(Rec.Lock);
    ASSERT_TRUE(Rec.InfoOf(0));
    EXPECT_TRUE(Rec.InfoOf(0)->Completed);
}

TEST_F(EncoderTest, ListOperationsAreRefusedWhileWorkingUntilClearTasks) {
    Queue("av_wide.mp4", "long.avi", SlowVideo());
    Rec.Attach(Encoder);
    Encoder.StartTask(1);
    const std::string wav = Fixtures::Path("audio.wav");
    auto expectRefused = [](const std::function<void()>& call, const std::string& text) {
        try {
            call();
            ADD_FAILURE() << "no error, expected: " << text;
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), text);
        }
    };
    expectRefused([&] { Encoder.ClearTasks(); }, "Cannot ClearTasks while working.");
    expectRefused([&] { Encoder.StartTask(1); }, "Cannot StartTask while working.");
    expectRefused([&] { Encoder.AddInputFile(0, wav); }, "Cannot AddInputFile while working.");
    expectRefused([&] { Encoder.SetOutputFile(0, Out + "/x.wav"); }, "Cannot SetOutputFile while working.");
    expectRefused([&] { Encoder.RemoveTask(0); }, "Cannot RemoveTask while working.");
    ASSERT_TRUE(PumpUntil([&] { return Rec.HasFinal(); }));
    // The run has ended but the component stays working until the tasks are cleared.
    expectRefused([&] { Encoder.AddTask(wav); }, "Cannot AddTask while working.");
    EXPECT_NO_THROW(Encoder.ClearTasks());
    EXPECT_EQ(Encoder.AddTask(wav), 0) << Encoder.LastErrMsg();
}

TEST_F(EncoderTest, TaskWithoutOutputFailsWithItsMessageAndEmptyRunStillEnds) {
    ASSERT_EQ(Encoder.AddTask(Fixtures::Path("audio.wav")), 0);
    ASSERT_TRUE(RunToFinal(1));
    {
        std::lock_guard g(Rec.Lock);
        const TTerminateInfo* info = Rec.InfoOf(0);
        ASSERT_TRUE(info);
        EXPECT_TRUE(info->Failed);
        EXPECT_FALSE(info->Completed);
        EXPECT_EQ(info->ErrorMessage, "At least one output file must be specified");
    }
    Encoder.ClearTasks();

    // With nothing queued the run still ends with its final notification.
    TRecorder empty;
    empty.Attach(Encoder);
    Encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return empty.HasFinal(); }));
    Encoder.ClearTasks();
}

TEST_F(EncoderTest, ExtraOptionsJoinedByLiteralCrlfOrLineBreaksApplyBoth) {
    TOutputOptions literal = Wav();
    literal.ExtraOptions = "ar=22050<CRLF>ac=1";
    TOutputOptions breaks = Wav();
    breaks.ExtraOptions = "ar=22050\r\nac=1";
    Queue("audio.wav", "literal.wav", literal);
    Queue("audio.wav", "breaks.wav", breaks);
    ASSERT_TRUE(RunToFinal(1));
    for (const char* name : {"literal.wav", "breaks.wav"}) {
        const std::string facts = Probe(Out + "/" + name);
        EXPECT_NE(facts.find("sample_rate=22050"), std::string::npos) << name << ": " << facts;
        EXPECT_NE(facts.find("channels=1"), std::string::npos) << name << ": " << facts;
    }
}

// The application's join: the first file by AddTask, the others by AddInputFile, one
// output with Join set.
TEST_F(EncoderTest, JoinedInputsMakeOneOutputOfTheirSummedLength) {
    const std::string wav = Fixtures::Path("audio.wav"); // 3 s each
    TInputOptions in = InitInputOptions();
    ASSERT_EQ(Encoder.AddTask(wav, &in), 0) << Encoder.LastErrMsg();
    for (int i = 0; i < 2; ++i) {
        TInputOptions more = InitInputOptions();
        ASSERT_TRUE(Encoder.AddInputFile(0, wav, &more)) << Encoder.LastErrMsg();
        EXPECT_EQ(more.FileName, wav);
    }
    TOutputOptions out = Wav();
    out.Join = true;
    ASSERT_TRUE(Encoder.SetOutputFile(0, Out + "/joined.wav", &out)) << Encoder.LastErrMsg();
    ASSERT_TRUE(RunToFinal(1));
    {
        std::lock_guard g(Rec.Lock);
        ASSERT_TRUE(Rec.InfoOf(0));
        EXPECT_TRUE(Rec.InfoOf(0)->Completed) << Rec.InfoOf(0)->ErrorMessage;
    }
    const std::string facts = Probe(Out + "/joined.wav");
    const size_t at = facts.find("duration=");
    ASSERT_NE(at, std::string::npos) << facts;
    EXPECT_NEAR(std::stod(facts.substr(at + 9)), 9.0, 0.1) << facts;
}

// "newaudio" adds a stream that takes the next pending "acodec" line.
TEST_F(EncoderTest, NewStreamLinesGiveEachAddedStreamItsOwnCodec) {
    TOutputOptions out = InitOutputOptions();
    out.AudioCodec = "pcm_s16le";
    out.VideoDisable = true;
    out.ExtraOptions = "acodec=flac<CRLF>newaudio=1";
    Queue("audio.wav", "two.mkv", out);
    ASSERT_TRUE(RunToFinal(1));
    const std::string facts = Probe(Out + "/two.mkv");
    EXPECT_NE(facts.find("codec_name=pcm_s16le"), std::string::npos) << facts;
    EXPECT_NE(facts.find("codec_name=flac"), std::string::npos) << facts;
}

TEST_F(EncoderTest, PreviewPicturesAreLimitedByWallClockTime) {
    TOutputOptions out = InitOutputOptions();
    out.VideoCodec = "mpeg4";
    out.AudioCodec = "mp2";
    Queue("av.mp4", "fast.avi", out);
    Encoder.SetPreviewBitmap(true);
    std::atomic<int> previews{0};
    Encoder.OnPreviewBitmap = [&](TCustomEncoder&, TPreviewInfo) { ++previews; };
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunToFinal(1));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // A run faster than real time must not draw a picture per 100 ms of media.
    EXPECT_GE(previews, 1);
    EXPECT_LE(previews, elapsed / 100ms + 1) << "in " << elapsed / 1ms << " ms";
}

TEST_F(EncoderTest, HooksRunOnTheTaskThreadAndPreviewBitmapsOnTheMainThread) {
    TOutputOptions out = SlowVideo();
    out.VideoInputHook = true;
    out.VideoOutputHook = true;
    out.HookBitsPerPixel = 32;
    Encoder.SetPreviewBitmap(true);
    Queue("av.mp4", "hooked.avi", out);
    std::atomic<int> inputCalls{0}, outputCalls{0}, previews{0};
    std::atomic<bool> wrongThread{false}, badBitmap{false};
    Encoder.OnVideoInputHook = [&](TCustomEncoder&, PHookInfo info) {
        wrongThread = wrongThread || MainThread::IsMainThread();
        badBitmap =
            badBitmap || !info->Bitmap || info->Bitmap->Width != 320 || info->Bitmap->BitsPerPixel != 32;
        if (++inputCalls == 3)
            info->StopHook = true; // no further hook calls for this task
    };
    Encoder.OnVideoOutputHook = [&](TCustomEncoder&, PHookInfo) {
        ++outputCalls;
        throw std::runtime_error("hook failure"); // logged; the frame goes on unchanged
    };
    Encoder.OnPreviewBitmap = [&](TCustomEncoder&, TPreviewInfo info) {
        wrongThread = wrongThread || !MainThread::IsMainThread();
        badBitmap = badBitmap || !info.Bitmap || info.Bitmap->Height != 240 || info.TaskIndex != 0;
        ++previews;
    };
    ASSERT_TRUE(RunToFinal(1));
    std::lock_guard g(Rec.Lock);
    ASSERT_TRUE(Rec.InfoOf(0));
    EXPECT_TRUE(Rec.InfoOf(0)->Completed) << Rec.InfoOf(0)->ErrorMessage;
    EXPECT_EQ(inputCalls, 3);
    EXPECT_GE(outputCalls, 1);
    EXPECT_LE(outputCalls, 3);
    EXPECT_GE(previews, 1);
    EXPECT_FALSE(wrongThread);
    EXPECT_FALSE(badBitmap);
}

TEST_F(EncoderTest, DestroyingDuringARunStopsWaitsAndRaisesNoEvent) {
    auto encoder = std::make_unique<TFFEncoder>();
    encoder->SetProgressInterval(100);
    encoder->SetThreads(kAutoThreads);
    TOutputOptions out = SlowVideo();
    for (const char* name : {"gone1.avi", "gone2.avi"}) {
        const int task = encoder->AddTask(Fixtures::Path("av_wide.mp4"));
        ASSERT_GE(task, 0) << encoder->LastErrMsg();
        ASSERT_TRUE(encoder->SetOutputFile(task, Out + "/" + name, &out)) << encoder->LastErrMsg();
    }
    std::atomic<bool> progressed{false}, destroying{false}, raisedWhileDestroying{false};
    encoder->OnProgress = [&](TCustomEncoder&, PProgressInfo) {
        progressed = true;
        raisedWhileDestroying = raisedWhileDestroying || destroying;
    };
    encoder->OnTerminate = [&](TCustomEncoder&, TTerminateInfo) {
        raisedWhileDestroying = raisedWhileDestroying || destroying;
    };
    encoder->StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return progressed.load(); }));
    destroying = true;
    encoder.reset(); // returns with every thread joined
    EXPECT_FALSE(raisedWhileDestroying);
}

// Threads of this process right now.
int processThreads() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.';
        closedir(dir);
    }
    return count;
}

// The task's threads, the default one against automatic ones for the decoder and the
// encoder, and automatic ones for the decoder with the encoder held to one.
TEST_F(EncoderTest, AutomaticThreadsReachTheDecoderAndTheEncoderUnlessTheOutputHoldsOne) {
    if (std::thread::hardware_concurrency() < 2)
        GTEST_SKIP() << "one processor core: automatic threads are one thread";
    std::atomic<int> most{0};
    Encoder.OnVideoInputHook = [&](TCustomEncoder&, PHookInfo info) {
        info->Update = false;
        most = std::max(most.load(), processThreads());
    };
    auto run = [&](int threads, int videoThreads) {
        Encoder.SetThreads(threads);
        TOutputOptions out = SlowVideo();
        out.VideoThreads = videoThreads;
        Queue("av.mp4", "threads.avi", out);
        most = 0;
        TRecorder rec;
        rec.Attach(Encoder);
        Encoder.StartTask(1);
        EXPECT_TRUE(PumpUntil([&] { return rec.HasFinal(); }));
        Encoder.ClearTasks();
        std::filesystem::remove(Out + "/threads.avi");
        return most.load();
    };
    const int single = run(1, -1);
    const int decoderOnly = run(kAutoThreads, 1);
    const int both = run(kAutoThreads, -1);
    EXPECT_GT(decoderOnly, single) << "frame-threaded decoding of the H.264 input";
    EXPECT_GT(both, decoderOnly) << "slice-threaded MPEG-4 encoding";
}

} // namespace
