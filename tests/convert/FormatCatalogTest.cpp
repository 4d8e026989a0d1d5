#include "convert/FormatCatalog.h"

#include "convert/OutputSelection.h"
#include "convert/PresetRecipes.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

TEST(FormatCatalog, ClassesNumberTheirFormatsWithoutGaps) {
    EXPECT_EQ(FormatCountInClass(fcVideo), 9);
    EXPECT_EQ(FormatCountInClass(fcDevice), 7);
    EXPECT_EQ(FormatCountInClass(fcAudio), 8);
    ASSERT_EQ(AllFormats().size(), static_cast<size_t>(kFormatCount));
    int nextInClass[kFormatClassCount] = {0, 0, 0};
    for (const TFormatInfo& format : AllFormats()) {
        SCOPED_TRACE(std::string(format.Name));
        EXPECT_EQ(FindFormat(format.Class, format.IndexInClass), &format);
        EXPECT_EQ(format.IndexInClass, nextInClass[format.Class]++) << "not in button order within its class";
    }
    EXPECT_EQ(FindFormat(fcAudio, 1)->Name, "MP3");
    EXPECT_EQ(FindFormat(fcVideo, 8)->Name, "3GP");
    EXPECT_EQ(FindFormat(fcDevice, 6)->Name, "iPad");
    EXPECT_EQ(FindFormat(fcAudio, 8), nullptr);
    EXPECT_EQ(FindFormat(fcDevice, 7), nullptr);
    EXPECT_EQ(FindFormat(3, 0), nullptr);
    EXPECT_EQ(FindFormat(fcVideo, -1), nullptr);
    EXPECT_EQ(FormatClassName(fcDevice), "Device");
}

TEST(FormatCatalog, NamesAndExtensionsAreDistinct) {
    std::set<std::string_view> names, extensions;
    std::set<std::string_view> keys;
    std::set<int> positions;
    for (const TFormatInfo& format : AllFormats()) {
        SCOPED_TRACE(std::string(format.Name));
        EXPECT_TRUE(names.insert(format.Name).second);
        EXPECT_TRUE(keys.insert(format.EditionKey).second);
        EXPECT_TRUE(keys.insert(format.SettingsKey).second);
        EXPECT_TRUE(positions.insert(format.SettingsPosition).second);
        ASSERT_GE(format.Extension.size(), 3u);
        EXPECT_EQ(format.Extension[0], '.');
        EXPECT_EQ(format.Extension.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string_view::npos);
        if (format.Class == fcDevice)
            EXPECT_EQ(format.Extension, ".mp4"); // every device plays MPEG-4 files
        else
            EXPECT_TRUE(extensions.insert(format.Extension).second) << "extension used twice";
    }
    EXPECT_EQ(FormatInfo(fmtMPEG).Extension, ".mpg");
    EXPECT_EQ(positions.size(), static_cast<size_t>(kFormatCount));
    EXPECT_EQ(*positions.rbegin(), kFormatCount - 1);
}

TEST(FormatCatalog, PresetListsAndDefaults) {
    size_t total = 0;
    for (const TFormatInfo& format : AllFormats()) {
        SCOPED_TRACE(std::string(format.Name));
        ASSERT_FALSE(format.Presets.empty());
        total += format.Presets.size();
        EXPECT_GE(format.DefaultPreset, 0);
        EXPECT_LT(format.DefaultPreset, static_cast<int>(format.Presets.size()));
        std::set<std::string_view> captions(format.Presets.begin(), format.Presets.end());
        EXPECT_EQ(captions.size(), format.Presets.size()) << "two presets share a caption";
        for (std::string_view caption : format.Presets)
            EXPECT_FALSE(caption.empty());
    }
    EXPECT_EQ(total, 177u);
    EXPECT_EQ(FormatInfo(fmtAVI).Presets.size(), 29u);
    EXPECT_EQ(FormatInfo(fmtWMV).Presets.size(), 18u);
    EXPECT_EQ(FormatInfo(fmtMobilePhone).Presets.size(), 4u);

    // A first run starts on these captions; their odd spellings are the program's own.
    EXPECT_EQ(FormatInfo(fmtWMV).Presets[FormatInfo(fmtWMV).DefaultPreset],
              "Windows Media Video 9 Standard Quality");
    EXPECT_EQ(FormatInfo(fmtFLAC).Presets[FormatInfo(fmtFLAC).DefaultPreset],
              "Compression Level 5 (Default)");
    EXPECT_EQ(FormatInfo(fmtWAV).Presets[2], "FM Radio Quality - PCM: 22050 Hz, Sterro, 24 bits");
    EXPECT_EQ(FormatInfo(fmtWMA).Presets[4], "WMA Losslesss Audio");
    EXPECT_EQ(FormatInfo(fmtAVI).Presets[21], "Nindendo Wii Clip");
    EXPECT_EQ(FormatInfo(fmtRM).Presets[3], "RM - Low Quality  - (256 kbps, Original)");
    EXPECT_EQ(FormatInfo(fmtiPod).Presets[1],
              "iPod Touch High Quality (H264, 30 fps, 480x320, 2500 kbps; AAC - 160 kbps) ");
    EXPECT_EQ(FormatInfo(fmtMP4).Presets[3], "Apple iPhone/iTouch - (H.264,640x420)");
}

