#pragma once

#include "convert/FormatCatalog.h"

#include <span>

struct TOutputOptions;

// The encoding recipe of a preset, or the settings a format gives all of its presets.
// A null text or a value of -1 is "-": the field keeps its initial value.
struct TRecipeSettings {
    const char* VideoCodec = nullptr;
    const char* VideoTag = nullptr;
    const char* FrameSize = nullptr;
    const char* FrameRate = nullptr;
    const char* AspectRatio = nullptr;
    int VideoBitrate = -1;
    const char* AudioCodec = nullptr;
    int AudioChannels = -1;
    int AudioSampleRate = -1;
    int AudioBitrate = -1;
    const char* FileFormat = nullptr;
    const char* VideoPreset = nullptr;
    int MaxRate = -1;
    int MinRate = -1;
    int BufferSize = -1;
    int TargetType = -1;
    int TargetNorm = -1;
    const char* ExtraOptions = nullptr;
    bool AudioBitrateFromInput = false; // take the input's audio bit rate (normal mode only)
};

struct TPresetRecipe {
    TFormatId Format;
    int Preset;
    TRecipeSettings Settings;
};

// Codec option blocks shared by the x264 device recipes.
extern const char* const kOptionBlockA;
extern const char* const kOptionBlockB;

// Every preset row of every format.
std::span<const TPresetRecipe> AllPresetRecipes();
// The row of a preset; nullptr when the format has none for that index.
const TRecipeSettings* FindPresetRecipe(TFormatId format, int preset);
// The settings the format applies to all of its presets; nullptr when it has none.
const TRecipeSettings* FindCommonSettings(TFormatId format);

// Applies the format's common settings, then the preset's row, to the record.
// inputAudioBitrate (bits/s, -1 unknown) feeds the rows that copy it from the input.
void ApplyPresetRecipe(TFormatId format, int preset, int inputAudioBitrate, TOutputOptions& options);
