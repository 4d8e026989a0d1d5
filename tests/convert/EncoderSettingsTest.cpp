#include "convert/EncoderSettings.h"

#include "common/Fixtures.h"
#include "convert/PresetRecipes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Names of the fields that differ from a freshly initialised record, so a test can
// say which fields a recipe touched and that nothing else moved.
std::vector<std::string> ChangedFields(const TOutputOptions& o) {
    const TOutputOptions i = InitOutputOptions();
    std::vector<std::string> changed;
#define CHECK_FIELD(f)                                                                                       \
    if (!(o.f == i.f))                                                                                       \
    changed.push_back(#f)
    CHECK_FIELD(FileName);
    CHECK_FIELD(FileExt);
    CHECK_FIELD(FileFormat);
    CHECK_FIELD(PacketSize);
    CHECK_FIELD(MuxRate);
    CHECK_FIELD(MuxDelay);
    CHECK_FIELD(MuxPreload);
    CHECK_FIELD(AudioCodec);
    CHECK_FIELD(AudioPreset);
    CHECK_FIELD(AudioDisable);
    CHECK_FIELD(AudioVolume);
    CHECK_FIELD(AudioChannels);
    CHECK_FIELD(AudioSampleRate);
    CHECK_FIELD(AudioBitrate);
    CHECK_FIELD(AudioBitrateTolerance);
    CHECK_FIELD(AudioLanguage);
    CHECK_FIELD(AudioSyncMethod);
    CHECK_FIELD(AudioTag);
    CHECK_FIELD(VideoCodec);
    CHECK_FIELD(VideoPreset);
    CHECK_FIELD(VideoDisable);
    CHECK_FIELD(FrameRate);
    CHECK_FIELD(FrameSize);
    CHECK_FIELD(AspectRatio);
    CHECK_FIELD(GopSize);
    CHECK_FIELD(VideoBitrate);
    CHECK_FIELD(MaxRate);
    CHECK_FIELD(MinRate);
    CHECK_FIELD(VideoBitrateTolerance);
    CHECK_FIELD(BufferSize);
    CHECK_FIELD(VideoSyncMethod);
    CHECK_FIELD(VideoTag);
    CHECK_FIELD(VideoFilters);
    CHECK_FIELD(VideoLanguage);
    CHECK_FIELD(SubtitleCodec);
    CHECK_FIELD(SubtitlePreset);
    CHECK_FIELD(SubtitleDisable);
    CHECK_FIELD(SubtitleLanguage);
    CHECK_FIELD(InputSync);
    CHECK_FIELD(CopyTimestamps);
    CHECK_FIELD(StartTime);
    CHECK_FIELD(RecordingTime);
    CHECK_FIELD(Metadata.Timestamp);
    CHECK_FIELD(Metadata.Year);
    CHECK_FIELD(Metadata.Track);
    CHECK_FIELD(Metadata.Title);
    CHECK_FIELD(Metadata.Author);
    CHECK_FIELD(Metadata.Copyright);
    CHECK_FIELD(Metadata.Comment);
    CHECK_FIELD(Metadata.Album);
    CHECK_FIELD(Metadata.Genre);
    CHECK_FIELD(TargetType);
    CHECK_FIELD(TargetNorm);
    CHECK_FIELD(TargetFallbackNorm);
    CHECK_FIELD(AudioHook);
    CHECK_FIELD(VideoInputHook);
    CHECK_FIELD(VideoOutputHook);
    CHECK_FIELD(HookBitsPerPixel);
    CHECK_FIELD(Join);
    CHECK_FIELD(ExtraOptions);
    CHECK_FIELD(Reserved1);
    CHECK_FIELD(Reserved2);
    return changed;
}

using Fields = std::vector<std::string>;

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

class EncoderSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = Fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        selection.OutputFileDir = folder + "/";
    }

    TEncoderSettings Make(TFormatId id, int preset, const std::string& inputPath, int audioBitRate = -1) {
        Select(id, preset);
        std::optional<TEncoderSettings> settings =
            MakeEncoderSettings(selection, {inputPath, "", audioBitRate});
        EXPECT_TRUE(settings.has_value());
        return settings.value_or(TEncoderSettings{});
    }

    TOutputOptions Options(TFormatId id, int preset) {
        return Make(id, preset, "/in/clip.avi", 192000).OutputOptions;
    }

    void Select(TFormatId id, int preset) {
        const TFormatInfo& format = FormatInfo(id);
        selection.OutputFormatClass = format.Class;
        (format.Class == fcAudio   ? selection.OutputAudioFormat
         : format.Class == fcVideo ? selection.OutputVideoFormat
                                   : selection.OutputDeviceFormat) =
            static_cast<std::uint8_t>(format.IndexInClass);
        selection.Presets[id] = preset;
    }

    std::string folder;
    TOutputSelection selection;
};

