#include "FFmpegCoreTestEnv.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// Three inputs of different sizes and rates joined into one output: the parts follow
// each other and the length is their sum.
TEST_F(CoreTest, JoinedOutputIsTheSumOfItsInputs) {
    TCustomFFmpeg task;
    task.SetThreads(kAutoThreads); // frame-threaded decoders hold pictures back until drained
    for (const char* in : {"av.mp4", "av_wide.mp4", "av.avi"}) // av_wide: other size, rate and sample rate
        ASSERT_TRUE(task.OpenInput(Fixtures::Path(in))) << task.LastErrMsg();
    task.SetVideoCodec("mpeg4");
    task.SetAudioCodec("libfaac");
    task.SetFrameSize("320x240");
    task.SetFrameRate("25");
    const std::string out = Out("joined.mp4");
    ASSERT_EQ(task.OpenOutput(out, true), 0) << task.LastErrMsg();
    EXPECT_NEAR(double(task.TotalTime()) / 1e6, 8.0, 0.2);

    std::vector<TFFProgress> reports;
    task.SetProgressIntervalUs(100000);
    task.OnProgress = [&](TCustomFFmpeg&, const TFFProgress& p) { reports.push_back(p); };
    ASSERT_EQ(RunTask(task), "");
    EXPECT_TRUE(task.Completed());

    const TProbe p = ProbeFile(out);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 320);
    EXPECT_NEAR(double(p.durationUs) / 1e6, 8.0, 0.25);
    EXPECT_NEAR(double(p.videoFrames), 200.0, 3.0);
    EXPECT_NEAR(p.lastVideoSec, 7.96, 0.1);

    // Progress: output time rises, the last report is the final one.
    ASSERT_GE(reports.size(), 2u);
    for (size_t i = 1; i < reports.size(); i++)
        EXPECT_GE(reports[i].OutputTime, reports[i - 1].OutputTime);
    EXPECT_EQ(reports.back().InputFileIndex, -1);
    EXPECT_NEAR(double(reports.back().OutputTime) / 1e6, 8.0, 0.3);
    EXPECT_GT(reports.back().FrameNumber, 190);
    EXPECT_GT(reports.back().OutputSize, 0);
    EXPECT_EQ(reports.back().TotalTime, task.TotalTime());
    EXPECT_NEAR(p.lastAudioSec, 8.0, 0.15);
}

// A part without audio leaves silence, so the audio of later parts stays in place.
TEST_F(CoreTest, JoinedPartWithoutAudioKeepsSync) {
    TCustomFFmpeg task;
    task.SetThreads(kAutoThreads);
    for (const char* in : {"av.mp4", "video_only.mp4", "av.mp4"})
        ASSERT_TRUE(task.OpenInput(Fixtures::Path(in))) << task.LastErrMsg();
    task.SetVideoCodec("mpeg4");
    task.SetAudioCodec("libmp3lame");
    const std::string out = Out("joined_gap.avi");
    ASSERT_EQ(task.OpenOutput(out, true), 0) << task.LastErrMsg();
    ASSERT_EQ(RunTask(task), "");
    const TProbe p = ProbeFile(out);
    EXPECT_NEAR(p.lastVideoSec, 7.96, 0.1);
    EXPECT_NEAR(p.lastAudioSec, 8.0, 0.15);
}

