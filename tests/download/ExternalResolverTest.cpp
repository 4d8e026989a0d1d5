#include "DownloadDriverRig.h"
#include "FakeYtDlp.h"
#include "LoopbackServer.h"

#include <csignal>
#include <cstdio>
#include <strings.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Answer = FakeVideoService::Answer;
using Clock = std::chrono::steady_clock;
using Offer = FakeYtDlp::Offer;

namespace {

// A process that is gone or waits only to be reaped.
bool ProcessEnded(const std::string& pidFile) {
    std::ifstream in(pidFile);
    int pid = 0;
    if (!(in >> pid) || pid <= 0)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string statLine;
    if (!std::getline(stat, statLine))
        return true;
    const std::size_t close = statLine.rfind(')');
    return close != std::string::npos && close + 2 < statLine.size() && statLine[close + 2] == 'Z';
}

// What ffprobe sees in a file: "video 1280x720 h264", "audio aac", one line per stream.
std::vector<std::string> ProbeStreams(const std::string& path) {
    const std::string command = "ffprobe -v error -show_entries stream=codec_type,codec_name,width,height "
                                "-of default=noprint_wrappers=1 '" +
                                path + "'";
    std::vector<std::string> streams;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return streams;
    std::map<std::string, std::string> fields;
    const auto flush = [&] {
        if (fields.empty())
            return;
        std::string line = fields["codec_type"];
        if (fields["codec_type"] == "video")
            line += " " + fields["width"] + "x" + fields["height"];
        streams.push_back(line + " " + fields["codec_name"]);
        fields.clear();
    };
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        if (key == "codec_name")
            flush();
        fields[key] = line.substr(eq + 1);
    }
    flush();
    ::pclose(pipe);
    return streams;
}

} // namespace

// Runs with the fake yt-dlp named in MEDIAWIZ_YTDLP.
class ExternalResolverTest : public DownloadDriverTest {
protected:
    void SetUp() override {
        DownloadDriverTest::SetUp();
        setenv(kYtDlpVariable, ytdlp_.Program().c_str(), 1);
    }

    // The fake service's address of a video in one format.
    std::string Address(const std::string& id, int format) const {
        return "http://" + service_.Host() + "/get_video?video_id=" + id + "&t=tok" + id +
               "&fmt=" + std::to_string(format);
    }
    void Resolves(const std::string& id, const std::string& title, const std::vector<Offer>& offers) {
        ytdlp_.Resolves(id, title, offers);
    }
    void Behaves(const std::string& id, const std::string& script) { ytdlp_.Behaves(id, script); }

    FakeYtDlp ytdlp_{Fixtures::ScratchFolder(
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_resolver")};
    const std::string& program_ = ytdlp_.Program();
    const std::string& bin_ = ytdlp_.Folder();
};

TEST_F(ExternalResolverTest, TitleAndAddressesComeFromTheAnswerAndThePriorityFallsThroughMissingFormats) {
    AddVideo("p1", "Page title that is not used", {{35, Answer::NotFound}, {17, Answer::File}});
    Resolves("p1", "Clip: one?",
             {FakeYtDlp::VideoOnly("160", "mp4", 256, 144, Address("p1", 160)),
              FakeYtDlp::AudioOnly("140", "m4a", Address("p1", 140)),
              {"35", "flv", "h263", "mp3", 640, 360, Address("p1", 35)},
              {"17", "mp4", "mp4v", "mp4a", 176, 144, Address("p1", 17)}});
    ASSERT_TRUE(RunToEnd({"p1"}));

    EXPECT_EQ(view_.logs.front(), "Video addresses from: " + program_);
    EXPECT_EQ(ytdlp_.Arguments(),
              "--dump-single-json\n--no-playlist\n--no-warnings\n--\n" + service_.Link("p1") + "\n");
    EXPECT_EQ(service_.PageRequests("p1"), 0);
    // [HQ18] is not offered, [HQ35] fails to download, [HQ22] has no 1280x720 stream,
    // [HQ6] and [HQ13] are not offered: [HQ17] is saved with the extension of its answer.
    EXPECT_EQ(service_.FormatRequests("p1"), (std::vector<int>{35, 17}));
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"Clip_ one_.mp4"});
    EXPECT_EQ(ReadAll(dir_ + "Clip_ one_.mp4"), service_.Content("p1", 17));
    EXPECT_EQ(Status(0), "Finish.");
    EXPECT_EQ(view_.rows[0][dcName], "Clip: one?");
    EXPECT_EQ(view_.rows[0][dcURL], Address("p1", 17));
    EXPECT_EQ(view_.qualityTexts.back(), "[HQ17] - Format: 3GP; Video: 176x144; Audio: Sterro");
    EXPECT_NE(
        std::find(view_.qualityTexts.begin(), view_.qualityTexts.end(), "[HQ6] failed, try next: [HQ13]"),
        view_.qualityTexts.end());
}

