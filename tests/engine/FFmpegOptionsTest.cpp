#include "FFmpegCoreTestEnv.h"
#include "engine/X264Presets.h"

#include <fstream>

namespace {

std::string optionError(TCustomFFmpeg& task, const std::string& name, const std::string& value) {
    try {
        task.SetOption(name, value);
    } catch (const FFmpegException& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST_F(CoreTest, OptionValueRulesGiveTheirMessages) {
    TCustomFFmpeg task;
    const struct {
        const char* name;
        const char* value;
        const char* message;
    } cases[] = {
        {"nosuchoption", "1", "Unrecognized option \"nosuchoption\""},
        {"g", "abc", "Invalid value \"abc\" for option \"g\""},
        {"qscale", "0", "qscale must be > 0.0 and <= 255"},
        {"qscale", "256", "qscale must be > 0.0 and <= 255"},
        {"aspect", "4:0", "Incorrect aspect ratio specification."},
        {"croptop", "10", "Removed, use the crop filter instead"},
        {"padcolor", "000000", "Removed, use the pad filter instead"},
        {"metadata", "title", "Missing ="},
        {"metadata", "=x", "wrong parameter of metadata"},
        {"t", "abc", "Invalid duration specification for t: abc"},
        {"timestamp", "abc", "Invalid date specification for timestamp: abc"},
        {"r", "abc", "Incorrect frame rate"},
        {"s", "abc", "Incorrect frame size"},
        {"pass", "3", "pass number can be only 1 or 2"},
        {"itsscale", "25:1", "stream index over MAX_STREAMS(20)"},
        {"intra_matrix", "1,2", "Syntax error in matrix \"1,2\" at coeff 1"},
        {"streamid", "1", "Invalid value \"1\" for option \"streamid\", required syntax is \"index:value\""},
        {"pix_fmt", "nosuch", "Unknown pixel format requested: nosuch"},
        {"sample_fmt", "nosuch", "Invalid sample format \"nosuch\""},
        {"vtag", "ABC", "Invalid tag parmeter ABC"},
        {"vbsf", "nosuch", "Unknown bitstream filter nosuch"},
        {"target", "vhs", "Unknown target type"},
        {"fpre", "/nonexistent/x.ffpreset", "Preset \"/nonexistent/x.ffpreset\" not found"},
        {"newaudio", "", "At least one output file must be specified"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(optionError(task, c.name, c.value), c.message) << c.name << "=" << c.value;

    // Accepted: ignored informational names, booleans, today's names and legacy ones.
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"y", ""},
                                                          {"vn", "1"},
                                                          {"qscale", "255"},
                                                          {"aspect", "1.7777"},
                                                          {"map", "0.1:0.0"},
                                                          {"vtag", "XVID"},
                                                          {"atag", "1234"},
                                                          {"flags2", "+mixed_refs+wpred+dct8x8+fastpskip"},
                                                          {"deblockalpha", "0"},
                                                          {"partitions", "+parti4x4+partp8x8"},
                                                          {"me_method", "umh"},
                                                          {"directpred", "1"},
                                                          {"wpredp", "2"},
                                                          {"cqp", "0"},
                                                          {"bidir_refine", "1"},
                                                          {"packetsize", "2324"},
                                                          {"muxrate", "1411200"},
                                                          {"crf", "24"},
                                                          {"sws_flags", "bilinear"},
                                                          {"vqmin", "3"}}) {
        EXPECT_EQ(optionError(task, name, value), "") << name;
    }
    EXPECT_TRUE(Logged(llInfo, "Do nothing: option - y"));
    EXPECT_EQ(task.Threads(), 1);
    for (const auto& [value, threads] : {std::pair{"auto", kAutoThreads}, {"3", 3}, {"0", kAutoThreads}})
        EXPECT_EQ((task.SetOption("threads", value), task.Threads()), threads) << value;

    // Without raising, an unknown name is only logged.
    task.SetOptionErrorRaise(false);
    EXPECT_EQ(optionError(task, "nosuchoption", "1"), "");
}

TEST_F(CoreTest, LowBitRateWarns) {
    TCustomFFmpeg task;
    task.SetOption("ab", "128");
    EXPECT_TRUE(
        Logged(llWarning,
               "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s"));
}

TEST_F(CoreTest, PresetsByNameCodecAndFile) {
    EXPECT_EQ(BuiltinPresetCount(), 36);
    ASSERT_NE(FindBuiltinPreset("LIBX264-DEFAULT"), nullptr);

    // Every built-in preset applies to today's libraries.
    for (const char* name : {"baseline",
                             "default",
                             "fast",
                             "fast_firstpass",
                             "faster",
                             "faster_firstpass",
                             "fastfirstpass",
                             "hq",
                             "ipod320",
                             "ipod640",
                             "lossless_fast",
                             "lossless_max",
                             "lossless_medium",
                             "lossless_slow",
                             "lossless_slower",
                             "lossless_ultrafast",
                             "main",
                             "max",
                             "medium",
                             "medium_firstpass",
                             "normal",
                             "placebo",
                             "placebo_firstpass",
                             "slow",
                             "slow_firstpass",
                             "slower",
                             "slower_firstpass",
                             "slowfirstpass",
                             "superfast",
                             "superfast_firstpass",
                             "ultrafast",
                             "ultrafast_firstpass",
                             "veryfast",
                             "veryfast_firstpass",
                             "veryslow",
                             "veryslow_firstpass"}) {
        TCustomFFmpeg task;
        task.SetVideoCodec("libx264");
        EXPECT_NO_THROW(task.SetVideoPreset(name)) << name;
        ASSERT_NE(FindBuiltinPreset(std::string("libx264-") + name), nullptr) << name;
    }

    TCustomFFmpeg task;
    try {
        task.SetVideoPreset("medium"); // no codec set: taken as a file name
        FAIL();
    } catch (const FFmpegException& e) {
        EXPECT_STREQ(e.what(), "Preset \"medium\" not found");
    }

    const std::string dir = Fixtures::ScratchFolder("PresetFiles");
    const std::string good = dir + "/good.ffpreset", bad = dir + "/bad.ffpreset";
    std::ofstream(good) << "# comment\n\nvcodec=libx264\ncrf=23\n";
    std::ofstream(bad) << "crf=23\nnot a line\n";
    EXPECT_NO_THROW(task.SetOption("fpre", good));
    try {
        task.SetOption("fpre", bad);
        FAIL();
    } catch (const FFmpegException& e) {
        EXPECT_EQ(std::string(e.what()), bad + ": Invalid syntax: \"not a line\"");
    }
    std::ofstream(bad) << "nosuchoption=1\n";
    try {
        task.SetOption("fpre", bad);
        FAIL();
    } catch (const FFmpegException& e) {
        EXPECT_EQ(std::string(e.what()), "Unrecognized option \"nosuchoption\"\r\n" + bad +
                                             ": Invalid option or argument: \"nosuchoption=1\", parsed as "
                                             "\"nosuchoption\" = \"1\"");
    }
}

TEST_F(CoreTest, OpenFailuresKeepTheirMessage) {
    TCustomFFmpeg task;
    EXPECT_FALSE(task.OpenInput("/nonexistent/input.mp4"));
    EXPECT_EQ(task.LastErrMsg(), "/nonexistent/input.mp4: No such file or directory");
    task.SetForceFormat("nosuchformat");
    EXPECT_FALSE(task.OpenInput(Fixtures::Path("av.mp4")));
    EXPECT_EQ(task.LastErrMsg(), "Unknown input format: \"nosuchformat\"");

    task.SetForceFormat("");
    ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4"))) << task.LastErrMsg();
    EXPECT_EQ(task.OpenOutput(Out("x.nosuchextension")), -1);
    EXPECT_EQ(task.LastErrMsg(),
              "Unable to find a suitable output format for '" + Out("x.nosuchextension") + "'");
    task.SetForceFormat("nosuchformat");
    EXPECT_EQ(task.OpenOutput(Out("x.mp4")), -1);
    EXPECT_EQ(task.LastErrMsg(), "Requested output format 'nosuchformat' is not a suitable output format");
    task.SetForceFormat(""); // a failed open keeps the pending options
    task.SetVideoCodec("nosuchcodec");
    EXPECT_EQ(task.OpenOutput(Out("x.mp4")), -1);
    EXPECT_EQ(task.LastErrMsg(), "new_video_stream fail: Unknown encoder 'nosuchcodec'");
    task.SetVideoCodec("");
    task.SetAudioCodec("mpeg4");
    EXPECT_EQ(task.OpenOutput(Out("x.mp4")), -1);
    EXPECT_EQ(task.LastErrMsg(), "new_audio_stream fail: Invalid encoder type 'mpeg4'");
    task.SetAudioCodec("");
    EXPECT_EQ(task.OpenOutput("/nonexistent/folder/x.mp4"), -1);
    EXPECT_EQ(task.LastErrMsg(), "/nonexistent/folder/x.mp4: No such file or directory");
    EXPECT_EQ(task.OutputCount(), 0);

    ASSERT_EQ(task.OpenOutput(Out("joined.mp4"), true), 0) << task.LastErrMsg();
    EXPECT_EQ(task.OpenOutput(Out("second.mp4")), -1);
    EXPECT_EQ(task.LastErrMsg(), "Cannot join more than one output file.");
}

TEST_F(CoreTest, StartWithoutFilesFailsAtOnce) {
    TCustomFFmpeg task;
    int terminated = 0;
    task.OnTerminate = [&](TCustomFFmpeg&) { terminated++; };
    EXPECT_EQ(RunTask(task), "At least one output file must be specified");
    EXPECT_TRUE(task.Failed());
    EXPECT_FALSE(task.Completed());
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(Logged(llQuiet, "At least one output file must be specified"));
    EXPECT_FALSE(task.Start(false)); // never restarted
}
