#include "DownloadDriverRig.h"

#include <sys/mount.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Answer = FakeVideoService::Answer;
using Clock = std::chrono::steady_clock;

TEST_F(DownloadDriverTest, ThreeLinksWithTheSecondFailing) {
    AddVideo("a1", "Alpha", {{18, Answer::File}});
    FakeVideoService::Video broken;
    broken.Id = "b2";
    broken.PageStatus = 500;
    service_.Add(broken);
    AddVideo("c3", "Gamma", {{18, Answer::Redirect}});

    ASSERT_TRUE(RunToEnd({"a1", "b2", "c3"}));
    EXPECT_FALSE(view_.cancelled);
    const TDownloadRun& run = driver_->Run();
    EXPECT_EQ(run.Total(), 3);
    EXPECT_EQ(run.Succeeded(), 2);
    EXPECT_EQ(run.Failed(), 1);
    EXPECT_EQ(run.DownloadedFiles(), (std::vector<std::string>{dir_ + "Alpha.mp4", dir_ + "Gamma.mp4"}));
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"Alpha.mp4", "Gamma.mp4"}));
    EXPECT_EQ(ReadAll(dir_ + "Alpha.mp4"), service_.Content("a1", 18));
    EXPECT_EQ(ReadAll(dir_ + "Gamma.mp4"), service_.Content("c3", 18));

    EXPECT_EQ(Status(0), "Finish.");
    EXPECT_EQ(Status(1), "Failed.");
    EXPECT_EQ(Status(2), "Finish.");
    EXPECT_EQ(view_.rows[0][dcName], "Alpha");
    EXPECT_EQ(view_.rows[1][dcName], service_.Link("b2"));
    EXPECT_EQ(view_.rows[0][dcURL], "http://" + service_.Host() + "/get_video?video_id=a1&&t=toka1&");
    EXPECT_EQ(view_.rows[0][dcSize], "0.06MB");
    EXPECT_EQ(view_.rows[0][dcProgress], "100%");
    // The page of the failed row was not asked for any video.
    EXPECT_TRUE(service_.FormatRequests("b2").empty());
}

TEST_F(DownloadDriverTest, AVideoOnlyInTheFifthSlotIsSavedWithItsExtension) {
    AddVideo("v5", "Fifth", {{13, Answer::File}});
    ASSERT_TRUE(RunToEnd({"v5"}));
    EXPECT_EQ(service_.FormatRequests("v5"), (std::vector<int>{18, 35, 22, 6, 13}));
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"Fifth.3gp"});
    // Each attempt's progress (of the video or of the service's error page) names its quality.
    EXPECT_EQ(view_.qualityTexts, (std::vector<std::string>{
                                      "[HQ18] - Format: MP4; Video: 480x360; Audio: Sterro",
                                      "[HQ18] failed, try next: [HQ35]",
                                      "[HQ35] - Format: FLV; Video: 640x360; Audio: Mono",
                                      "[HQ35] failed, try next: [HQ22]",
                                      "[HQ22] - Format: MP4; Video: 1280x720; Audio: Sterro",
                                      "[HQ22] failed, try next: [HQ6]",
                                      "[HQ6] - Format: FLV; Video: 480x270; Audio: Mono",
                                      "[HQ6] failed, try next: [HQ13]",
                                      "[HQ13] - Format: 3GP; Video: 176x144; Audio: Mono",
                                  }));
}

TEST_F(DownloadDriverTest, EveryQualityIsTriedOnceInPriorityOrderThenTheRowFails) {
    AddVideo("none", "Nothing", {});
    settings_.Slots = kBestAvailableOrder;
    ASSERT_TRUE(RunToEnd({"none"}));
    EXPECT_EQ(service_.FormatRequests("none"), (std::vector<int>{37, 22, 35, 18, 6, 34, 13, 17}));
    EXPECT_EQ(Status(0), "Failed.");
    EXPECT_EQ(view_.qualityTexts.end()[-2], "[HQ13] failed, try next: [HQ17]");
    EXPECT_TRUE(FilesIn(dir_).empty());
    // The service's error pages are no part of the video: the row never showed a download.
    EXPECT_EQ(view_.downloadReports, 0);
    EXPECT_EQ(view_.rows[0][dcProgress], InitialRowTexts(service_.Link("none"))[dcProgress]);
}

