#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The catalogue of output formats: three classes, 24 formats with their file
// extensions, and every preset caption of each format in list order.

enum TFormatClass : std::uint8_t { fcVideo = 0, fcDevice = 1, fcAudio = 2 };
inline constexpr int kFormatClassCount = 3;

// Every output format. The number is also the format's slot in the state record's
// preset indices.
// clang-format off
enum TFormatId : std::uint8_t {
    fmtWAV, fmtMP3, fmtWMA, fmtOGG, fmtAAC, fmtM4A, fmtFLAC, fmtMP2,
    fmtAVI, fmtMP4, fmtFLV, fmtSWF, fmtMPEG, fmtRM, fmtWMV, fmtMOV, fmt3GP,
    fmtiPod, fmtiPhone, fmtAppleTV, fmtPSP, fmtBlackBerry, fmtMobilePhone, fmtiPad,
};
// clang-format on
inline constexpr int kFormatCount = 24;

struct TFormatInfo {
    TFormatId Id;
    TFormatClass Class;
    int IndexInClass;           // what the selection record and the settings store
    std::string_view Name;      // "WAV", "3GP", ...: forms the button, list and settings names
    std::string_view Extension; // with the dot, ".wav"
    int DefaultPreset;
    std::span<const std::string_view> Presets; // captions, index 0 first
    std::string_view EditionKey;               // the edition file's key offering the format, "IPOD"
    std::string_view SettingsKey;              // the settings' key of its preset index, "OutputiPodPreset"
    int SettingsPosition;                      // where that key is written among the preset keys
};

// The class's name as shown on its tab: "Video", "Device", "Audio".
std::string_view FormatClassName(TFormatClass formatClass);

// All formats in TFormatId order.
std::span<const TFormatInfo> AllFormats();
const TFormatInfo& FormatInfo(TFormatId id);
// The format at an index within a class; nullptr when either index is outside the catalogue.
const TFormatInfo* FindFormat(int classIndex, int indexInClass);
// Number of formats in a class.
int FormatCountInClass(TFormatClass formatClass);

// Every format's default preset, by TFormatId.
std::array<std::int32_t, kFormatCount> DefaultPresetIndices();
