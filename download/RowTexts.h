#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The download list's columns and the arithmetic of its row update.

inline constexpr int kDownloadColumnCount = 6;
inline constexpr std::array<const char*, kDownloadColumnCount> kDownloadColumns{"Name",  "Status",   "Size",
                                                                                "Speed", "Progress", "URL"};
enum TDownloadColumn { dcName, dcStatus, dcSize, dcSpeed, dcProgress, dcURL };

// A new row's texts, in column order.
std::array<std::string, kDownloadColumnCount> InitialRowTexts(const std::string& link);

// Arguments of one row update; an empty text or a 0 leaves its targets unchanged.
struct TRowUpdate {
    std::string Status;
    std::int64_t SizeBytes = 0;
    std::int64_t TimeLeftSec = 0; // negative (no known length) counts as unknown too
    std::int64_t ElapsedSec = 0;
    std::string Address;
    int Percent = 0;
    std::string Speed;
};

// What a row update shows; each absent text leaves its targets as they are.
struct TRowTexts {
    std::optional<std::string> Status;      // column Status, LabelURLStatus
    std::optional<std::string> Size;        // column Size
    std::optional<std::string> Speed;       // column Speed, LabelSpeed
    std::optional<int> Percent;             // ProgressBarDownload
    std::optional<std::string> PercentText; // column Progress, LabelProgressBarDownload
    std::optional<std::string> Address;     // column URL
    std::optional<std::string> Elapsed;     // LabelURLElapsedTime
    std::optional<std::string> TimeLeft;    // LabelURLTimeLeft
};

TRowTexts RowUpdateTexts(const TRowUpdate& update);

// Bytes as megabytes with two decimals and "MB": "12.34MB".
std::string MegabytesText(std::int64_t bytes);
// BytesRead / 1024 / ElapsedTime with two decimals and " KB/s". During the first second
// (ElapsedTime 0) the bytes read so far count as one second's worth.
std::string SpeedText(std::int64_t bytesRead, std::int64_t elapsedSec);