TEST_F(DownloadDriverTest, WithThePreferenceOffOnlyTheDefaultQualityIsAsked) {
    AddVideo("hq", "Only HQ", {{18, Answer::File}});
    AddVideo("def", "Default", {{FakeVideoService::kDefaultFormat, Answer::File}});
    settings_.PreferQuality = false;
    ASSERT_TRUE(RunToEnd({"hq", "def"}));
    EXPECT_EQ(service_.FormatRequests("hq"), std::vector<int>{FakeVideoService::kDefaultFormat});
    EXPECT_EQ(Status(0), "Failed.");
    EXPECT_EQ(Status(1), "Finish.");
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"Default.flv"});
    EXPECT_EQ(view_.qualityTexts, std::vector<std::string>{"[Default Quality - HQ5]"});
}

TEST_F(DownloadDriverTest, ABodyCutShortIsNotKeptAndTheNextQualityIs) {
    AddVideo("cut", "Cut", {{18, Answer::CutShort}, {35, Answer::File}});
    ASSERT_TRUE(RunToEnd({"cut"}));
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"Cut.flv"});
    EXPECT_EQ(ReadAll(dir_ + "Cut.flv"), service_.Content("cut", 35));
}

TEST_F(DownloadDriverTest, NamesFromTitles) {
    AddVideo("s1", "Same: Title?", {{18, Answer::File}});
    AddVideo("s2", "Same: Title?", {{18, Answer::File}});
    AddVideo("s3", "Same: Title?", {{18, Answer::File}});
    AddVideo("amp", "Tom &amp; Jerry &amp; Co", {{18, Answer::File}});
    AddVideo("utf", "\xe6\x97\xa5\xe6\x9c\xac Gr\xc3\xbc\xc3\x9f", {{18, Answer::File}});
    AddVideo("untitled", "", {{18, Answer::File}});
    FakeVideoService::Video latin;
    latin.Id = "latin";
    latin.Formats = {{18, Answer::File}};
    latin.PageBytes = "<meta name=\"title\" content=\"Gr\xfc\xdf\"> video_id=latin&t=toklatin&";
    service_.Add(latin);

    ASSERT_TRUE(RunToEnd({"s1", "s2", "s3", "amp", "utf", "untitled", "latin"}));
    EXPECT_EQ(driver_->Run().Succeeded(), 7);
    EXPECT_EQ(view_.rows[0][dcName], "Same: Title?");
    EXPECT_EQ(view_.rows[3][dcName], "Tom && Jerry & Co");
    EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{
                                 "Gr\xc3\xbc\xc3\x9f.mp4",
                                 "Same_ Title_(1).mp4",
                                 "Same_ Title_(2).mp4",
                                 "Same_ Title_.mp4",
                                 "Tom && Jerry & Co.mp4",
                                 "untitled.mp4",
                                 "\xe6\x97\xa5\xe6\x9c\xac Gr\xc3\xbc\xc3\x9f.mp4",
                             }));
}

TEST_F(DownloadDriverTest, APageWithoutKeysFailsEveryQuality) {
    FakeVideoService::Video v;
    v.Id = "nokeys";
    v.Title = "No keys";
    v.Keys = false;
    service_.Add(v);
    ASSERT_TRUE(RunToEnd({"nokeys"}));
    EXPECT_EQ(view_.rows[0][dcURL], "http://" + service_.Host() + "/get_video?");
    EXPECT_EQ(Status(0), "Failed.");
}

TEST_F(DownloadDriverTest, CancelDuringTheFirstDownloadEndsPromptlyAndLeavesNothing) {
    AddVideo("stall", "Stalled", {{18, Answer::Stall}}, 1 << 20);
    AddVideo("next", "Next", {{18, Answer::File}});
    Start({"stall", "next"});
    ASSERT_TRUE(PumpUntil([&] { return view_.downloadReports > 0; }));
    const auto asked = Clock::now();
    driver_->Cancel();
    ASSERT_TRUE(PumpUntil([&] { return view_.ended; }, 10s));
    EXPECT_LT(Clock::now() - asked, 5s); // the stall lasts a minute
    EXPECT_TRUE(view_.cancelled);
    EXPECT_EQ(driver_->Run().Succeeded(), 0);
    EXPECT_EQ(driver_->Run().Failed(), 2);
    EXPECT_TRUE(driver_->Run().DownloadedFiles().empty());
    EXPECT_TRUE(FilesIn(dir_).empty());
    EXPECT_TRUE(service_.FormatRequests("next").empty());
}

