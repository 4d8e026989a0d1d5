// mediawiz-cli end to end: formats, probe, conversions with their outputs and exit
// status, usage errors and Ctrl+C, each run as a child process on generated media.

#include "CliProcess.h"
#include "Fixtures.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The value after "key": in probe JSON output; -1 when absent.
int64_t jsonNumber(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\": ");
    return at == std::string::npos ? -1 : std::stoll(json.substr(at + key.size() + 4));
}

// Every line but the first (the file's path) of a probe block.
std::string factsWithoutPath(const std::string& block) {
    return block.substr(block.find('\n') + 1);
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        logs = Fixtures::ScratchFolder(name + "_logs");
        out = Fixtures::ScratchFolder(name + "_out");
    }

    TCliResult Run(const std::vector<std::string>& args) { return RunCli(args, logs); }

    std::string Probe(const std::string& file, bool json = false) {
        std::vector<std::string> args{"probe"};
        if (json)
            args.push_back("--json");
        args.push_back(file);
        const TCliResult result = Run(args);
        EXPECT_EQ(result.ExitCode, 0) << result.Out << result.Err;
        return result.Out;
    }

    std::string WriteBroken(const std::string& name) {
        const std::string path = logs + "/" + name;
        std::ofstream(path) << "this is not a media file, only some text pretending to be one";
        return path;
    }

    std::string logs;
    std::string out;
};

} // namespace

TEST_F(CliTest, FormatsListsTheCatalogueWithDefaultsMarked) {
    const TCliResult result = Run({"formats"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    std::istringstream lines(result.Out);
    std::string line;
    int formats = 0;
    std::vector<std::string> classes;
    while (std::getline(lines, line)) {
        if (line.rfind("    ", 0) == 0)
            continue;
        if (line.rfind("  ", 0) == 0)
            ++formats;
        else
            classes.push_back(line);
    }
    EXPECT_EQ(formats, 24);
    EXPECT_EQ(classes, (std::vector<std::string>{"Video", "Device", "Audio"}));
    EXPECT_THAT(result.Out, HasSubstr("  WMV (.wmv), 18 presets, default 16\n"));
    EXPECT_THAT(result.Out, HasSubstr("    * 16: Windows Media Video 9 Standard Quality\n"));
    EXPECT_THAT(result.Out, HasSubstr("    * 5: Compression Level 5 (Default)\n"));
    EXPECT_THAT(result.Out, HasSubstr("      0: For Mobiles - PCM: 11025 Hz, Mono, 16 bits\n"));
    EXPECT_THAT(result.Out, HasSubstr("  iPad (.mp4), 3 presets, default 0\n    * 0: iPad High Quality"));

    EXPECT_EQ(Run({}).ExitCode, 0) << "no command shows the help";
    const TCliResult unknown = Run({"transmogrify"});
    EXPECT_EQ(unknown.ExitCode, 2);
    EXPECT_THAT(unknown.Err, HasSubstr("unknown command \"transmogrify\""));
}

TEST_F(CliTest, ProbeShowsTheInputFactsAndRefusesBrokenFiles) {
    const std::string video = Fixtures::Path("av.mp4");
    const std::string broken = WriteBroken("broken.mp4");
    const TCliResult text = Run({"probe", video, broken});
    EXPECT_EQ(text.ExitCode, 1) << "a refused file fails the probe";
    EXPECT_THAT(text.Out, HasSubstr(video + "\n  Duration: 00:00:03."));
    EXPECT_THAT(text.Out, HasSubstr("  Video encoder: h264"));
    EXPECT_THAT(text.Out, HasSubstr("  Dimension: 320 x 240\n"));
    EXPECT_THAT(text.Out, HasSubstr("  Frame rate: 25.000000\n"));
    EXPECT_THAT(text.Out, HasSubstr("  Aspect ratio: 1.33333\n"));
    EXPECT_THAT(text.Out, HasSubstr("  Audio encoder: aac"));
    EXPECT_THAT(text.Out, HasSubstr("  Channels: 2\n  Sample rate: 44100 Hz\n"));
    EXPECT_THAT(text.Out, HasSubstr(broken + "\n  File load error: "));

    const TCliResult json = Run({"probe", "--json", Fixtures::Path("audio.mp3"), broken, video});
    EXPECT_EQ(json.ExitCode, 1);
    EXPECT_EQ(json.Out.front(), '[');
    EXPECT_THAT(json.Out, HasSubstr("\"video\": null"));
    EXPECT_THAT(json.Out, HasSubstr("\"audio\": {\"codec\": \"mp3"));
    EXPECT_THAT(json.Out, HasSubstr("\"file\": \"" + broken + "\", \"ok\": false, \"error\": \""));
    EXPECT_THAT(json.Out, HasSubstr("\"width\": 320, \"height\": 240, \"frame_rate\": 25"));
    EXPECT_EQ(json.Out.substr(json.Out.size() - 3), "\n]\n");
}

TEST_F(CliTest, ConvertsTwoFilesToMp3WithUniqueNamesAndReportsRefusals) {
    const std::string video = Fixtures::Path("av.mp4");
    const std::string audio = Fixtures::Path("audio.wav");
    const TCliResult result = Run({"convert", "--format", "mp3", "--out", out, video, audio});
    ASSERT_EQ(result.ExitCode, 0) << result.Out << result.Err;
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"audio.mp3", "av.mp3"}));
    EXPECT_THAT(result.Out, HasSubstr("Total files: 2\nSucceeded: 2\nFailed: 0\n"));
    EXPECT_THAT(result.Out, HasSubstr("av.mp4: Finish. -> " + out + "/av.mp3"));
    // The default MP3 preset: 48000 Hz stereo, video left out.
    const std::string facts = Probe(out + "/av.mp3");
    EXPECT_THAT(facts, HasSubstr("Audio encoder: mp3"));
    EXPECT_THAT(facts, HasSubstr("Audio bit rate: 256 Kbps\n  Channels: 2\n  Sample rate: 48000 Hz"));
    EXPECT_THAT(facts, Not(HasSubstr("Video encoder")));
    EXPECT_THAT(facts, HasSubstr("Duration: 00:00:03."));

    // Again into the same folder, with a file that cannot be opened and preset 0.
    const std::string broken = WriteBroken("broken.avi");
    const TCliResult again =
        Run({"convert", "--format", "MP3", "--preset", "0", "--out", out, broken, video});
    EXPECT_EQ(again.ExitCode, 1) << "a refused file fails the run";
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"audio.mp3", "av(1).mp3", "av.mp3"}));
    EXPECT_THAT(again.Out,
                HasSubstr("Total files: 1\nSucceeded: 1\nFailed: 0\nRefused: 1\nFile load error: "));
    EXPECT_THAT(Probe(out + "/av(1).mp3"), HasSubstr("Sample rate: 44100 Hz"));
}

