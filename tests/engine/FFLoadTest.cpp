#include "engine/FFLoad.h"

#include "Fixtures.h"
#include "engine/FFLog.h"

#include <atomic>
#include <cfenv>
#include <cmath>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gnu/lib-names.h>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

namespace {

struct LoaderTest : ::testing::Test {
    void SetUp() override { FFEngineStart(); }
};

TEST_F(LoaderTest, LoadsTheEngineSetTwiceAndBindsEveryEntry) {
    TFFLoader& loader = FFLoader();
    ASSERT_TRUE(loader.LoadSet(FF_LOAD_SET)) << loader.LastError();
    EXPECT_TRUE(loader.IsSetLoaded(FF_LOAD_SET));
    EXPECT_FALSE(loader.IsLoaded(LIB_AVDEVICE)); // not part of the engine's set
    ASSERT_TRUE(loader.LoadSet(FF_LOAD_SET)) << loader.LastError();
    EXPECT_TRUE(loader.IsSetLoaded(FF_LOAD_SET));
    // The tables hold callable entries of the headers' own types.
    EXPECT_EQ(AV_VERSION_MAJOR(FF().avcodec.avcodec_version()), LIBAVCODEC_VERSION_MAJOR);
    EXPECT_EQ(AV_VERSION_MAJOR(FF().avformat.avformat_version()), LIBAVFORMAT_VERSION_MAJOR);
    EXPECT_EQ(AV_VERSION_MAJOR(FF().swresample.swresample_version()), LIBSWRESAMPLE_VERSION_MAJOR);
    EXPECT_EQ(FF().avutil.av_rescale_q(90000, AVRational{1, 90000}, AVRational{1, 1000}), 1000);
    EXPECT_NE(FF().libc.stderr, nullptr);
    EXPECT_EQ(loader.LibraryFileName(LIB_AVCODEC),
              "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR));
    EXPECT_EQ(loader.LibraryFileName(LIB_SWRESAMPLE),
              "libswresample.so." + std::to_string(LIBSWRESAMPLE_VERSION_MAJOR));
    EXPECT_EQ(loader.LibraryFileName(LIB_LIBC), LIBC_SO);
}

TEST_F(LoaderTest, MissingLibraryUnloadsTheWholeSet) {
    TFFLoader& loader = FFLoader();
    ASSERT_TRUE(loader.LoadSet(FF_LOAD_SET));
    loader.UnloadSet(FF_ALL_LIBS);
    // swscale loads after avutil and swresample: those must be unloaded again.
    loader.SetLibraryFileName(LIB_SWSCALE, "/nonexistent/folder/libswscale.so.6");
    EXPECT_FALSE(loader.LoadSet(FF_LOAD_SET));
    EXPECT_EQ(loader.LastError().rfind("Load library /nonexistent/folder/libswscale.so.6 error: ", 0), 0u)
        << loader.LastError();
    for (int i = 0; i < LIB_COUNT; ++i)
        EXPECT_FALSE(loader.IsLoaded(i)) << i;
    EXPECT_EQ(FF().avutil.av_malloc, nullptr);
    loader.SetLibraryFileName(LIB_SWSCALE, "");
    EXPECT_TRUE(loader.LoadSet(FF_LOAD_SET)) << loader.LastError();
}

TEST_F(LoaderTest, ShutdownUnloadsEverythingAndQuietsTheLockManager) {
    ASSERT_TRUE(FFLoader().LoadSet(FF_LOAD_SET));
    FFEngineShutdown();
    EXPECT_FALSE(FFLoader().IsSetLoaded(FF_LOAD_SET)); // a fresh loader
    EXPECT_EQ(FF().avcodec.avcodec_open2, nullptr);
    EXPECT_EQ(FF().libc.fopen, nullptr);
    void* lock = nullptr;
    EXPECT_EQ(FFLockManager(&lock, 7), 0); // the lock manager is quiet after shutdown
    FFEngineStart();
    EXPECT_EQ(FFLockManager(&lock, 7), -1);
    EXPECT_TRUE(FFLoader().LoadSet(FF_LOAD_SET)) << FFLoader().LastError();
}

TEST_F(LoaderTest, FolderWithoutTheLibraryFallsBackToSystemSearch) {
    TFFLoader& loader = FFLoader();
    loader.UnloadSet(FF_ALL_LIBS);
    loader.SetLibraryPath("/nonexistent/lib");
    EXPECT_TRUE(loader.LoadSet(FF_LOAD_SET)) << loader.LastError();
    loader.SetLibraryPath("");
}

// Counts the distinct files mapped into this process whose name contains part.
std::set<std::string> mappedFiles(const std::string& part) {
    std::set<std::string> files;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const size_t slash = line.find('/');
        if (slash != std::string::npos && line.find(part, slash) != std::string::npos)
            files.insert(line.substr(slash));
    }
    return files;
}

TEST(LoaderFolder, LibrariesAndTheirDependenciesComeFromTheFolder) {
    // A fresh process: earlier tests have the system's copies loaded.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::filesystem::path dir = Fixtures::ScratchFolder("LoaderFolder");
    EXPECT_EXIT(
        {
            for (int index :
                 {LIB_AVUTIL, LIB_SWRESAMPLE, LIB_SWSCALE, LIB_AVCODEC, LIB_AVFORMAT, LIB_AVFILTER}) {
                const std::string name = FFLoader().LibraryFileName(index);
                std::filesystem::copy_file(std::filesystem::canonical("/usr/lib/x86_64-linux-gnu/" + name),
                                           dir / name);
            }
            FFLoader().SetLibraryPath(dir.string());
            if (!FFLoader().LoadSet(FF_LOAD_SET)) {
                std::fprintf(stderr, "%s\n", FFLoader().LastError().c_str());
                std::exit(1);
            }
            Dl_info info{};
            dladdr(reinterpret_cast<void*>(FF().avcodec.avcodec_open2), &info);
            const bool fromFolder = std::string(info.dli_fname).rfind(dir.string(), 0) == 0;
            // avcodec's own avutil dependency resolved to the folder's copy: one avutil.
            const auto avutils = mappedFiles("libavutil.so");
            std::fprintf(stderr, "%s %zu\n", info.dli_fname, avutils.size());
            std::exit(fromFolder && avutils.size() == 1 && avutils.begin()->rfind(dir.string(), 0) == 0 ? 0
                                                                                                        : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(LoaderBind, RequiredOptionalAndVariableSymbols) {
    void* libc = dlopen(LIBC_SO, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(libc, nullptr);
    EXPECT_NE(FFBindSymbol(libc, "fopen", "libc.so.6", TSymbolKind::Required), nullptr);
    EXPECT_EQ(FFBindSymbol(libc, "av_get_channel_layout_nb_channels", "libc.so.6", TSymbolKind::Optional),
              nullptr);
    try {
        FFBindSymbol(libc, "no_such_entry", "libc.so.6", TSymbolKind::Required);
        ADD_FAILURE() << "no error";
    } catch (const EFFLoadError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Load function no_such_entry@libc.so.6 error: ", 0), 0u)
            << e.what();
    }
    try {
        FFBindSymbol(libc, "no_such_table", "libc.so.6", TSymbolKind::Variable);
        ADD_FAILURE() << "no error";
    } catch (const EFFLoadError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Load variable no_such_table@libc.so.6 error: ", 0), 0u)
            << e.what();
    }
    dlclose(libc);
}

TEST(FloatingPoint, EngineMasksExceptionsAndShutdownRestoresTheCallersSetting) {
    FFEngineShutdown();
    feenableexcept(FE_DIVBYZERO); // a host that traps divisions by zero
    FFEngineStart();
    EXPECT_EQ(fegetexcept(), 0);
    volatile double zero = 0.0;
    EXPECT_TRUE(std::isinf(1.0 / zero));
    FFEngineShutdown();
    EXPECT_EQ(fegetexcept(), FE_DIVBYZERO);
    fedisableexcept(FE_ALL_EXCEPT);
    FFEngineStart();
}

TEST(CodecLock, ManagerOperationsAndMessages) {
    std::vector<std::string> lines;
    TFFLogger& logger = FFLogger();
    logger.SetTriggerEventInMainThread(false);
    logger.SetLogLevel(llDebug);
    logger.OnLog = [&](void*, uint32_t, TLogLevel, const std::string& msg) { lines.push_back(msg); };
    void* lock = nullptr;
    void* other = nullptr;
    ASSERT_EQ(FFLockManager(&lock, 0), 0);
    EXPECT_EQ(FFLockManager(&lock, 0), -1); // already holds one
    EXPECT_EQ(FFLockManager(&lock, 1), 0);
    EXPECT_EQ(FFLockManager(&lock, 1), -1); // would dead-lock this thread
    EXPECT_EQ(FFLockManager(&lock, 2), 0);
    EXPECT_EQ(FFLockManager(&lock, 2), -1); // not held
    EXPECT_EQ(FFLockManager(&lock, 7), -1);
    ASSERT_EQ(FFLockManager(&other, 0), 0); // replaces the slot's mutex
    EXPECT_EQ(FFLockManager(&other, 3), 0);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(FFLockManager(&other, 3), 0); // nothing to destroy is still success
    bool sawInvalid = false, sawNotDestroyed = false, sawDestroy = false;
    for (const auto& l : lines) {
        sawInvalid |= l == "error, invalid codec mutex operation 7.";
        sawNotDestroyed |=
            l.find("warning, local codec mutex [") == 0 && l.find("] not destroyed.") != std::string::npos;
        sawDestroy |= l.find("destory codec mutex [") == 0;
    }
    EXPECT_TRUE(sawInvalid && sawNotDestroyed && sawDestroy);
    logger.OnLog = nullptr;
    logger.SetLogLevel(llInfo);
}

TEST(CodecLock, SerialisesThreads) {
    FFEngineStart();
    FFLoader().Unload(LIB_AVCODEC); // binding avcodec creates a fresh codec mutex
    ASSERT_TRUE(FFLoader().LoadSet(FF_LOAD_SET));
    void* probe = nullptr;
    ASSERT_EQ(FFLockManager(&probe, 1), -1); // a lock never created has no mutex
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                TCodecLockGuard guard;
                ASSERT_TRUE(guard.Held());
                if (inside.fetch_add(1) != 0)
                    overlap = true;
                inside.fetch_sub(1);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_FALSE(overlap);
}

bool stopWhenFlagSet(void* data, void* arg) {
    return static_cast<std::atomic<bool>*>(data)->load() && arg != nullptr;
}
bool neverStop(void*, void*) {
    return false;
}

TEST(InterruptRegistry, QueriesTheCallingThreadsFirstEntry) {
    TInterruptCB& reg = FFInterruptCB();
    reg.Clear();
    std::atomic<bool> flag{true};
    int arg = 0;
    const uint32_t me = FFThreadId();
    EXPECT_EQ(FFInterruptCallback(nullptr), 0);
    reg.Register(me, &arg, {stopWhenFlagSet, &flag});
    reg.Register(me, &arg, {stopWhenFlagSet, &flag}); // duplicate ignored
    reg.Register(me, &arg, {neverStop, nullptr});
    EXPECT_EQ(FFInterruptCallback(nullptr), 1);
    int otherAnswer = -1;
    std::thread([&] { otherAnswer = FFInterruptCallback(nullptr); }).join();
    EXPECT_EQ(otherAnswer, 0);
    reg.Unregister(me, &arg, {stopWhenFlagSet, &flag});
    EXPECT_FALSE(reg.Query(me)); // the second entry now answers
    reg.Unregister(me, &arg, {neverStop, nullptr});
    EXPECT_FALSE(reg.Query(me));
    reg.Clear();
}

TEST(FileNames, ProtocolsPassAndLocalNamesStayLocal) {
    EXPECT_EQ(FFFileNameToLib("http://127.0.0.1/a.flv"), "http://127.0.0.1/a.flv");
    EXPECT_EQ(FFFileNameToLib("/tmp/Видео.mp4"), "/tmp/Видео.mp4");
    EXPECT_EQ(FFFileNameToLib("/tmp/a:b.mp4"), "file:/tmp/a:b.mp4");
    EXPECT_EQ(FFFileNameToLib("unicode:utf8:/tmp/x.mp4"), "file:/tmp/x.mp4");
    EXPECT_EQ(FFFileNameFromLib("unicode:utf8:/tmp/Видео.mp4"), "/tmp/Видео.mp4");
    EXPECT_EQ(FFFileNameFromLib(FFFileNameToLib("/tmp/a:b.mp4")), "/tmp/a:b.mp4");
    EXPECT_EQ(FFFileNameFromLib("/tmp/x.mp4"), "/tmp/x.mp4");
}

} // namespace
