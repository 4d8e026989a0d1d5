// The command line's parsing edge cases and what the progress display writes on a
// terminal and into a pipe.

#include "cli/CommandLine.h"
#include "cli/TerminalProgress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using ::testing::HasSubstr;
using ::testing::Not;

TEST(CommandLine, OptionsFilesAndTheEndOfOptions) {
    TUsageError error;
    const auto line = ParseCommandLine({"convert", "a.mp4", "--format", "wav", "--join", "--parallel", "3",
                                        "--threads", "2", "--", "--out", "-"},
                                       error);
    ASSERT_TRUE(line) << error.Message;
    EXPECT_EQ(line->Command, TCliCommand::Convert);
    EXPECT_EQ(line->Format, "wav");
    EXPECT_TRUE(line->Join);
    EXPECT_EQ(line->Parallel, 3);
    EXPECT_EQ(line->Threads, 2);
    EXPECT_EQ(ParseCommandLine({"convert", "--format", "wav", "a.mp4"}, error)->Threads, 0) << "automatic";
    EXPECT_FALSE(line->Preset) << "no --preset: the format's default";
    EXPECT_EQ(line->Files, (std::vector<std::string>{"a.mp4", "--out", "-"}))
        << "after -- every word is a file";

    EXPECT_FALSE(ParseCommandLine({"convert", "--format"}, error));
    EXPECT_EQ(error.Message, "option --format needs a value");
    error = {};
    EXPECT_FALSE(ParseCommandLine({"probe", "--join", "a.mp4"}, error))
        << "convert options belong to convert";
    EXPECT_EQ(error.Message, "unknown option --join");
    error = {};
    EXPECT_FALSE(ParseCommandLine({"formats", "a.mp4"}, error));
    error = {};
    EXPECT_FALSE(ParseCommandLine({"convert", "--format", "mp3", "--preset", "3x", "a.mp4"}, error));
    EXPECT_THAT(error.Message, HasSubstr("--preset needs a number"));
}

TEST(TerminalProgress, TheBarStaysBelowTheLinesOnATerminal) {
    std::ostringstream out, err;
    TTerminalProgress progress(out, err, true);
    progress.Message("Format: MP3");
    EXPECT_EQ(out.str(), "Format: MP3\n") << "no bar before the first progress";
    progress.Overall(40, TTimeEstimate{10, 4, 6});
    progress.FileStatus(0, 2, "a.mp4", "Finish.");
    progress.Error("#1.3: failure");
    progress.Finish();
    const std::string bar = "Overall Progress: [############------------------] 40%  Elapsed time: 0:00:04  "
                            "Time left: 0:00:06";
    const std::string clear = "\r\033[K";
    EXPECT_EQ(out.str(), "Format: MP3\n" + clear + bar + clear + "[1/2] a.mp4: Finish.\n" + clear + bar +
                             clear + clear + bar + "\n");
    EXPECT_EQ(err.str(), "#1.3: failure\n");
}

TEST(TerminalProgress, APipeGetsPlainLinesWhenThePercentageMoves) {
    std::ostringstream out, err;
    TTerminalProgress progress(out, err, false);
    progress.Overall(10, std::nullopt);
    progress.Overall(10, std::nullopt); // nothing moved
    progress.FileStatus(1, 2, "b.wav", "Converting...");
    progress.Overall(100, TTimeEstimate{8, 8, 0});
    progress.Finish();
    EXPECT_EQ(out.str(), "Overall Progress: 10%\n[2/2] b.wav: Converting...\n"
                         "Overall Progress: 100%  Elapsed time: 0:00:08  Time left: 0:00:00\n");
    EXPECT_THAT(out.str(), Not(HasSubstr("\033")));
}
