#include "engine/FFLog.h"

#include "engine/FFLoad.h"
#include "support/MainThread.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <atomic>
#include <cstdarg>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

void libLog(void* obj, int level, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void libLog(void* obj, int level, const char* fmt, ...) {
    va_list vl;
    va_start(vl, fmt);
    FFLogCallback(obj, level, fmt, vl);
    va_end(vl);
}

struct Delivered {
    uint32_t thread;
    TLogLevel level;
    std::string msg;
    bool onMain;
};

// A logger of the test's own, recording every delivery.
class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FFLogResetLines();
        logger.SetLogLevel(llInfo);
        logger.OnLog = [this](void*, uint32_t thread, TLogLevel level, const std::string& msg) {
            got.push_back({thread, level, msg, MainThread::IsMainThread()});
        };
    }
    void TearDown() override { FFLogResetLines(); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& d : got)
            out.push_back(d.msg);
        return out;
    }

    TFFLogger logger;
    std::vector<Delivered> got;
};

TEST_F(LoggerTest, EngineMessagesPassByLevel) {
    logger.SetLogLevel(llError);
    logger.Log(nullptr, llWarning, "warning");
    logger.Log(nullptr, llVerbose, "verbose");
    logger.Log(nullptr, llQuiet, "quiet");
    logger.LogFmt(nullptr, llError, "error %d", 7);
    logger.SetLogLevel(llQuiet);
    logger.Log(nullptr, llVerbose, "verbose at quiet");
    logger.Log(nullptr, llPanic, "panic at quiet");
    logger.Log(nullptr, llQuiet, "quiet at quiet");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"verbose", "quiet", "error 7", "quiet at quiet"}));
    EXPECT_EQ(got[0].level, llVerbose);
    EXPECT_EQ(got[0].thread, FFThreadId());
}

TEST_F(LoggerTest, LevelNamesNumbersAndLibraryMapping) {
    const std::pair<const char*, TLogLevel> rows[] = {
        {"warning", llWarning}, {"40", llVerbose}, {"100", llDebug},   {"QUIET", llQuiet}, {"-8", llQuiet},
        {"-100", llQuiet},      {"16", llError},   {"Debug", llDebug}, {"20", llError},    {"info", llInfo},
    };
    for (const auto& [name, level] : rows) {
        logger.SetLogLevelByName(name);
        EXPECT_EQ(logger.LogLevel(), level) << name;
    }
    logger.SetLogLevelByName("loud");
    EXPECT_EQ(logger.LogLevel(), llInfo);
    logger.SetLogLevelByName("12abc");
    EXPECT_EQ(logger.LogLevel(), llInfo);
    EXPECT_EQ(LogLevelToLib(llQuiet), AV_LOG_QUIET);
    EXPECT_EQ(LogLevelToLib(llDebug), AV_LOG_DEBUG);
    EXPECT_EQ(LibToLogLevel(AV_LOG_TRACE), llDebug);
}

TEST_F(LoggerTest, LibraryLinesAreAssembledAndRepeatsCollapsed) {
    libLog(nullptr, AV_LOG_WARNING, "first part, ");
    EXPECT_TRUE(got.empty()); // held until the line completes
    libLog(nullptr, AV_LOG_WARNING, "second part %d\n", 2);
    for (int i = 0; i < 3; ++i)
        libLog(nullptr, AV_LOG_ERROR, "same line\n");
    libLog(nullptr, AV_LOG_ERROR, "other line\nand another\n");
    libLog(nullptr, AV_LOG_DEBUG, "above the library level\n");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"first part, second part 2", "same line",
                                        "    Last message repeated 2 times", "other line", "and another"}));
    EXPECT_EQ(got[0].level, llWarning);
    EXPECT_EQ(got[1].level, llError);
}

struct FakeObject {
    const AVClass* cls;
    void* parent;
};
const char* fakeName(void* obj) {
    return static_cast<FakeObject*>(obj)->parent ? "child" : "parent";
}

TEST_F(LoggerTest, LibraryLinesCarryTheObjectsAndParentsNames) {
    AVClass cls{};
    cls.class_name = "Fake";
    cls.item_name = fakeName;
    cls.version = LIBAVUTIL_VERSION_INT;
    cls.parent_log_context_offset = offsetof(FakeObject, parent);
    FakeObject parent{&cls, nullptr};
    FakeObject child{&cls, &parent};
    libLog(&child, AV_LOG_ERROR, "broken\n");
    libLog(&parent, AV_LOG_ERROR, "also broken\n");
    ASSERT_EQ(got.size(), 2u);
    char expected[256];
    snprintf(expected, sizeof expected, "[parent @ %p] [child @ %p]broken", (void*)&parent, (void*)&child);
    EXPECT_EQ(got[0].msg, expected);
    snprintf(expected, sizeof expected, "[parent @ %p]also broken", (void*)&parent);
    EXPECT_EQ(got[1].msg, expected);
}

TEST_F(LoggerTest, WorkerLinesReachTheMainThreadWithoutHoldingTheLock) {
    std::atomic<bool> done{false};
    uint32_t workerId = 0;
    logger.OnLog = [&](void*, uint32_t thread, TLogLevel level, const std::string& msg) {
        got.push_back({thread, level, msg, MainThread::IsMainThread()});
        // The main thread logs through the library while the worker waits for it.
        if (msg == "from worker")
            libLog(nullptr, AV_LOG_ERROR, "from main\n");
    };
    std::thread worker([&] {
        workerId = FFThreadId();
        libLog(nullptr, AV_LOG_WARNING, "from ");
        libLog(nullptr, AV_LOG_WARNING, "worker\n");
        done = true;
    });
    while (!done)
        MainThread::PumpSlice(std::chrono::milliseconds(20));
    worker.join();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].msg, "from worker");
    EXPECT_EQ(got[0].thread, workerId);
    EXPECT_TRUE(got[0].onMain);
    EXPECT_EQ(got[1].msg, "from main");
    EXPECT_EQ(got[1].thread, FFThreadId());
}