TEST_F(DownloadDriverTest, CancelDuringAPageFetchOrBetweenStepsEndsTheRun) {
    FakeVideoService::Video slow;
    slow.Id = "slow";
    slow.PageDelay = 60s;
    service_.Add(slow);
    Start({"slow"});
    ASSERT_TRUE(PumpUntil([&] { return page_.Busy(); }));
    const auto asked = Clock::now();
    driver_->Cancel();
    ASSERT_TRUE(PumpUntil([&] { return view_.ended; }, 10s));
    EXPECT_LT(Clock::now() - asked, 5s);
    EXPECT_TRUE(view_.cancelled);

    // Before the first row was asked for, nothing runs that could report the stop.
    view_.ended = false;
    Start({"slow"});
    driver_->Cancel();
    EXPECT_TRUE(view_.ended);
    EXPECT_FALSE(driver_->Running());
    MainThread::ProcessPending();
    // Only the first start may have reached the service.
    EXPECT_LE(service_.PageRequests("slow"), 1);
}

TEST_F(DownloadDriverTest, ARemovedFolderFailsTheRowWithItsReasonAndTheRunGoesOn) {
    AddVideo("first", "First", {{18, Answer::File}}, 512 * 1024);
    AddVideo("second", "Second", {{18, Answer::File}});
    settings_.Folder = dir_ + "out/";
    fs::create_directories(settings_.Folder);
    view_.onUpdate = [&](int row, const TRowTexts& t) {
        if (row == 0 && t.Status == kStatusDownloading)
            fs::remove_all(settings_.Folder);
    };
    ASSERT_TRUE(RunToEnd({"first", "second"}));
    EXPECT_EQ(Status(0), "Failed.");
    EXPECT_EQ(Status(1), "Failed.");
    ASSERT_EQ(view_.logs.size(), 3u);
    EXPECT_EQ(view_.logs[0], "Video addresses from: the built-in page reader");
    EXPECT_EQ(view_.logs[1], "Download error: First: No such file or directory");
    EXPECT_EQ(view_.logs[2], "Download error: Second: No such file or directory");
    // A write problem is no reason to try another quality.
    EXPECT_EQ(service_.FormatRequests("first"), std::vector<int>{18});
    EXPECT_FALSE(fs::exists(settings_.Folder));
}

TEST_F(DownloadDriverTest, AFullDiskFailsTheRowAndLeavesNoPartFile) {
    const std::string small = dir_ + "small";
    fs::create_directories(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=128k") != 0)
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{small};
    AddVideo("big", "Big", {{18, Answer::File}}, 1 << 20);
    AddVideo("fits", "Fits", {{18, Answer::File}}, 16 * 1024);
    settings_.Folder = small + "/";
    ASSERT_TRUE(RunToEnd({"big", "fits"}));
    EXPECT_EQ(Status(0), "Failed.");
    EXPECT_EQ(Status(1), "Finish.");
    ASSERT_EQ(view_.logs.size(), 2u);
    EXPECT_EQ(view_.logs[1], "Download error: Big: No space left on device");
    EXPECT_EQ(service_.FormatRequests("big"), std::vector<int>{18});
    EXPECT_EQ(FilesIn(small), std::vector<std::string>{"Fits.mp4"});
}

TEST_F(DownloadDriverTest, ProgressReachesTheViewAFewTimesASecondNotPerBlock) {
    constexpr std::int64_t size = 32 << 20;
    AddVideo("large", "Large", {{18, Answer::File}}, size);
    const auto start = Clock::now();
    ASSERT_TRUE(RunToEnd({"large"}));
    const auto tenths =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() / 100;
    EXPECT_GE(view_.downloadReports, 1);
    EXPECT_LE(view_.downloadReports, tenths + 2);
    EXPECT_EQ(fs::file_size(dir_ + "Large.mp4"), static_cast<std::uintmax_t>(size));
}
