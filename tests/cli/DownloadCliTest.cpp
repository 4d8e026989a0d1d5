// mediawiz-cli download end to end: the built program as a child process against the
// fake video service on 127.0.0.1, with the files it leaves and its exit status.

#include "CliProcess.h"
#include "FakeVideoService.h"
#include "FakeYtDlp.h"
#include "Fixtures.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using Answer = FakeVideoService::Answer;
using Clock = std::chrono::steady_clock;
using Names = std::vector<std::string>;

namespace {

Names filesIn(const std::string& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class DownloadCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        logs = Fixtures::ScratchFolder(name + "_logs");
        out = Fixtures::ScratchFolder(name + "_out");
        setenv("MEDIAWIZ_VIDEO_SERVICE", service.Host().c_str(), 1);
    }
    void TearDown() override { unsetenv("MEDIAWIZ_VIDEO_SERVICE"); }

    void AddVideo(const std::string& id, const std::string& title, std::map<int, Answer> formats,
                  std::string bytes = {}) {
        service.Add(id, title, std::move(formats), std::move(bytes));
    }

    // download --out <out> with the options, then the links of the ids.
    TCliResult Download(std::vector<std::string> options, const Names& ids) {
        std::vector<std::string> args{"download", "--out", out};
        args.insert(args.end(), options.begin(), options.end());
        for (const std::string& id : ids)
            args.push_back(service.Link(id));
        return RunCli(args, logs);
    }

    FakeVideoService service;
    std::string logs;
    std::string out;
};

} // namespace

TEST_F(DownloadCliTest, AMixedRunSavesFailsRefusesAndNumbersTheSameNames) {
    AddVideo("a", "Clip: One?", {{18, Answer::File}});
    AddVideo("b", "Same", {{18, Answer::Redirect}});
    AddVideo("c", "Same", {{22, Answer::File}}); // third in the default order
    AddVideo("d", "Gone", {});
    const std::string foreign = "http://example.com/watch?v=x";
    std::vector<std::string> args{"download",        "--out",           out,
                                  service.Link("a"), foreign,           service.Link("b"),
                                  service.Link("c"), service.Link("a"), service.Link("d")};
    const TCliResult result = RunCli(args, logs);

    EXPECT_EQ(result.ExitCode, 1) << result.Out << result.Err;
    ASSERT_EQ(filesIn(out), (Names{"Clip_ One_.mp4", "Same(1).mp4", "Same.mp4"})) << result.Out << result.Err;
    EXPECT_EQ(readAll(out + "/Clip_ One_.mp4"), service.Content("a", 18));
    EXPECT_EQ(readAll(out + "/Same.mp4"), service.Content("b", 18));
    EXPECT_EQ(readAll(out + "/Same(1).mp4"), service.Content("c", 22));
    EXPECT_EQ(service.PageRequests("a"), 1) << "the repeated link is not fetched";

    EXPECT_THAT(result.Err, HasSubstr(foreign + ": This is not a YouTube video link.\n"));
    EXPECT_THAT(result.Err, HasSubstr(service.Link("a") + ": This video is already in the download list.\n"));
    const std::string& report = result.Out;
    EXPECT_THAT(report,
                HasSubstr("[1/4] " + service.Link("a") + ": Getting real YouTube URLs, please wait...\n"));
    EXPECT_THAT(
        report,
        HasSubstr("[1/4] Clip: One?: Quality: [HQ18] - Format: MP4; Video: 480x360; Audio: Sterro\n"));
    EXPECT_THAT(report, HasSubstr("[1/4] Clip: One?: Downloading...\n"));
    EXPECT_THAT(report, HasSubstr("[1/4] Clip: One?: Finish. -> " + out + "/Clip_ One_.mp4\n"));
    EXPECT_THAT(report, HasSubstr("[3/4] Same: Quality: [HQ18] failed, try next: [HQ35]\n"));
    EXPECT_THAT(report, HasSubstr("[3/4] Same: Quality: [HQ35] failed, try next: [HQ22]\n"));
    EXPECT_THAT(report, HasSubstr("[4/4] Gone: Quality: [HQ34] failed, try next: [HQ37]\n"));
    EXPECT_THAT(report, HasSubstr("[4/4] Gone: Failed.\n"));
    EXPECT_THAT(report, HasSubstr("Progress: 100%  Size: 0.06MB  Speed: "));
    EXPECT_THAT(report, Not(HasSubstr("\033"))) << "plain lines when not a terminal";
    EXPECT_THAT(report,
                HasSubstr("Total files: 4\nSucceeded: 3\nFailed: 1\nRefused: 2\nSaved: " + out +
                          "/Clip_ One_.mp4\nSaved: " + out + "/Same.mp4\nSaved: " + out + "/Same(1).mp4\n"));
}

