#pragma once

#include "GlobalVars.h"

#include <array>
#include <span>
#include <string>

// One output format as the edition file and the window know it.
struct TEditionFormat {
    TFormatClass Class;
    int IndexInClass;    // the format's index within its class (settings value)
    const char* Key;     // edition-file key offering the format
    const char* Name;    // button name suffix: ButtonFormat<Name>
    TPresetSlot Preset;
};

// The 24 formats, each class in the edition file's (button) order.
std::span<const TEditionFormat> EditionFormats();

// The values of the edition file "lame.dll", section SYSTEM.
struct TEditionProfile {
    std::string Name;
    std::string Version;
    std::string Copyright;
    bool Download = true;
    bool Merge = false;
    std::string Res;
    std::string Skin = "0";
    int DefaultClass = 0;
    int DefaultVideo = 0;
    int DefaultDevice = 0;
    int DefaultAudio = 0;
    std::array<bool, psCount> Offered{}; // indexed by TPresetSlot
};

inline constexpr const char* kEditionFileName = "lame.dll";
inline constexpr const char* kEditionSection = "SYSTEM";

// Reads the edition file; a missing file or key gives the defaults.
TEditionProfile ReadEditionFile(const std::string& path);

// The folder of the running executable, with a trailing separator (the
// application object must exist).
std::string ExecutableDir();
// The resource folder: the executable's folder + "sounds/res" + res + separator.
std::string ResourceFolder(const std::string& exeDir, const std::string& res);