TEST_F(ExternalResolverTest, TheDefaultQualityIsTheBestFormatHoldingVideoAndAudio) {
    AddVideo("d1", "", {{17, Answer::File}, {18, Answer::File}, {137, Answer::File}});
    Resolves("d1", "Default",
             {{"17", "3gp", "mp4v", "mp4a", 176, 144, Address("d1", 17)},
              {"18", "mp4", "avc1", "mp4a", 640, 360, Address("d1", 18)},
              FakeYtDlp::VideoOnly("137", "mp4", 1920, 1080, Address("d1", 137)),
              FakeYtDlp::AudioOnly("140", "m4a", Address("d1", 140))});
    AddVideo("d2", "", {});
    Resolves("d2", "Split",
             {FakeYtDlp::VideoOnly("137", "mp4", 1920, 1080, Address("d2", 137)),
              FakeYtDlp::AudioOnly("140", "m4a", Address("d2", 140))});
    // A format whose codecs the answer does not name counts as holding both.
    AddVideo("d3", "", {{0, Answer::File}});
    Resolves("d3", "Plain", {{"0", "webm", "", "", 0, 0, Address("d3", 0)}});
    settings_.PreferQuality = false;
    ASSERT_TRUE(RunToEnd({"d1", "d2", "d3"}));

    EXPECT_EQ(service_.FormatRequests("d1"), std::vector<int>{18});
    EXPECT_TRUE(service_.FormatRequests("d2").empty());
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"Default.mp4", "Plain.webm"}));
    EXPECT_EQ(Status(1), "Failed.");
    EXPECT_EQ(view_.logs.back(), "Download error: Split: no offered format holds both video and audio");
}

TEST_F(ExternalResolverTest, SeparateVideoAndAudioAreJoinedIntoOnePlayableFileWithTheAnswersHeaders) {
    const std::string video = ReadAll(Fixtures::Path("stream_720p.mp4"));
    const std::string audio = ReadAll(Fixtures::Path("stream_audio.m4a"));
    LoopbackServer media([&](const LoopbackServer::Request& request) {
        LoopbackServer::Reply reply;
        if (request.Header("X-Key") != "secret") {
            reply.status = 403;
            reply.reason = "Forbidden";
        } else if (request.target == "/v.mp4") {
            reply.body = video;
        } else if (request.target == "/a.m4a") {
            reply.body = audio;
        } else {
            reply.status = 404;
            reply.reason = "Not Found";
        }
        return reply;
    });
    const nlohmann::json headers = {{"X-Key", "secret"}, {"User-Agent", "FakeAgent/1.0"}};
    AddVideo("hd", "", {{18, Answer::File}});
    Offer webmVideo = FakeYtDlp::VideoOnly("247", "webm", 1280, 720, media.URL("/v.webm"));
    Offer mp4Video = FakeYtDlp::VideoOnly("136", "mp4", 1280, 720, media.URL("/v.mp4"));
    Offer m4aAudio = FakeYtDlp::AudioOnly("140", "m4a", media.URL("/a.m4a"));
    Offer webmAudio = FakeYtDlp::AudioOnly("251", "webm", media.URL("/a.webm"));
    for (Offer* o : {&webmVideo, &mp4Video, &m4aAudio, &webmAudio})
        o->headers = headers;
    Resolves("hd", "Joined",
             {{"18", "mp4", "avc1", "mp4a", 640, 360, Address("hd", 18)},
              mp4Video,
              webmVideo,
              m4aAudio,
              webmAudio});
    settings_.Slots = kBestAvailableOrder; // [HQ37], [HQ22], ...
    ASSERT_TRUE(RunToEnd({"hd"}));

    EXPECT_EQ(Status(0), "Finish.") << ::testing::PrintToString(view_.logs);
    EXPECT_TRUE(service_.FormatRequests("hd").empty());
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"Joined.mp4"});
    EXPECT_EQ(driver_->Run().DownloadedFiles(), std::vector<std::string>{dir_ + "Joined.mp4"});
    EXPECT_EQ(ProbeStreams(dir_ + "Joined.mp4"),
              (std::vector<std::string>{"video 1280x720 h264", "audio aac"}));
    EXPECT_EQ(view_.rows[0][dcProgress], "100%");
    EXPECT_EQ(view_.qualityTexts.back(), "[HQ22] - Format: MP4; Video: 1280x720; Audio: Sterro");
    std::vector<std::string> asked;
    for (const LoopbackServer::Request& r : media.Requests()) {
        asked.push_back(r.target);
        EXPECT_EQ(r.Header("User-Agent"), "FakeAgent/1.0");
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"/v.mp4", "/a.m4a"}));
}

