#include "download/FormatChoice.h"

#include "Fixtures.h"
#include "download/VideoInfo.h"
#include "download/VideoResolver.h"
#include "download/VideoService.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TVideoFormat Offer(const std::string& id, const std::string& ext, const std::string& vcodec,
                   const std::string& acodec, int width = 0, int height = 0) {
    TVideoFormat f;
    f.Id = id;
    f.Url = "http://127.0.0.1/" + id;
    f.Ext = ext;
    f.VCodec = vcodec;
    f.ACodec = acodec;
    f.Width = width;
    f.Height = height;
    return f;
}

std::vector<std::string> Ids(const TFormatPlan& plan) {
    std::vector<std::string> ids;
    for (const TVideoFormat& f : plan.Parts)
        ids.push_back(f.Id);
    return ids;
}

} // namespace

TEST(VideoInfo, ReadsTitleFormatsAndHeaders) {
    const TVideoInfoResult r = ReadVideoInfo(R"({"title": "T \u00e9", "formats": [
        {"format_id": "18", "url": "http://a/18", "ext": "mp4", "vcodec": "avc1", "acodec": "mp4a",
         "width": 640, "height": 360.0, "http_headers": {"Referer": "http://a/", "X-Bad": "1\r\nHost: evil"}},
        "not an object",
        {"format_id": "140", "ext": "m4a", "vcodec": "none", "acodec": null, "width": 1e300, "height": -5}]})");
    ASSERT_TRUE(r.Ok()) << r.Error;
    EXPECT_EQ(r.Info.Title, "T \xc3\xa9");
    ASSERT_EQ(r.Info.Formats.size(), 2u);
    const TVideoFormat& a = r.Info.Formats[0];
    EXPECT_EQ(a.Url, "http://a/18");
    EXPECT_EQ(a.Width, 640);
    EXPECT_EQ(a.Height, 360);
    // A header value that would smuggle in another header line is dropped.
    EXPECT_EQ(a.Headers, std::vector<std::string>{"Referer: http://a/"});
    const TVideoFormat& b = r.Info.Formats[1];
    EXPECT_TRUE(b.Url.empty());
    EXPECT_FALSE(b.HasVideo());
    EXPECT_TRUE(b.HasAudio()); // not told
    EXPECT_EQ(b.Width, 0);
    EXPECT_EQ(b.Height, 0);

    // A single file without a format list.
    const TVideoInfoResult single =
        ReadVideoInfo(R"({"title": "One", "url": "http://a/x.mp4", "ext": "mp4"})");
    ASSERT_TRUE(single.Ok());
    EXPECT_EQ(single.Info.Formats.at(0).Url, "http://a/x.mp4");
}

TEST(VideoInfo, AnswersThatAreNotAVideoAreRefused) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    for (const std::string& text : {std::string(), std::string("<html>"), std::string("[1, 2]"),
                                    std::string(R"({"title": "x", "formats": [)"), deep}) {
        EXPECT_EQ(ReadVideoInfo(text).Error, "the resolver's answer is not a JSON object")
            << text.substr(0, 20);
    }
    EXPECT_EQ(ReadVideoInfo(R"({"title": "x", "formats": []})").Error,
              "the resolver's answer offers no formats");
}

TEST(FormatChoice, QualityNumbersAreFormatIdsAndTheBestCombinedFormatIsTheDefault) {
    TVideoInfo info;
    info.Formats = {Offer("17", "3gp", "mp4v", "mp4a", 176, 144),
                    Offer("18", "mp4", "avc1", "mp4a", 640, 360), Offer("140", "m4a", "none", "mp4a"),
                    Offer("137", "mp4", "avc1", "none", 1920, 1080),
                    Offer("22", "", "avc1", "mp4a", 1280, 720)};
    const TFormatPlan hq17 = ChooseFormats(info, 5);
    EXPECT_EQ(Ids(hq17), std::vector<std::string>{"17"});
    EXPECT_EQ(hq17.Extension, ".3gp");
    // Without an extension in the answer, the table's.
    EXPECT_EQ(ChooseFormats(info, 3).Extension, ".mp4");
    EXPECT_FALSE(ChooseFormats(info, 2).Offered()); // [HQ35]
    // Attempt 0: the last format holding both.
    EXPECT_EQ(Ids(ChooseFormats(info, -1)), std::vector<std::string>{"22"});
    info.Formats.back().Url.clear();
    EXPECT_EQ(ChooseFormats(info, -1).Error, "format 22 has no address");
}

TEST(FormatChoice, OnlyHQ22AndHQ37FallBackToSeparateStreamsOfTheirFrameSize) {
    TVideoInfo info;
    info.Formats = {Offer("247", "webm", "vp9", "none", 1280, 720),
                    Offer("136", "mp4", "avc1", "none", 1280, 720),
                    Offer("248", "webm", "vp9", "none", 1920, 1080),
                    Offer("134", "mp4", "avc1", "none", 640, 360),
                    Offer("140", "m4a", "none", "mp4a"),
                    Offer("251", "webm", "none", "opus")};
    const TFormatPlan hq22 = ChooseFormats(info, 3);
    EXPECT_EQ(Ids(hq22), (std::vector<std::string>{"136", "140"}));
    EXPECT_TRUE(hq22.Joined());
    EXPECT_EQ(hq22.Extension, ".mp4");
    // Of the other types when no MP4 stream of the size is offered.
    EXPECT_EQ(Ids(ChooseFormats(info, 7)), (std::vector<std::string>{"248", "140"}));
    // [HQ35] is 640x360 but was never split.
    EXPECT_FALSE(ChooseFormats(info, 2).Offered());
    info.Formats.erase(info.Formats.end() - 2, info.Formats.end());
    EXPECT_FALSE(ChooseFormats(info, 3).Offered()); // no audio stream
}

TEST(VideoResolver, TheNamedProgramElseYtDlpOnPathForTheRealServiceElseThePageReader) {
    const char* savedPath = std::getenv("PATH");
    const std::string path = savedPath ? savedPath : "";
    const std::string bin = Fixtures::ScratchFolder("resolver_path");
    const std::string program = bin + "/yt-dlp";
    std::ofstream(program) << "#!/bin/sh\n";
    ::chmod(program.c_str(), 0755);
    unsetenv(kVideoServiceVariable);
    unsetenv(kYtDlpVariable);

    setenv("PATH", ("/nonexistent::" + bin + ":" + path).c_str(), 1);
    EXPECT_EQ(CurrentVideoResolver().Program, program);
    setenv(kVideoServiceVariable, "127.0.0.1:1", 1);
    EXPECT_FALSE(CurrentVideoResolver().External());
    EXPECT_EQ(ResolverLogLine(CurrentVideoResolver()), "Video addresses from: the built-in page reader");
    setenv(kYtDlpVariable, "/opt/my-yt-dlp", 1);
    EXPECT_EQ(CurrentVideoResolver().Program, "/opt/my-yt-dlp");
    unsetenv(kVideoServiceVariable);
    ::chmod(program.c_str(), 0644);
    unsetenv(kYtDlpVariable);
    setenv("PATH", bin.c_str(), 1);
    EXPECT_FALSE(CurrentVideoResolver().External()); // not executable

    setenv("PATH", path.c_str(), 1);
}
