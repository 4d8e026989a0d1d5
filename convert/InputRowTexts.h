#pragma once

#include <array>
#include <cstdint>
#include <string>

// The seventeen columns of an input-list row; later steps read them by index.
enum TInputColumn : int {
    NxGraphicColumnMainImage = 0,
    NxTextColumnFileMinName = 1,
    NxTextColumnDuration = 2,
    NxTextColumnBitrate = 3,
    NxTextColumnDimension = 4,
    NxTextColumnFileFullName = 5,
    NxTextColumnFileSize = 6,
    NxTextColumnVideoEncoder = 7,
    NxTextColumnAudioChannels = 8,
    NxTextColumnAudioSampleRate = 9,
    NxTextColumnAudioBitrate = 10,
    NxTextColumnAudioEncoder = 11,
    NxTextColumnFrameRate = 12,
    NxTextColumnRealDuration = 13,
    NxTextColumnWidth = 14,
    NxTextColumnHeight = 15,
    NxTextColumnAspectRatio = 16,
};
inline constexpr int kInputColumnCount = 17;

// What the probe reported of one file, as the row needs it.
struct TInputFacts {
    std::string Path;
    int64_t DurationUs = -1; // -1: no duration
    int64_t FileSize = 0;
    bool HasVideo = false;
    int VideoBitRate = -1;
    int Width = 0;
    int Height = 0;
    double DisplayAspectRatio = 0;
    int FrameRateNum = 0;
    int FrameRateDen = 0;
    std::string VideoCodec;
    int AudioBitRate = -1;
    int Channels = -1;
    int SampleRate = -1;
    std::string AudioCodec;
};

// "hh:mm:ss.zzz", or "Duration is not preseted" when the probe reports none.
std::string InputDurationText(int64_t durationUs);
// "%d Kbps" of bits/s div 1000, or "Bit rate is not preseted" below 1.
std::string InputBitRateText(int bitRate);

// The text of every column; the picture column stays empty and the name column holds
// the full path (the list shortens it to fit).
std::array<std::string, kInputColumnCount> InputRowTexts(const TInputFacts& facts);

// Column 13 read back: microseconds, 0 for a missing or unreadable value.
int64_t RealDurationOf(const std::string& text);
