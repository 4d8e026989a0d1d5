#include "convert/InputRowTexts.h"

#include "support/TimeTexts.h"

#include <charconv>
#include <cstdio>
#include <sstream>

std::string InputDurationText(int64_t durationUs) {
    if (durationUs == -1)
        return "Duration is not preseted";
    return FormatDurationText(durationUs);
}

std::string InputBitRateText(int bitRate) {
    if (bitRate < 1)
        return "Bit rate is not preseted";
    return std::to_string(bitRate / 1000) + " Kbps";
}

std::array<std::string, kInputColumnCount> InputRowTexts(const TInputFacts& facts) {
    std::array<std::string, kInputColumnCount> row;
    const std::string audioBitRate = InputBitRateText(facts.AudioBitRate);
    row[NxTextColumnFileMinName] = facts.Path;
    row[NxTextColumnDuration] = "Duration: " + InputDurationText(facts.DurationUs);
    if (facts.HasVideo) {
        row[NxTextColumnBitrate] = "Bit rate: " + InputBitRateText(facts.VideoBitRate);
        row[NxTextColumnDimension] =
            "Dimension: " + std::to_string(facts.Width) + " x " + std::to_string(facts.Height);
    } else {
        row[NxTextColumnBitrate] = "Audio Bit rate: " + audioBitRate;
        row[NxTextColumnDimension] = "Audio Encoder: " + facts.AudioCodec;
    }
    row[NxTextColumnFileFullName] = facts.Path;
    row[NxTextColumnFileSize] = "File size: " + std::to_string(facts.FileSize);
    row[NxTextColumnVideoEncoder] = "Video encoder: " + facts.VideoCodec;
    row[NxTextColumnAudioChannels] = "Channels: " + std::to_string(facts.Channels);
    row[NxTextColumnAudioSampleRate] = "Sample rate: " + std::to_string(facts.SampleRate) + " Hz";
    row[NxTextColumnAudioBitrate] = "Bit rate: " + audioBitRate;
    row[NxTextColumnAudioEncoder] = "Audio encoder: " + facts.AudioCodec;
    const double frameRate =
        facts.FrameRateDen > 0 ? static_cast<double>(facts.FrameRateNum) / facts.FrameRateDen : 0.0;
    char rate[64];
    std::snprintf(rate, sizeof rate, "Frame rate: %f", frameRate);
    row[NxTextColumnFrameRate] = rate;
    row[NxTextColumnRealDuration] = std::to_string(facts.DurationUs == -1 ? 0 : facts.DurationUs);
    row[NxTextColumnWidth] = std::to_string(facts.Width);
    row[NxTextColumnHeight] = std::to_string(facts.Height);
    std::ostringstream aspect;
    aspect << facts.DisplayAspectRatio;
    row[NxTextColumnAspectRatio] = aspect.str();
    return row;
}

int64_t RealDurationOf(const std::string& text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}