TEST_F(LoggerTest, OneEntryIsOneLine) {
    logger.Log(nullptr, llError, "Unrecognized option \"xyz\"\n");
    logger.Log(nullptr, llInfo, "video:1kB audio:2kB global headers:0kB muxing overhead 1.5%\r\n");
    logger.Log(nullptr, llError,
               "encoder 'x' is experimental.\r\nAdd '-strict experimental'.\r\n\r\nOr not.");
    logger.Log(nullptr, llError, "\r\n");
    libLog(nullptr, AV_LOG_ERROR, "carriage return line\r\n");
    libLog(nullptr, AV_LOG_ERROR, "\n");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Unrecognized option \"xyz\"",
                                        "video:1kB audio:2kB global headers:0kB muxing overhead 1.5%",
                                        "encoder 'x' is experimental. Add '-strict experimental'. Or not.",
                                        "carriage return line"}));
}

TEST_F(LoggerTest, LinesLoggedUnderTheCodecLockDoNotWaitForTheMainThread) {
    FFEngineStart();
    ASSERT_TRUE(FFLoader().LoadSet(FF_LOAD_SET));
    std::atomic<bool> released{false};
    std::thread worker([&] {
        {
            // A codec failing to open logs while its task holds the lock.
            TCodecLockGuard guard;
            libLog(nullptr, AV_LOG_ERROR, "invalid codec parameters\n");
            logger.Log(nullptr, llError, "Error while opening encoder");
        }
        released = true;
    });
    // The main thread, probing a file, waits for the lock without serving its call queue.
    for (int i = 0; i < 500 && !released; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(released) << "the worker waits for the main thread while holding the codec lock";
    if (released) {
        TCodecLockGuard guard;
        EXPECT_TRUE(guard.Held());
    }
    while (!released)
        MainThread::WaitAndProcess(std::chrono::milliseconds(10));
    worker.join();
    MainThread::ProcessPending();
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"invalid codec parameters", "Error while opening encoder"}));
    for (const Delivered& d : got)
        EXPECT_TRUE(d.onMain);
}

TEST_F(LoggerTest, PartialLinesOfThreadsDoNotMix) {
    logger.SetTriggerEventInMainThread(false);
    libLog(nullptr, AV_LOG_ERROR, "main starts ");
    std::thread([] {
        libLog(nullptr, AV_LOG_ERROR, "worker starts ");
        libLog(nullptr, AV_LOG_ERROR, "worker ends\n");
    }).join();
    libLog(nullptr, AV_LOG_ERROR, "main ends\n");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"worker starts worker ends", "main starts main ends"}));
    EXPECT_FALSE(got[0].onMain);
}

TEST_F(LoggerTest, OnlyOneLoggerAtATime) {
    try {
        TFFLogger second;
        ADD_FAILURE() << "a second logger was created";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Allow creating only one instance of TFFLogger.");
    }
    EXPECT_EQ(&FFLogger(), &logger);
}

TEST(LoggerDefault, EngineCreatedLoggerGivesWayToTheApplicationsOne) {
    TFFLogger& def = FFLogger();
    def.SetLogLevel(llWarning);
    TFFLogger app; // replaces the default and takes over the library's level
    EXPECT_EQ(&FFLogger(), &app);
    EXPECT_EQ(app.LogLevel(), llWarning);
    app.SetLogLevel(llInfo);
}

TEST(LoggerTexts, ErrorTimeAndMediaTypeTexts) {
    EXPECT_EQ(FFErrorText("in.mp4", AVERROR_MUXER_NOT_FOUND), "in.mp4: Muxer not found");
    EXPECT_EQ(FFErrorText("x", AVERROR_PATCHWELCOME), "x: Not yet implemented in FFmpeg");
    EXPECT_EQ(FFErrorText("x", -2), "x: No such file or directory");
    EXPECT_EQ(FFErrorText("x", -131), "x: State not recoverable");
    EXPECT_EQ(FFErrorText("x", -10060), "x: Connection timed out");
    EXPECT_EQ(FFErrorText("x", -11004), "x: WSANO_DATA");
    EXPECT_EQ(FFErrorText("x", AVERROR_EOF), "x: End of file");
    EXPECT_EQ(FFErrorText("x", AVERROR_INVALIDDATA), "x: Invalid data found when processing input");
    EXPECT_EQ(FFErrorText("x", -41), "x: Error number -41 occurred");
    EXPECT_EQ(FFErrorText("x", 5), "x: Error number 5 occurred");
    EXPECT_EQ(FFTimeText(3723456789), "01:02:03.456");
    EXPECT_EQ(FFTimeText(0), "00:00:00.000");
    EXPECT_EQ(FFTimeText(INT64_MIN), "N/A");
    EXPECT_EQ(FFTimeText(360000000000), "100:00:00.000");
    EXPECT_EQ(FFMediaTypeName(0), "Video");
    EXPECT_EQ(FFMediaTypeName(4), "Attachment");
    EXPECT_EQ(FFMediaTypeName(-1), "Unknown");
    EXPECT_EQ(FFMediaTypeName(5), "Unknown");
}

} // namespace