TEST_F(CliTest, JoinGivesOneOutputOfAllInputs) {
    const TCliResult result = Run({"convert", "--format", "wav", "--preset", "1", "--join", "--out", out,
                                   Fixtures::Path("av.mp4"), Fixtures::Path("audio.mp3")});
    ASSERT_EQ(result.ExitCode, 0) << result.Out << result.Err;
    EXPECT_EQ(filesIn(out), std::vector<std::string>{"Output_Merge.wav"});
    EXPECT_THAT(result.Out, HasSubstr("Total files: 1\nSucceeded: 1\n"));
    const std::string json = Probe(out + "/Output_Merge.wav", true);
    const int64_t durationUs = jsonNumber(json, "duration_us");
    EXPECT_GT(durationUs, 5'500'000) << json;
    EXPECT_LT(durationUs, 6'500'000) << json;
    EXPECT_EQ(jsonNumber(json, "sample_rate"), 22050);
    EXPECT_EQ(jsonNumber(json, "channels"), 1);
}

// Also one codec thread against automatic ones: the same outputs.
TEST_F(CliTest, ParallelRunGivesTheSameOutputsAsOneAtATime) {
    const std::vector<std::string> inputs{Fixtures::Path("av.mp4"), Fixtures::Path("av.avi"),
                                          Fixtures::Path("audio.wav")};
    const std::string serial = out + "/serial";
    const std::string parallel = out + "/parallel";
    std::vector<std::string> args{"convert", "--format", "MP3", "--preset", "1", "--out"};
    auto run = [&](const std::string& folder, const std::string& count, std::vector<std::string> threads) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {folder, "--parallel", count});
        all.insert(all.end(), threads.begin(), threads.end());
        all.insert(all.end(), inputs.begin(), inputs.end());
        const TCliResult result = Run(all);
        EXPECT_EQ(result.ExitCode, 0) << result.Out << result.Err;
        EXPECT_THAT(result.Out, HasSubstr("Total files: 3\nSucceeded: 3\n"));
        return result.Out;
    };
    EXPECT_THAT(run(serial, "1", {"--threads", "1"}), HasSubstr("\nCodec threads: 1\n"));
    EXPECT_THAT(run(parallel, "2", {}), HasSubstr("\nCodec threads: automatic ("));
    const std::vector<std::string> names{"audio.mp3", "av(1).mp3", "av.mp3"};
    ASSERT_EQ(filesIn(serial), names) << "a missing output folder is created";
    ASSERT_EQ(filesIn(parallel), names);
    for (const std::string& name : names)
        EXPECT_EQ(factsWithoutPath(Probe(serial + "/" + name)),
                  factsWithoutPath(Probe(parallel + "/" + name)))
            << name;
}