// The DVD-style targets set their codecs, sizes and rates; "auto" takes the norm from
// the input (25 fps: PAL).
TEST_F(CoreTest, TargetsSetTheirStandardSettings) {
    const struct {
        const char* target;
        const char* ext;
        const char* video;
        const char* audio;
        int w, h, rate;
    } cases[] = {
        {"vcd", "mpg", "mpeg1video", "mp2", 352, 288, 44100},
        {"svcd", "mpg", "mpeg2video", "mp2", 480, 576, 44100},
        {"ntsc-dvd", "vob", "mpeg2video", "ac3", 720, 480, 48000},
        {"dv", "dv", "dvvideo", "pcm_s16le", 720, 576, 48000},
        {"dv50", "dv", "dvvideo", "pcm_s16le", 720, 576, 48000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4"))) << task.LastErrMsg();
        task.SetOption("target", c.target);
        task.SetRecordingTime(1000000);
        const std::string out = Out(std::string("t_") + c.target + "." + c.ext);
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        const TProbe p = ProbeFile(out);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.videoCodec, c.video);
        EXPECT_EQ(p.audioCodec, c.audio);
        EXPECT_EQ(p.width, c.w);
        EXPECT_EQ(p.height, c.h);
        EXPECT_EQ(p.sampleRate, c.rate);
    }
    EXPECT_TRUE(Logged(llInfo, "Assuming 4:3 for aspect ratio"));
}

namespace {

// A loopback HTTP server that sends the head of a file and then stalls until released.
class TStallingServer {
public:
    TStallingServer(const std::string& file, double fraction) {
        std::ifstream in(file, std::ios::binary);
        body_.assign(std::istreambuf_iterator<char>(in), {});
        sent_ = size_t(double(body_.size()) * fraction);
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        listen(fd_, 4);
        thread_ = std::thread([this] { serve(); });
    }
    ~TStallingServer() {
        release_ = true;
        shutdown(fd_, SHUT_RDWR);
        close(fd_);
        thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/stall.flv"; }

private:
    void serve() {
        const int client = accept(fd_, nullptr, nullptr);
        if (client < 0)
            return;
        char request[4096];
        (void)!recv(client, request, sizeof request, 0);
        // No length: the stream is not seekable, so the demuxer only reads forward.
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: video/x-flv\r\n\r\n";
        (void)!send(client, head.data(), head.size(), MSG_NOSIGNAL);
        (void)!send(client, body_.data(), sent_, MSG_NOSIGNAL);
        while (!release_)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        close(client);
    }

    std::string body_;
    size_t sent_ = 0;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> release_{false};
    std::thread thread_;
};

} // namespace

TEST_F(CoreTest, StopDuringBlockingReadEndsPromptly) {
    TStallingServer server(Fixtures::Path("av.flv"), 0.5);
    TCustomFFmpeg task;
    task.SetThreads(kAutoThreads);
    task.SetOption("analyzeduration", "500000"); // probing must not wait for the stalled part
    ASSERT_TRUE(task.OpenInput(server.Url())) << task.LastErrMsg();
    task.SetVideoCodec("mpeg4");
    task.SetAudioCodec("libmp3lame");
    const std::string out = Out("stalled.mp4");
    ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();

    std::mutex lock;
    std::vector<TFFProgress> reports;
    std::atomic<int> terminated{0};
    task.SetProgressIntervalUs(100000);
    task.OnProgress = [&](TCustomFFmpeg&, const TFFProgress& p) {
        std::lock_guard<std::mutex> g(lock);
        reports.push_back(p);
    };
    task.OnTerminate = [&](TCustomFFmpeg&) { terminated++; };
    ASSERT_TRUE(task.Start(true));
    // Let the loop convert what arrived and block on the stalled read.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_TRUE(task.Running());
    task.Stop(true);
    EXPECT_FALSE(task.Running());
    EXPECT_FALSE(task.Completed());
    EXPECT_FALSE(task.Failed());
    EXPECT_EQ(terminated, 1);
    std::lock_guard<std::mutex> g(lock);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().InputFileIndex, -1);
    // A stopped task keeps its output, finished with its index: without one an MP4 does not open.
    EXPECT_TRUE(ProbeFile(out).ok);
}

