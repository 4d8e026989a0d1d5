#include "download/DownloadRun.h"

#include "download/RowTexts.h"

#include <gtest/gtest.h>

TEST(DownloadRun, WithEveryQualityFailingEachSlotIsNamedInTurn) {
    TDownloadRun run;
    run.Start({"http://www.youtube.com/watch?v=a"}, true, kDefaultQualityOrder);
    run.PageAnalysed("T", "http://h/get_video?video_id=a&&t=b&");
    run.FirstAttempt();
    EXPECT_EQ(run.Attempt(), 1);
    EXPECT_EQ(run.AttemptAddress(), "http://h/get_video?video_id=a&&t=b&&fmt=18");
    EXPECT_EQ(run.AttemptDescription(), "[HQ18] - Format: MP4; Video: 480x360; Audio: Sterro");
    std::vector<std::string> texts;
    while (run.NextAttempt())
        texts.push_back(run.NextAttemptText());
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts.front(), "[HQ18] failed, try next: [HQ35]");
    EXPECT_EQ(texts.back(), "[HQ34] failed, try next: [HQ37]");
    EXPECT_EQ(run.Attempt(), 8);

    // A shorter order tries its slots only.
    run.Start({"http://www.youtube.com/watch?v=a"}, true, {7, 3, 1, 0, 0, 0, 0, 0}, 3);
    run.PageAnalysed("T", "x");
    run.FirstAttempt();
    texts.clear();
    while (run.NextAttempt())
        texts.push_back(run.NextAttemptText());
    EXPECT_EQ(texts, (std::vector<std::string>{"[HQ37] failed, try next: [HQ22]",
                                               "[HQ22] failed, try next: [HQ18]"}));
    EXPECT_EQ(run.AttemptExtension(), ".mp4");
}

TEST(DownloadRun, WithThePreferenceOffOnlyTheDefaultIsTried) {
    TDownloadRun run;
    run.Start({"l"}, false, kDefaultQualityOrder);
    run.PageAnalysed("", "http://h/get_video?");
    run.FirstAttempt();
    EXPECT_EQ(run.Attempt(), 0);
    EXPECT_EQ(run.AttemptAddress(), "http://h/get_video?");
    EXPECT_EQ(run.AttemptExtension(), ".flv");
    EXPECT_EQ(run.AttemptDescription(), "[Default Quality - HQ5]");
    EXPECT_FALSE(run.NextAttempt());
    // A page without a title keeps its link as the row's name.
    EXPECT_EQ(run.Current().Name, "l");
}

TEST(DownloadRun, CountsAndFilesOfARunAndOfTheNext) {
    TDownloadRun run;
    run.Start({"a", "b", "c"}, true, kDefaultQualityOrder);
    run.PageAnalysed("A & B", "x");
    EXPECT_EQ(run.Current().Name, "A && B");
    run.RowSaved("/out/A && B.mp4");
    EXPECT_TRUE(run.Advance());
    EXPECT_TRUE(run.Advance()); // b failed
    run.RowSaved("/out/c.mp4");
    EXPECT_FALSE(run.Advance());
    EXPECT_EQ(run.Total(), 3);
    EXPECT_EQ(run.Succeeded(), 2);
    EXPECT_EQ(run.Failed(), 1);
    EXPECT_EQ(run.DownloadedFiles(), (std::vector<std::string>{"/out/A && B.mp4", "/out/c.mp4"}));
    run.Start({"d"}, true, kDefaultQualityOrder);
    EXPECT_TRUE(run.DownloadedFiles().empty());
    EXPECT_EQ(run.Succeeded(), 0);
}

TEST(RowTexts, EmptyUpdateChangesNothing) {
    const TRowTexts texts = RowUpdateTexts({});
    EXPECT_FALSE(texts.Status || texts.Size || texts.Speed || texts.Percent || texts.PercentText ||
                 texts.Address || texts.Elapsed || texts.TimeLeft);
    // A transfer without a known length reports a negative time left: nothing to show.
    TRowUpdate unknown;
    unknown.TimeLeftSec = -3;
    EXPECT_FALSE(RowUpdateTexts(unknown).TimeLeft);
}

TEST(RowTexts, FiguresAreFormattedAsDesigned) {
    TRowUpdate update;
    update.Status = "Downloading...";
    update.SizeBytes = 5 * 1048576 + 1048576 / 4;
    update.TimeLeftSec = 3725;
    update.ElapsedSec = 59;
    update.Percent = 42;
    update.Speed = SpeedText(2048 * 10, 10);
    const TRowTexts texts = RowUpdateTexts(update);
    EXPECT_EQ(texts.Size, "5.25MB");
    EXPECT_EQ(texts.TimeLeft, "01:02:05");
    EXPECT_EQ(texts.Elapsed, "00:00:59");
    EXPECT_EQ(texts.Percent, 42);
    EXPECT_EQ(texts.PercentText, "42%");
    EXPECT_EQ(texts.Speed, "2.00 KB/s");
    EXPECT_EQ(MegabytesText(1), "0.00MB");
    // The first second of a transfer has no infinite speed.
    EXPECT_EQ(SpeedText(1536, 0), "1.50 KB/s");
}
