#include "support/TimeTexts.h"

#include <cstdio>

std::string FormatSecondsText(int64_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", static_cast<int>(seconds / 3600),
                  static_cast<int>((seconds % 3600) / 60), static_cast<int>(seconds % 60));
    return text;
}

std::string FormatDurationText(int64_t durationUs) {
    const int64_t wholeSeconds = durationUs / 1000000;
    char text[64];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d.%.3d", static_cast<int>(wholeSeconds / 3600),
                  static_cast<int>((wholeSeconds / 60) % 60), static_cast<int>(wholeSeconds % 60),
                  static_cast<int>((durationUs % 1000000) / 1000));
    return text;
}
