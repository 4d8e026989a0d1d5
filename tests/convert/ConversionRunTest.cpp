// The conversion run's arithmetic and its counting of task ends from several threads.

#include "convert/ConversionRun.h"

#include "convert/InputRowTexts.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(ConversionRunFigures, PositionClockAndEstimates) {
    EXPECT_EQ(TaskPosition(1'500'000, 3'000'000), 50);
    EXPECT_EQ(TaskPosition(2'999'999, 3'000'000), 99); // integer division, never rounds up to 100
    EXPECT_EQ(TaskPosition(5'000'000'000'000, 10'000'000'000'000), 50) << "64-bit products";
    EXPECT_EQ(TaskPosition(10, 0), -1);
    EXPECT_EQ(TaskPosition(10, -1), -1);

    EXPECT_EQ(FormatClockText(0), "0:00:00");
    EXPECT_EQ(FormatClockText(3725.9), "1:02:05");
    EXPECT_EQ(FormatClockText(25 * 3600 + 61), "1:01:01") << "a day or more wraps like a time of day";
    EXPECT_EQ(FormatClockText(-4), "0:00:00");

    TConversionRun run;
    run.BeginQueue();
    run.AddTask(10'000'000);
    run.AddTask(-1); // unknown duration adds nothing
    run.AddTask(30'000'000);
    EXPECT_EQ(run.TotalDurationUs(), 40'000'000);
    const auto start = TConversionRun::Clock::now();
    run.Start(start);
    EXPECT_FALSE(run.Estimate(0, start + 1s)) << "nothing done yet: no estimate";
    // A quarter done after 5 s: 20 s in all, 15 s left.
    const auto figures = run.Estimate(10'000'000, start + 5s);
    ASSERT_TRUE(figures);
    EXPECT_DOUBLE_EQ(figures->ElapsedSec, 5);
    EXPECT_DOUBLE_EQ(figures->EstimatedSec, 20);
    EXPECT_DOUBLE_EQ(figures->LeftSec, 15);

    // The overall bar counts finished tasks: the second task's first seconds add to the
    // first task's ten.
    EXPECT_EQ(run.OverallPosition(5'000'000), 12);
    run.TaskEnded(0, true, false, "");
    EXPECT_EQ(run.OverallPosition(0), 25);
    EXPECT_EQ(run.OverallPosition(10'000'000), 50);
    TConversionRun unknown;
    unknown.BeginQueue();
    unknown.AddTask(-1);
    EXPECT_EQ(unknown.OverallPosition(1'000'000), -1);
}

TEST(ConversionRunFigures, FinishedDurationIsTheTaskOwnInput) {
    // Input rows 10 s, (refused), 30 s: tasks 0 and 1 carry 10 s and 30 s, whatever the
    // row numbers were.
    TConversionRun run;
    run.BeginQueue();
    run.AddTask(10'000'000);
    run.AddTask(30'000'000);
    run.Start(TConversionRun::Clock::now());
    run.TaskEnded(1, true, false, "");
    EXPECT_EQ(run.FinishedDurationUs(), 30'000'000);
    run.TaskEnded(0, false, true, "Video encoding failed");
    EXPECT_EQ(run.FinishedDurationUs(), 30'000'000) << "a failed task adds nothing";
    EXPECT_EQ(run.Succeeded(), 1);
    EXPECT_EQ(run.Terminated(), 2);
    EXPECT_EQ(run.ErrorList(), std::vector<std::string>{"File (0): Video encoding failed"});

    // A second run starts from zero.
    run.Start(TConversionRun::Clock::now());
    EXPECT_EQ(run.FinishedDurationUs(), 0);
    EXPECT_EQ(run.Succeeded(), 0);
    EXPECT_TRUE(run.ErrorList().empty());

    // Join mode: one task holding every input's duration.
    run.BeginQueue();
    run.AddJoinInput(2'000'000);
    run.AddJoinInput(0);
    run.AddJoinInput(3'000'000);
    EXPECT_EQ(run.QueuedTasks(), 1);
    run.Start(TConversionRun::Clock::now());
    run.TaskEnded(0, true, false, "");
    EXPECT_EQ(run.FinishedDurationUs(), 5'000'000);
}

