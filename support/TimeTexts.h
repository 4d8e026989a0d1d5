#pragma once

#include <cstdint>
#include <string>

std::string FormatSecondsText(int64_t seconds);

// A duration in microseconds as "hh:mm:ss.zzz" (media durations and log times).
std::string FormatDurationText(int64_t durationUs);
