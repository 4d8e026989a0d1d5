#pragma once

#include "convert/FormatCatalog.h"

#include <array>
#include <cstdint>
#include <string>

// What the user chose on the format page: carried to the conversion run and kept
// in the settings file.
struct TOutputSelection {
    std::string OutputFileDir;                // ends in the path separator once taken from the page
    std::uint8_t OutputFormatClass = fcVideo; // TFormatClass
    std::uint8_t OutputVideoFormat = 0;       // index within each class, all three kept at once
    std::uint8_t OutputDeviceFormat = 0;
    std::uint8_t OutputAudioFormat = 0;
    std::array<std::int32_t, kFormatCount> Presets = DefaultPresetIndices(); // by TFormatId; -1: none

    // The selected format's index within the selected class (the class's stored index).
    int SelectedFormatIndex() const {
        switch (OutputFormatClass) {
        case fcVideo:
            return OutputVideoFormat;
        case fcDevice:
            return OutputDeviceFormat;
        case fcAudio:
            return OutputAudioFormat;
        default:
            return -1;
        }
    }
    // The selected format of the selected class; nullptr when an index is outside the catalogue.
    const TFormatInfo* SelectedFormat() const { return FindFormat(OutputFormatClass, SelectedFormatIndex()); }
};