// A truncated input converts what can be decoded; with "xerror" a decoding error fails.
TEST_F(CoreTest, DamagedInputConvertsWhatItCan) {
    const std::string damaged = Out("damaged.avi");
    {
        std::ifstream in(Fixtures::Path("av.avi"), std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), {});
        for (size_t i = data.size() / 3; i < data.size() / 2; i += 97)
            data[i] = char(data[i] ^ 0x5A); // garbage in the middle
        data.resize(data.size() * 2 / 3);   // and cut short
        std::ofstream(damaged, std::ios::binary) << data;
    }
    TCustomFFmpeg task;
    ASSERT_TRUE(task.OpenInput(damaged)) << task.LastErrMsg();
    task.SetVideoCodec("mpeg4");
    task.SetAudioCodec("libmp3lame");
    const std::string out = Out("from_damaged.avi");
    ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
    EXPECT_EQ(RunTask(task), "");
    EXPECT_TRUE(task.Completed());
    const TProbe p = ProbeFile(out);
    ASSERT_TRUE(p.ok);
    EXPECT_GT(p.videoFrames, 20);
}

// Failures while running end the task with a readable message; the next task runs.
TEST_F(CoreTest, RunFailuresEndCleanly) {
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        task.SetVideoCodec("libx264");
        task.SetFrameSize("99999x99999");
        const std::string out = Out("huge.mp4");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        const std::string err = RunTask(task);
        EXPECT_EQ(err.rfind("Error while opening encoder for output stream #0.0 (video)", 0), 0u) << err;
        EXPECT_TRUE(task.Failed());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("audio.wav")));
        task.SetAudioCodec("libmp3lame");
        task.SetAudioSampleRate(8000);
        task.SetAudioChannels(2);
        const std::string out = Out("next.mp3");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        EXPECT_EQ(RunTask(task), "");
        EXPECT_EQ(ProbeFile(out).sampleRate, 8000);
    }
}

// Stream copy (with a bitstream filter), hooks, volume and audio sync on the encode path.
TEST_F(CoreTest, CopyHooksAndAudioFilters) {
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        task.SetVideoCodec("copy");
        task.SetAudioCodec("copy");
        task.SetOption("vbsf", "h264_mp4toannexb");
        const std::string out = Out("copy.ts");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        const TProbe p = ProbeFile(out);
        EXPECT_EQ(p.videoCodec, "h264");
        EXPECT_EQ(p.audioCodec, "aac");
        EXPECT_EQ(p.videoFrames, 75);
    }
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        task.SetAudioCodec("copy");
        task.SetAudioVolume(512);
        ASSERT_GE(task.OpenOutput(Out("copyvol.mkv")), 0) << task.LastErrMsg();
        EXPECT_EQ(RunTask(task), "-acodec copy and -vol are incompatible (frames are not decoded)");
    }
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        task.SetVideoCodec("libx264");
        task.SetOption("preset", "ultrafast");
        task.SetFrameSize("161x121"); // odd: the encoder's 4:2:0 needs even sizes
        task.SetAudioCodec("libmp3lame");
        task.SetAudioVolume(512);
        task.SetAudioSyncMethod(1);
        task.SetRecordingTime(1000000);
        int videoHooks = 0, audioHooks = 0;
        task.OnVideoInputHook = [&](TCustomFFmpeg&, TFFBitmap& b) {
            videoHooks++;
            EXPECT_EQ(b.Width, 320);
            std::fill(b.Data, b.Data + b.LineSize * b.Height, uint8_t(0)); // black picture
        };
        task.OnAudioHook = [&](TCustomFFmpeg&, int64_t, uint8_t*, int size, int rate, int channels,
                               AVSampleFormat) {
            audioHooks++;
            EXPECT_GT(size, 0);
            EXPECT_EQ(rate, 44100);
            EXPECT_EQ(channels, 2);
        };
        const std::string out = Out("hooked.mkv");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        const TProbe p = ProbeFile(out);
        EXPECT_EQ(p.width, 160);
        EXPECT_EQ(p.height, 120);
        EXPECT_GE(videoHooks, 25);
        EXPECT_GE(audioHooks, 40); // 16-bit packed, whatever the decoder gives
        EXPECT_NEAR(double(p.durationUs) / 1e6, 1.0, 0.15);
    }
}