TEST_F(DownloadCliTest, DefaultQualityAndPreferChooseWhatIsTried) {
    AddVideo("q", "Q", {{FakeVideoService::kDefaultFormat, Answer::File}, {18, Answer::File}});
    const TCliResult byDefault = Download({"--default-quality"}, {"q"});
    EXPECT_EQ(byDefault.ExitCode, 0) << byDefault.Out << byDefault.Err;
    EXPECT_EQ(service.FormatRequests("q"), std::vector<int>{FakeVideoService::kDefaultFormat});
    EXPECT_THAT(byDefault.Out, HasSubstr("Quality: [Default Quality - HQ5]\n"));
    EXPECT_EQ(readAll(out + "/Q.flv"), service.Content("q", FakeVideoService::kDefaultFormat));

    AddVideo("r", "R", {{22, Answer::File}, {18, Answer::File}});
    const TCliResult preferred = Download({"--prefer", "37,22,18"}, {"r"});
    EXPECT_EQ(preferred.ExitCode, 0) << preferred.Out << preferred.Err;
    EXPECT_EQ(service.FormatRequests("r"), (std::vector<int>{37, 22}));
    EXPECT_THAT(preferred.Out, HasSubstr("Quality: [HQ37] failed, try next: [HQ22]\n"));
    EXPECT_EQ(readAll(out + "/R.mp4"), service.Content("r", 22));

    // Only the numbers given are tried, in their order.
    AddVideo("s", "S", {{18, Answer::File}});
    const TCliResult missing = Download({"--prefer", "13,6"}, {"s"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(service.FormatRequests("s"), (std::vector<int>{13, 6}));
    EXPECT_EQ(filesIn(out), (Names{"Q.flv", "R.mp4"}));
}

TEST_F(DownloadCliTest, CtrlCAbortsASlowTransferAndLeavesNothing) {
    FakeVideoService::Video slow;
    slow.Id = "slow";
    slow.Title = "Slow";
    slow.Size = 4 * 1024 * 1024;
    slow.Formats = {{18, Answer::Stall}};
    service.Add(slow);
    TCliProcess process({"download", "--out", out, service.Link("slow")}, logs);
    for (int i = 0; i < 300 && process.Out().find("Downloading...") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_THAT(process.Out(), HasSubstr("Downloading...")) << process.Err();
    EXPECT_EQ(filesIn(out).size(), 1u) << "the video arrives in a part file";
    const std::string maps = readAll("/proc/" + std::to_string(process.Pid()) + "/maps");
    EXPECT_THAT(maps, HasSubstr("libcurl")) << "the maps are the program's";
    EXPECT_THAT(maps, Not(HasSubstr("libavcodec"))) << "downloading loads no media library";
    EXPECT_THAT(maps, Not(HasSubstr("libavformat")));

    const auto signalled = Clock::now();
    process.Signal(SIGINT);
    EXPECT_EQ(process.Wait(), 130) << process.Out() << process.Err();
    EXPECT_LT(Clock::now() - signalled, std::chrono::seconds(30)) << "not waiting for the stalled server";
    EXPECT_TRUE(filesIn(out).empty());
    EXPECT_THAT(process.Err(), HasSubstr("Download stopped by the user."));
    EXPECT_THAT(process.Out(), HasSubstr("Total files: 1\nSucceeded: 0\nFailed: 1\n"));
}

TEST_F(DownloadCliTest, UsageErrorsFetchAndWriteNothing) {
    AddVideo("a", "A", {{18, Answer::File}});
    const std::string link = service.Link("a");
    const std::string plainFile = logs + "/plain_file";
    std::ofstream(plainFile) << "x";
    const std::string missing = out + "/sub";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--prefer", "37,99"},
         "--prefer: \"99\" is not a quality; the qualities are 6, 18, 35, 22, 13, 17, 34, 37"},
        {{"--prefer", "18,22,18"}, "--prefer names 18 twice"},
        {{"--prefer", "6,18,35,22,13,17,34,37,6"}, "--prefer takes one to eight qualities"},
        {{"--prefer", ""}, "--prefer: \"\" is not a quality"},
        {{"--prefer", "18,,22"}, "--prefer: \"\" is not a quality"},
        {{"--default-quality", "--prefer", "18"}, "--default-quality and --prefer cannot be used together"},
        {{"--convert", "mp5"}, "unknown format \"mp5\""},
        {{"--convert", "mp3", "--preset", "9"}, "preset 9 is not one of MP3's presets"},
        {{"--preset", "1"}, "--preset needs --convert FORMAT"},
        {{"--join"}, "unknown option --join"},
        {{"--prefer"}, "option --prefer needs a value"},
        {{"--out", plainFile}, "output folder is not a folder"},
        {{"--out", plainFile + "/sub"}, "output folder cannot be created"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"download", "--out", missing};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (c.args.back() != "--prefer")
            args.push_back(link);
        const TCliResult result = RunCli(args, logs);
        EXPECT_EQ(result.ExitCode, 2) << c.message;
        EXPECT_THAT(result.Err, HasSubstr(c.message));
        EXPECT_THAT(result.Err, HasSubstr("usage:"));
    }
    const TCliResult noLinks = RunCli({"download", "--out", missing}, logs);
    EXPECT_EQ(noLinks.ExitCode, 2);
    EXPECT_THAT(noLinks.Err, HasSubstr("no links given"));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(service.PageRequests("a"), 0);
}

TEST_F(DownloadCliTest, ConvertGivesOneMp3PerSavedVideo) {
    const std::string movie = readAll(Fixtures::Path("av.mp4"));
    AddVideo("m1", "Movie One", {{18, Answer::File}}, movie);
    AddVideo("m2", "Movie Two", {{18, Answer::Redirect}}, movie);
    AddVideo("m3", "Missing", {});
    const TCliResult result =
        Download({"--prefer", "18", "--convert", "MP3", "--preset", "1"}, {"m1", "m3", "m2"});
    EXPECT_EQ(result.ExitCode, 1) << "a link failed";
    ASSERT_EQ(filesIn(out), (Names{"Movie One.mp3", "Movie One.mp4", "Movie Two.mp3", "Movie Two.mp4"}))
        << result.Out << result.Err;
    EXPECT_THAT(result.Out, HasSubstr("Format: MP3, preset 1: "));
    EXPECT_THAT(result.Out, HasSubstr("Movie One.mp4: Finish. -> " + out + "/Movie One.mp3\n"));
    EXPECT_THAT(result.Out, HasSubstr("Total files: 2\nSucceeded: 2\nFailed: 0\n"));
    for (const std::string name : {"Movie One.mp3", "Movie Two.mp3"}) {
        const TCliResult facts = RunCli({"probe", out + "/" + name}, logs);
        EXPECT_THAT(facts.Out, HasSubstr("Audio encoder: mp3")) << name;
        EXPECT_THAT(facts.Out, HasSubstr("Duration: 00:00:03.")) << name;
    }

    // Every link saved and converted: success.
    const TCliResult whole = Download({"--convert", "wav"}, {"m1"});
    EXPECT_EQ(whole.ExitCode, 0) << whole.Out << whole.Err;
    EXPECT_TRUE(fs::exists(out + "/Movie One(1).wav") || fs::exists(out + "/Movie One(1).mp4"));
}

// Through a yt-dlp (the tests' own), a quality offered only as separate video and audio
// streams is downloaded in two parts and joined into one file by the engine.
TEST_F(DownloadCliTest, ThroughYtDlpSeparateStreamsAreJoinedIntoOneFile) {
    AddVideo("hdv", "", {}, readAll(Fixtures::Path("stream_720p.mp4")));
    AddVideo("hda", "", {}, readAll(Fixtures::Path("stream_audio.m4a")));
    const FakeYtDlp ytdlp(Fixtures::ScratchFolder("cli_ytdlp"));
    const std::string files = "http://" + service.Host() + "/files/";
    ytdlp.Resolves("hd", "Both Halves",
                   {FakeYtDlp::VideoOnly("136", "mp4", 1280, 720, files + "hdv/136"),
                    FakeYtDlp::AudioOnly("140", "m4a", files + "hda/140")});
    setenv("MEDIAWIZ_YTDLP", ytdlp.Program().c_str(), 1);
    const TCliResult result = Download({"--prefer", "37,22"}, {"hd"});
    unsetenv("MEDIAWIZ_YTDLP");

    EXPECT_EQ(result.ExitCode, 0) << result.Out << result.Err;
    EXPECT_THAT(result.Err, HasSubstr("Video addresses from: " + ytdlp.Program() + "\n"));
    EXPECT_THAT(result.Out, HasSubstr("Quality: [HQ37] failed, try next: [HQ22]\n"));
    ASSERT_EQ(filesIn(out), Names{"Both Halves.mp4"}) << result.Out << result.Err;
    const TCliResult facts = RunCli({"probe", out + "/Both Halves.mp4"}, logs);
    EXPECT_THAT(facts.Out, HasSubstr("Video encoder: h264"));
    EXPECT_THAT(facts.Out, HasSubstr("Dimension: 1280 x 720"));
    EXPECT_THAT(facts.Out, HasSubstr("Audio encoder: aac"));
    EXPECT_EQ(service.PageRequests("hd"), 0);
}