TEST(ConversionRunThreads, EndsFromManyThreadsAreAllCountedBeforeTheWaitReturns) {
    constexpr int kTasks = 64;
    TConversionRun run;
    run.BeginQueue();
    for (int i = 0; i < kTasks; ++i)
        run.AddTask(1'000'000);
    run.Start(TConversionRun::Clock::now());
    bool allCounted = false;
    std::thread waiter([&] { allCounted = run.WaitAllCounted(kTasks); });
    std::vector<std::thread> notifiers;
    for (int i = 0; i < kTasks; ++i)
        notifiers.emplace_back([&run, i] { run.TaskEnded(i, i % 2 == 0, i % 2 != 0, "e"); });
    for (std::thread& t : notifiers)
        t.join();
    waiter.join();
    EXPECT_TRUE(allCounted);
    EXPECT_EQ(run.Terminated(), kTasks);
    EXPECT_EQ(run.Succeeded(), kTasks / 2);
    EXPECT_EQ(run.FinishedDurationUs(), kTasks / 2 * 1'000'000);
    EXPECT_EQ(run.ErrorList().size(), size_t(kTasks / 2));
}

TEST(ConversionRunThreads, AbandonReleasesAWaitThatWouldNeverEnd) {
    TConversionRun run;
    run.BeginQueue();
    run.AddTask(1);
    run.Start(TConversionRun::Clock::now());
    bool counted = true;
    std::thread waiter([&] { counted = run.WaitAllCounted(1); });
    run.Abandon();
    waiter.join();
    EXPECT_FALSE(counted);
    EXPECT_TRUE(run.WaitAllCounted(0)) << "nothing to wait for";
}

TEST(InputRowTexts, VideoAndAudioRowsAndTheirMissingFacts) {
    EXPECT_EQ(InputDurationText(3'723'456'789), "01:02:03.456");
    EXPECT_EQ(InputDurationText(-1), "Duration is not preseted");
    EXPECT_EQ(InputBitRateText(0), "Bit rate is not preseted");
    EXPECT_EQ(InputBitRateText(128'999), "128 Kbps");

    TInputFacts video;
    video.Path = "/media/clip.mp4";
    video.DurationUs = 2'500'000;
    video.FileSize = 12345;
    video.HasVideo = true;
    video.VideoBitRate = 800'000;
    video.Width = 320;
    video.Height = 240;
    video.DisplayAspectRatio = 4.0 / 3.0;
    video.FrameRateNum = 30000;
    video.FrameRateDen = 1001;
    video.VideoCodec = "h264";
    video.AudioBitRate = 0;
    video.Channels = 2;
    video.SampleRate = 44100;
    video.AudioCodec = "aac";
    const auto row = InputRowTexts(video);
    EXPECT_EQ(row[NxTextColumnDuration], "Duration: 00:00:02.500");
    EXPECT_EQ(row[NxTextColumnBitrate], "Bit rate: 800 Kbps");
    EXPECT_EQ(row[NxTextColumnDimension], "Dimension: 320 x 240");
    EXPECT_EQ(row[NxTextColumnFileFullName], "/media/clip.mp4");
    EXPECT_EQ(row[NxTextColumnFileSize], "File size: 12345");
    EXPECT_EQ(row[NxTextColumnAudioSampleRate], "Sample rate: 44100 Hz");
    EXPECT_EQ(row[NxTextColumnAudioBitrate], "Bit rate: Bit rate is not preseted");
    EXPECT_EQ(row[NxTextColumnFrameRate], "Frame rate: 29.970030");
    EXPECT_EQ(row[NxTextColumnRealDuration], "2500000");
    EXPECT_EQ(row[NxTextColumnWidth], "320");
    EXPECT_EQ(row[NxTextColumnAspectRatio], "1.33333");

    TInputFacts audio;
    audio.Path = "/media/song.ogg";
    audio.AudioBitRate = 112'000;
    audio.AudioCodec = "vorbis";
    const auto audioRow = InputRowTexts(audio);
    EXPECT_EQ(audioRow[NxTextColumnDuration], "Duration: Duration is not preseted");
    EXPECT_EQ(audioRow[NxTextColumnBitrate], "Audio Bit rate: 112 Kbps");
    EXPECT_EQ(audioRow[NxTextColumnDimension], "Audio Encoder: vorbis");
    EXPECT_EQ(audioRow[NxTextColumnRealDuration], "0");
    EXPECT_EQ(audioRow[NxTextColumnFrameRate], "Frame rate: 0.000000");

    EXPECT_EQ(RealDurationOf("2500000"), 2'500'000);
    EXPECT_EQ(RealDurationOf(""), 0);
    EXPECT_EQ(RealDurationOf("12abc"), 0);
}