TEST_F(EncoderSettingsTest, Mp3BesideEarlierOutputsTakesTheNextFreeNumber) {
    Touch(folder + "/clip.mp3");
    Touch(folder + "/clip(1).mp3");
    Select(fmtMP3, 3);
    std::optional<TEncoderSettings> s = MakeEncoderSettings(selection, {"/media/in/clip.avi", "avi", -1});
    ASSERT_TRUE(s);
    const std::string expected = folder + "/clip(2).mp3";
    EXPECT_EQ(s->OutputFileName, expected);
    EXPECT_EQ(s->OutputOptions.FileName, expected);
    EXPECT_EQ(s->OutputOptions.FileExt, ".mp3");
    EXPECT_EQ(s->OutputOptions.AudioCodec, "libmp3lame");
    EXPECT_EQ(s->OutputOptions.AudioChannels, 2);
    EXPECT_EQ(s->OutputOptions.AudioSampleRate, 48000);
    EXPECT_EQ(s->OutputOptions.AudioBitrate, 320000);
    EXPECT_TRUE(s->OutputOptions.VideoDisable);
    EXPECT_EQ(ChangedFields(s->OutputOptions), (Fields{"FileName", "FileExt", "AudioCodec", "AudioChannels",
                                                       "AudioSampleRate", "AudioBitrate", "VideoDisable"}));
    // The input options name the open file and its detected format, nothing else.
    EXPECT_EQ(s->InputOptions.FileName, "/media/in/clip.avi");
    EXPECT_EQ(s->InputOptions.FileFormat, "avi");
    EXPECT_EQ(s->InputOptions.StartTime, kUnsetTime);
    EXPECT_EQ(s->InputOptions.ProgramId, -1);
    EXPECT_TRUE(s->InputOptions.ExtraOptions.empty());
    // Nothing is created on disk by making the name.
    EXPECT_FALSE(fs::exists(expected));
}

TEST_F(EncoderSettingsTest, OutputNameReplacesOnlyTheLastExtension) {
    EXPECT_EQ(Make(fmtWAV, 3, "/in/archive.tar.gz").OutputFileName, folder + "/archive.tar.wav");
    EXPECT_EQ(Make(fmtWAV, 3, "/in.dir/noext").OutputFileName, folder + "/noext.wav");
    EXPECT_EQ(Make(fmtMPEG, 5, "/in/movie.MP4").OutputFileName, folder + "/movie.mpg");
    EXPECT_EQ(Make(fmtiPod, 5, "/in/movie.mp4").OutputFileName, folder + "/movie.mp4")
        << "a different folder holds the input";
    // The output folder may come without its trailing separator.
    selection.OutputFileDir = folder;
    EXPECT_EQ(Make(fmtOGG, 3, "song.flac").OutputFileName, folder + "/song.ogg");
}