TEST(FormatCatalog, SelectionStartsOnTheDefaults) {
    const TOutputSelection selection;
    for (const TFormatInfo& format : AllFormats())
        EXPECT_EQ(selection.Presets[format.Id], format.DefaultPreset) << format.Name;

    TOutputSelection chosen;
    chosen.OutputFormatClass = fcAudio;
    chosen.OutputAudioFormat = 6;
    chosen.OutputVideoFormat = 2;
    ASSERT_NE(chosen.SelectedFormat(), nullptr);
    EXPECT_EQ(chosen.SelectedFormat()->Id, fmtFLAC);
    chosen.OutputFormatClass = fcVideo;
    EXPECT_EQ(chosen.SelectedFormat()->Id, fmtFLV);
    chosen.OutputFormatClass = fcDevice;
    chosen.OutputDeviceFormat = 200;
    EXPECT_EQ(chosen.SelectedFormat(), nullptr);
    chosen.OutputFormatClass = 7;
    EXPECT_EQ(chosen.SelectedFormat(), nullptr);
}

TEST(PresetRecipes, EveryPresetHasExactlyOneRow) {
    std::set<std::pair<int, int>> seen;
    for (const TPresetRecipe& row : AllPresetRecipes()) {
        EXPECT_TRUE(seen.insert({row.Format, row.Preset}).second)
            << FormatInfo(row.Format).Name << " preset " << row.Preset << " twice";
        EXPECT_GE(row.Preset, 0);
        EXPECT_LT(row.Preset, static_cast<int>(FormatInfo(row.Format).Presets.size()))
            << FormatInfo(row.Format).Name << " row without a caption";
    }
    for (const TFormatInfo& format : AllFormats())
        for (int preset = 0; preset < static_cast<int>(format.Presets.size()); ++preset)
            EXPECT_NE(FindPresetRecipe(format.Id, preset), nullptr) << format.Name << " preset " << preset;
    EXPECT_EQ(FindPresetRecipe(fmtMP3, -1), nullptr);
    EXPECT_EQ(FindPresetRecipe(fmtMP2, 3), nullptr);
}

TEST(PresetRecipes, RowsAgreeWithTheirFormatsCommonSettings) {
    // A row may repeat a common setting but never contradict it.
    for (const TPresetRecipe& row : AllPresetRecipes()) {
        const TRecipeSettings* common = FindCommonSettings(row.Format);
        if (!common)
            continue;
        SCOPED_TRACE(std::string(FormatInfo(row.Format).Name) + " " + std::to_string(row.Preset));
        auto agree = [](const char* shared, const char* own) {
            return !shared || !own || std::string(shared) == own;
        };
        EXPECT_TRUE(agree(common->AudioCodec, row.Settings.AudioCodec));
        EXPECT_TRUE(agree(common->VideoCodec, row.Settings.VideoCodec));
        EXPECT_TRUE(agree(common->FileFormat, row.Settings.FileFormat));
        EXPECT_TRUE(agree(common->ExtraOptions, row.Settings.ExtraOptions));
    }
}

TEST(PresetRecipes, RowValuesAreWellFormed) {
    for (const TPresetRecipe& row : AllPresetRecipes()) {
        const TRecipeSettings& s = row.Settings;
        SCOPED_TRACE(std::string(FormatInfo(row.Format).Name) + " " + std::to_string(row.Preset));
        if (s.FrameSize) {
            int w = 0, h = 0;
            char tail = 0;
            EXPECT_EQ(std::sscanf(s.FrameSize, "%dx%d%c", &w, &h, &tail), 2);
            EXPECT_EQ(w % 2 + h % 2, 0) << "odd frame size";
        }
        if (s.AudioChannels != -1) {
            EXPECT_TRUE(s.AudioChannels == 1 || s.AudioChannels == 2);
        }
        if (s.AudioSampleRate != -1) {
            EXPECT_GE(s.AudioSampleRate, 8000);
            EXPECT_LE(s.AudioSampleRate, 48000);
        }
        EXPECT_TRUE(s.TargetType == -1 || (s.TargetType >= 1 && s.TargetType <= 3));
        EXPECT_EQ(s.TargetType == -1, s.TargetNorm == -1);
        if (s.TargetType != -1) {
            EXPECT_EQ(s.VideoCodec, nullptr) << "a target chooses the codecs";
            EXPECT_EQ(s.AudioCodec, nullptr) << "a target chooses the codecs";
        }
        // Audio formats carry no video settings.
        if (FormatInfo(row.Format).Class == fcAudio) {
            EXPECT_EQ(s.VideoCodec, nullptr);
            EXPECT_EQ(s.FrameSize, nullptr);
            EXPECT_EQ(s.VideoBitrate, -1);
        }
    }
}

TEST(PresetRecipes, OptionBlocks) {
    const std::string a = kOptionBlockA, b = kOptionBlockB;
    auto count = [](const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    // Block A ends every line, the last included; block B only separates them.
    EXPECT_EQ(count(a, "\r\n"), 18u);
    EXPECT_EQ(a.substr(a.size() - 2), "\r\n");
    EXPECT_EQ(count(a, "="), 18u);
    EXPECT_EQ(count(b, "\r\n"), 22u);
    EXPECT_NE(b.back(), '\n');
    EXPECT_EQ(count(b, "="), 23u);
    EXPECT_EQ(count(a, "\n"), count(a, "\r\n")) << "bare line feed";
    EXPECT_EQ(count(b, "\n"), count(b, "\r\n")) << "bare line feed";
    EXPECT_EQ(b.substr(b.size() - 8), "level=21");
    EXPECT_NE(b.find("\r\nrc_eq='blurCplx^(1-qComp)'\r\n"), std::string::npos);
}

} // namespace
