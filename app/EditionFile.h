#pragma once

#include "convert/FormatCatalog.h"

#include <array>
#include <string>

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
    std::array<bool, kFormatCount> Offered{}; // by TFormatId; the catalogue names the keys
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