TEST_F(EncoderSettingsTest, PresetsWithFewSettingsLeaveTheRestUnset) {
    TOutputOptions flac = Options(fmtFLAC, 5);
    EXPECT_EQ(flac.AudioCodec, "flac");
    EXPECT_EQ(flac.ExtraOptions, "compression_level=5");
    EXPECT_EQ(ChangedFields(flac),
              (Fields{"FileName", "FileExt", "AudioCodec", "VideoDisable", "ExtraOptions"}));

    // A stored index of -1 (no selection) applies only what the format always sets.
    TOutputOptions mp3 = Options(fmtMP3, -1);
    EXPECT_EQ(mp3.AudioCodec, "libmp3lame");
    EXPECT_EQ(ChangedFields(mp3), (Fields{"FileName", "FileExt", "AudioCodec", "VideoDisable"}));
    EXPECT_EQ(ChangedFields(Options(fmtMP3, 4)), ChangedFields(mp3));

    for (int preset = 0; preset < 5; ++preset) {
        TOutputOptions rm = Options(fmtRM, preset);
        EXPECT_EQ(rm.VideoCodec, "rv20");
        EXPECT_EQ(ChangedFields(rm), (Fields{"FileName", "FileExt", "VideoCodec", "VideoBitrate"}));
    }
    EXPECT_EQ(Options(fmtRM, 0).VideoBitrate, 1024000);
    EXPECT_EQ(Options(fmtRM, 4).VideoBitrate, 128000);

    // M4A and MP2 leave the codec to the container.
    EXPECT_TRUE(Options(fmtM4A, 1).AudioCodec.empty());
    EXPECT_EQ(Options(fmtM4A, 1).AudioSampleRate, 44800);
    EXPECT_TRUE(Options(fmtMP2, 0).AudioCodec.empty());
    EXPECT_EQ(Options(fmtOGG, 0).AudioChannels, -1);
    EXPECT_EQ(Options(fmtOGG, 4).ExtraOptions, "aq=8.05");
}

TEST_F(EncoderSettingsTest, DeviceAndVideoRecipes) {
    TOutputOptions psp = Options(fmtPSP, 0);
    EXPECT_EQ(psp.FileFormat, "psp");
    EXPECT_EQ(psp.VideoCodec, "libx264");
    EXPECT_EQ(psp.ExtraOptions, kOptionBlockB);
    EXPECT_EQ(psp.FrameSize, "480x272");
    EXPECT_EQ(psp.FrameRate, "30");
    EXPECT_EQ(psp.VideoBitrate, 1500000);
    EXPECT_EQ(psp.AudioCodec, "libfaac");
    EXPECT_EQ(psp.AudioChannels, 2);
    EXPECT_EQ(psp.AudioSampleRate, 48000);
    EXPECT_EQ(psp.AudioBitrate, 160000);
    EXPECT_FALSE(psp.VideoDisable);
    EXPECT_EQ(psp.FileExt, ".mp4");

    TOutputOptions dvd = Options(fmtMPEG, 2);
    EXPECT_EQ(dvd.TargetType, 3);
    EXPECT_EQ(dvd.TargetNorm, 2);
    EXPECT_EQ(dvd.FrameRate, "30000/1001");
    EXPECT_EQ(dvd.AspectRatio, "4:3");
    EXPECT_TRUE(dvd.VideoCodec.empty());
    EXPECT_TRUE(dvd.AudioCodec.empty());
    EXPECT_TRUE(dvd.FrameSize.empty());
    EXPECT_EQ(dvd.VideoBitrate, 4000000); // stored, though a target overrides it
    EXPECT_EQ(dvd.AudioBitrate, 224000);

    TOutputOptions nano8 = Options(fmtiPod, 8), nano9 = Options(fmtiPod, 9);
    EXPECT_EQ(nano8.VideoBitrate, 1000000);
    EXPECT_EQ(nano8.FrameRate, "24");
    EXPECT_EQ(nano9.VideoBitrate, 500000);
    EXPECT_EQ(nano9.FrameRate, "15");
    EXPECT_EQ(nano9.ExtraOptions, kOptionBlockA);

    TOutputOptions mpeg0 = Options(fmtMPEG, 0);
    EXPECT_EQ(mpeg0.MaxRate, 15000000);
    EXPECT_EQ(mpeg0.MinRate, 15000000);
    EXPECT_EQ(mpeg0.BufferSize, 6881000);
    EXPECT_EQ(Options(fmtAVI, 27).VideoTag, "DIVX");
    EXPECT_EQ(Options(fmtAVI, 1).VideoPreset, "libx264-default");
    EXPECT_EQ(Options(fmtFLV, 4).FrameSize, "276x144");
    EXPECT_EQ(Options(fmtMP4, 6).AudioBitrate, 768000);

    // A preset index without a row still gets the device's common settings.
    TOutputOptions ipad = Options(fmtiPad, 3);
    EXPECT_EQ(ChangedFields(ipad),
              (Fields{"FileName", "FileExt", "AudioCodec", "VideoCodec", "ExtraOptions"}));
    EXPECT_EQ(Options(fmtPSP, 9).FileFormat, "psp");
}