TEST_F(ExternalResolverTest, TheAnswersAcceptHeaderIsTheOnlyOneSent) {
    LoopbackServer media([](const LoopbackServer::Request&) {
        LoopbackServer::Reply reply;
        reply.body = "video bytes";
        return reply;
    });
    AddVideo("acc", "", {});
    Offer offer{"18", "mp4", "avc1", "mp4a", 640, 360, media.URL("/v.mp4")};
    offer.headers = {{"Accept", "text/html,application/xml;q=0.9,*/*;q=0.8"}};
    Resolves("acc", "Accepted", {offer});
    ASSERT_TRUE(RunToEnd({"acc"}));

    EXPECT_EQ(Status(0), "Finish.");
    const std::vector<LoopbackServer::Request> requests = media.Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::vector<std::string> accepts;
    for (const auto& [name, value] : requests[0].headers)
        if (strcasecmp(name.c_str(), "Accept") == 0)
            accepts.push_back(value);
    EXPECT_EQ(accepts, std::vector<std::string>{"text/html,application/xml;q=0.9,*/*;q=0.8"});
}

TEST_F(ExternalResolverTest, StreamsThatCannotBeJoinedFailTheRowAndLeaveNoParts) {
    AddVideo("bad", "", {{136, Answer::File}, {140, Answer::File}}); // made-up bytes, not media
    Resolves("bad", "Not media",
             {FakeYtDlp::VideoOnly("136", "mp4", 1280, 720, Address("bad", 136)),
              FakeYtDlp::AudioOnly("140", "m4a", Address("bad", 140))});
    settings_.Slots = kBestAvailableOrder;
    ASSERT_TRUE(RunToEnd({"bad"}));
    EXPECT_EQ(service_.FormatRequests("bad"), (std::vector<int>{136, 140}));
    EXPECT_EQ(Status(0), "Failed.");
    ASSERT_EQ(view_.logs.size(), 2u);
    EXPECT_EQ(view_.logs[1].rfind("Download error: Not media: the video and audio could not be joined: ", 0),
              0u)
        << view_.logs[1];
    EXPECT_TRUE(FilesIn(dir_).empty());
}

TEST_F(ExternalResolverTest, BadAnswersFailTheirRowWithALogLineAndTheRunGoesOn) {
    Behaves("fail", "echo 'ERROR: [generic] Unable to download webpage' >&2; exit 1");
    Behaves("junk", "echo '<html>not json</html>'; exit 0");
    Resolves("empty", "Empty", {});
    Resolves("noaddr", "No address", {{"18", "mp4", "avc1", "mp4a", 640, 360, ""}});
    AddVideo("good", "", {{18, Answer::File}});
    Resolves("good", "Good", {{"18", "mp4", "avc1", "mp4a", 640, 360, Address("good", 18)}});
    ASSERT_TRUE(RunToEnd({"fail", "junk", "empty", "noaddr", "good"}));

    EXPECT_EQ(driver_->Run().Succeeded(), 1);
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"Good.mp4"});
    EXPECT_EQ(view_.logs,
              (std::vector<std::string>{
                  "Video addresses from: " + program_,
                  "Download error: " + service_.Link("fail") + ": " + program_ +
                      " ended with exit code 1: ERROR: [generic] Unable to download webpage",
                  "Download error: " + service_.Link("junk") + ": the resolver's answer is not a JSON object",
                  "Download error: " + service_.Link("empty") + ": the resolver's answer offers no formats",
                  "Download error: No address: format 18 has no address",
              }));

    // A program that is not there.
    const std::string missing = bin_ + "no-such-program";
    setenv(kYtDlpVariable, missing.c_str(), 1);
    view_.ended = false;
    ASSERT_TRUE(RunToEnd({"good"}));
    EXPECT_EQ(Status(0), "Failed.");
    EXPECT_EQ(view_.logs.back(), "Download error: " + service_.Link("good") + ": " + missing +
                                     " could not be started: No such file or directory");
}

