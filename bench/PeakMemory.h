#pragma once

// The process's peak resident size, as Linux keeps it.

#include <fstream>
#include <string>

// Peak resident size so far, in kilobytes.
inline long PeakRssKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// Resets the peak, so each run reports its own.
inline void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