TEST_F(EncoderSettingsTest, VideoDisableFollowsTheClass) {
    // An audio record starts with video on, so only the audio class changes it.
    EXPECT_TRUE(Options(fmtWAV, 0).VideoDisable);
    EXPECT_FALSE(Options(fmtAVI, 0).VideoDisable);
    EXPECT_FALSE(Options(fmtiPhone, 0).VideoDisable);
}

TEST_F(EncoderSettingsTest, LosslessWmaCopiesTheInputsAudioBitRate) {
    EXPECT_EQ(Make(fmtWMA, 4, "/in/a.mp3", 192000).OutputOptions.AudioBitrate, 192000);
    EXPECT_EQ(Make(fmtWMA, 4, "/in/b.wav", -1).OutputOptions.AudioBitrate, -1) << "input without audio";
    EXPECT_EQ(Make(fmtWMA, 3, "/in/c.mp3", 192000).OutputOptions.AudioBitrate, 128000);

    Select(fmtWMA, 4);
    std::optional<TEncoderSettings> join = MakeJoinSettings(selection);
    ASSERT_TRUE(join);
    EXPECT_EQ(join->OutputOptions.AudioBitrate, -1);
}

TEST_F(EncoderSettingsTest, JoinModeNamesOneMergedOutput) {
    Select(fmtAVI, 3);
    std::optional<TEncoderSettings> first = MakeJoinSettings(selection);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->OutputFileName, folder + "/Output_Merge.avi");
    EXPECT_TRUE(first->OutputOptions.Join);
    EXPECT_TRUE(first->OutputOptions.FileName.empty()) << "the name goes to SetOutputFile";
    EXPECT_TRUE(first->OutputOptions.FileExt.empty());
    EXPECT_EQ(first->OutputOptions.VideoTag, "XVID");
    EXPECT_EQ(first->OutputOptions.VideoBitrate, 1500000);

    Touch(folder + "/Output_Merge.avi");
    EXPECT_EQ(MakeJoinSettings(selection)->OutputFileName, folder + "/Output_Merge(1).avi");
}

TEST_F(EncoderSettingsTest, SelectionOutsideTheCatalogueGivesNoExtensionAndNoRecipe) {
    selection.OutputFormatClass = fcAudio;
    selection.OutputAudioFormat = 12;
    std::optional<TEncoderSettings> s = MakeEncoderSettings(selection, {"/in/clip.avi", "", 128000});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->OutputFileName, folder + "/clip");
    EXPECT_EQ(ChangedFields(s->OutputOptions), (Fields{"FileName"}));
}

TEST_F(EncoderSettingsTest, FullFolderIsRefusedRatherThanOverwritten) {
    Touch(folder + "/clip.mp3");
    for (int n = 1; n <= 32768; ++n)
        Touch(folder + "/clip(" + std::to_string(n) + ").mp3");
    Select(fmtMP3, 0);
    EXPECT_FALSE(MakeEncoderSettings(selection, {"/in/clip.avi", "", -1}));
    fs::remove(folder + "/clip(32768).mp3");
    std::optional<TEncoderSettings> s = MakeEncoderSettings(selection, {"/in/clip.avi", "", -1});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->OutputFileName, folder + "/clip(32768).mp3");
    fs::remove_all(folder);
}

} // namespace