TEST_F(ExternalResolverTest, AResolverThatHangsIsKilledAtItsTimeLimitOrOnCancel) {
    Behaves("hang", "sleep 60 & echo $! > '" + bin_ + "sleep.pid'; wait");
    AddVideo("after", "", {{18, Answer::File}});
    Resolves("after", "After", {{"18", "mp4", "avc1", "mp4a", 640, 360, Address("after", 18)}});
    settings_.ResolverTimeout = 1s;
    const auto start = Clock::now();
    ASSERT_TRUE(RunToEnd({"hang", "after"}));
    EXPECT_LT(Clock::now() - start, 20s);
    EXPECT_EQ(Status(0), "Failed.");
    EXPECT_EQ(Status(1), "Finish.");
    EXPECT_EQ(view_.logs[1],
              "Download error: " + service_.Link("hang") + ": " + program_ + " gave no answer within 1 s");
    EXPECT_TRUE(ProcessEnded(bin_ + "sleep.pid"));

    // Cancel while the resolver runs: the run ends at once and the program with its children.
    fs::remove(bin_ + "sleep.pid");
    settings_.ResolverTimeout = 60s;
    view_.ended = false;
    Start({"hang", "after"});
    ASSERT_TRUE(PumpUntil([&] {
        std::error_code ec;
        return fs::file_size(bin_ + "sleep.pid", ec) > 0 && !ec;
    }));
    const auto asked = Clock::now();
    driver_->Cancel();
    ASSERT_TRUE(PumpUntil([&] { return view_.ended; }, 10s));
    EXPECT_LT(Clock::now() - asked, 5s);
    EXPECT_TRUE(view_.cancelled);
    EXPECT_EQ(driver_->Run().Succeeded(), 0);
    EXPECT_TRUE(PumpUntil([&] { return ProcessEnded(bin_ + "sleep.pid"); }, 5s));
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"After.mp4"}); // of the first run only
}

// Debian's yt-dlp reads a page of the fake service with its generic extractor.
TEST_F(ExternalResolverTest, TheRealProgramResolvesAPageWithAVideoTag) {
    const TVideoResolver installed = [] {
        unsetenv(kYtDlpVariable);
        const std::string saved = getenv(kVideoServiceVariable);
        unsetenv(kVideoServiceVariable);
        TVideoResolver found = CurrentVideoResolver();
        setenv(kVideoServiceVariable, saved.c_str(), 1);
        return found;
    }();
    if (!installed.External())
        GTEST_SKIP() << "yt-dlp is not installed";
    setenv(kYtDlpVariable, installed.Program.c_str(), 1);
    FakeVideoService::Video page;
    page.Id = "real";
    page.Formats = {{18, Answer::File}};
    page.PageBytes =
        "<html><head><title>Real Page</title><meta property=\"og:title\" content=\"Real Title\">"
        "</head><body><video src=\"/files/real/18.mp4\" type=\"video/mp4\"></video></body></html>";
    service_.Add(page);
    settings_.PreferQuality = false;
    ASSERT_TRUE(RunToEnd({"real"}));
    EXPECT_EQ(Status(0), "Finish.") << ::testing::PrintToString(view_.logs);
    EXPECT_EQ(service_.PageRequests("real"), 1);
    const std::vector<std::string> files = FilesIn(dir_);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].rfind("Real Title", 0), 0u) << files[0];
    EXPECT_EQ(ReadAll(dir_ + files[0]), service_.Content("real", 18));
}