// A full disk ends the task with the writer's message and leaves no partial file.
// Needs a small tmpfs; skipped where mounting is not allowed.
TEST_F(CoreTest, FullDiskFailsCleanly) {
    const std::string dir = Fixtures::ScratchFolder("FullDisk") + "/small";
    std::filesystem::create_directories(dir);
    if (std::system(("mount -t tmpfs -o size=64k tmpfs '" + dir + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct TUnmount {
        std::string dir;
        ~TUnmount() { (void)!std::system(("umount '" + dir + "'").c_str()); }
    } unmount{dir};

    TCustomFFmpeg task;
    ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
    task.SetVideoCodec("mpeg4");
    task.SetOption("b", "2000000");
    const std::string out = dir + "/full.avi";
    ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
    const std::string err = RunTask(task);
    EXPECT_NE(err.find("failed"), std::string::npos) << err;
    EXPECT_TRUE(task.Failed());
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Frame and size limits end the output early; the statistics file has one line per frame.
TEST_F(CoreTest, LimitsAndStatistics) {
    const std::string stats = Out("vstats.log");
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        task.SetVideoCodec("mpeg4");
        task.SetOption("vframes", "10");
        task.SetOption("vstats_file", stats);
        task.SetOption("an", "1");
        const std::string out = Out("ten.avi");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        EXPECT_EQ(ProbeFile(out).videoFrames, 10);
    }
    std::ifstream in(stats);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        EXPECT_EQ(line.rfind("frame=", 0), 0u) << line;
        EXPECT_NE(line.find(" type= "), std::string::npos) << line;
        lines++;
    }
    EXPECT_EQ(lines, 10);
    {
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        task.SetVideoCodec("mpeg4");
        task.SetOption("b", "2000000");
        task.SetOption("fs", "100000");
        const std::string out = Out("limited.avi");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        EXPECT_LT(std::filesystem::file_size(out), 200000u);
        EXPECT_LT(ProbeFile(out).videoFrames, 60);
    }
    {
        // "ss" before the input seeks it; the output starts at zero and is shorter by that much.
        TCustomFFmpeg task;
        task.SetOption("ss", "1");
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4")));
        EXPECT_NEAR(double(task.TotalTime()) / 1e6, 2.0, 0.1);
        task.SetVideoCodec("mpeg4");
        task.SetAudioCodec("libmp3lame");
        const std::string out = Out("seeked.avi");
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        const TProbe p = ProbeFile(out);
        EXPECT_NEAR(p.firstVideoSec, 0.0, 0.05);
        EXPECT_NEAR(double(p.videoFrames), 50.0, 2.0);
    }
}

// Two passes on codec threads: the first pass's statistics bring the second to the size
// one thread reaches, for slice-threaded MPEG-4 and frame-threaded x264 alike.
TEST_F(CoreTest, TwoPassesOnCodecThreadsAsOnOne) {
    auto twoPasses = [&](const std::string& codec, int threads) -> uintmax_t {
        const std::string name = codec + "_" + std::to_string(threads);
        const std::string out = Out(name + ".avi"); // Out() empties the folder
        const std::string log = out.substr(0, out.size() - 4);
        for (const char* pass : {"1", "2"}) {
            TCustomFFmpeg task;
            task.SetThreads(threads);
            EXPECT_TRUE(task.OpenInput(Fixtures::Path("av_wide.mp4"))) << task.LastErrMsg();
            task.SetVideoCodec(codec);
            task.SetOption("an", "1");
            task.SetOption("b", "300000");
            task.SetOption("pass", pass);
            task.SetOption("passlogfile", log);
            EXPECT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
            EXPECT_EQ(RunTask(task), "") << name << " pass " << pass;
        }
        EXPECT_EQ(ProbeFile(out).videoFrames, 60) << name;
        return std::filesystem::file_size(out);
    };
    for (const std::string codec : {"mpeg4", "libx264"}) {
        const double one = double(twoPasses(codec, 1));
        EXPECT_NEAR(double(twoPasses(codec, kAutoThreads)) / one, 1.0, 0.1) << codec;
    }
}