TEST_F(CliTest, UsageErrorsStopBeforeAnythingIsWritten) {
    const std::string video = Fixtures::Path("av.mp4");
    const std::string notAFolder = WriteBroken("plain_file");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"convert", "--format", "mp5", "--out", out, video}, "unknown format \"mp5\""},
        {{"convert", "--format", "mp3", "--preset", "4", "--out", out, video},
         "preset 4 is not one of MP3's presets (0 to 3)"},
        {{"convert", "--format", "mp3", "--preset", "-1", "--out", out, video}, "preset -1 is not one of"},
        {{"convert", "--format", "mp3", "--preset", "two", "--out", out, video}, "--preset needs a number"},
        {{"convert", "--format", "mp3", "--out", out, video, logs + "/missing.mp4"},
         "no such file: " + logs + "/missing.mp4"},
        {{"convert", "--format", "mp3", "--out", notAFolder, video}, "output folder is not a folder"},
        {{"convert", "--format", "mp3", "--out", notAFolder + "/sub", video},
         "output folder cannot be created"},
        {{"convert", "--out", out, video}, "convert needs --format"},
        {{"convert", "--format", "mp3", "--parallel", "0", "--out", out, video},
         "--parallel needs a number of at least 1"},
        {{"convert", "--format", "mp3", "--threads", "-1", "--out", out, video},
         "--threads needs a number of at least 0"},
        {{"convert", "--format", "mp3", "--out", out}, "no input files given"},
        {{"probe", "--bogus", video}, "unknown option --bogus"},
    };
    for (const Case& c : cases) {
        const TCliResult result = Run(c.args);
        EXPECT_EQ(result.ExitCode, 2) << c.message;
        EXPECT_THAT(result.Err, HasSubstr(c.message));
        EXPECT_THAT(result.Err, HasSubstr("usage:"));
        EXPECT_TRUE(filesIn(out).empty()) << c.message;
    }
    EXPECT_FALSE(fs::exists(notAFolder + "/sub"));
}

TEST_F(CliTest, CtrlCStopsTheRunAndReportsIt) {
    const std::string tone = Fixtures::Path("long_tone.mp3");
    std::vector<std::string> args{"convert", "--format", "mp3", "--preset", "3", "--out", out};
    args.insert(args.end(), 6, tone);
    TCliProcess process(args, logs);
    // Wait for the first task to report progress (the program then runs its tasks).
    for (int i = 0; i < 1200 && process.Out().find("Converting...") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_THAT(process.Out(), HasSubstr("Converting...")) << process.Err();
    process.Signal(SIGINT);
    EXPECT_EQ(process.Wait(), 130) << process.Out() << process.Err();
    EXPECT_THAT(process.Err(), HasSubstr("Conversion stopped by the user."));
    const std::string report = process.Out();
    EXPECT_THAT(report, HasSubstr("Total files: 6\n"));
    EXPECT_THAT(report, Not(HasSubstr("Succeeded: 6")));
    EXPECT_THAT(report, HasSubstr("Failed.")) << "tasks that were stopped or never ran";
    for (const std::string& name : filesIn(out))
        EXPECT_GT(fs::file_size(out + "/" + name), 0u)
            << name << ": tasks that never ran leave no empty files";
}
