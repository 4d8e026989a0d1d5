#include "cli/ProbeCommand.h"

#include "cli/CommandLine.h"
#include "convert/InputProbe.h"
#include "engine/FFDecode.h"

#include <cstdio>
#include <ostream>

namespace {

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

double frameRateOf(const TInputFacts& facts) {
    return facts.FrameRateDen > 0 ? static_cast<double>(facts.FrameRateNum) / facts.FrameRateDen : 0.0;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string fixed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

void writeTextBlock(std::ostream& out, const TInputFacts& facts) {
    out << facts.Path << "\n";
    out << "  Duration: " << InputDurationText(facts.DurationUs) << "\n";
    out << "  File size: " << facts.FileSize << "\n";
    if (facts.HasVideo) {
        out << "  Video encoder: " << facts.VideoCodec << "\n";
        out << "  Video bit rate: " << InputBitRateText(facts.VideoBitRate) << "\n";
        out << "  Dimension: " << facts.Width << " x " << facts.Height << "\n";
        out << "  Frame rate: " << fixed(frameRateOf(facts)) << "\n";
        out << "  Aspect ratio: " << number(facts.DisplayAspectRatio) << "\n";
    }
    if (!facts.AudioCodec.empty()) {
        out << "  Audio encoder: " << facts.AudioCodec << "\n";
        out << "  Audio bit rate: " << InputBitRateText(facts.AudioBitRate) << "\n";
        out << "  Channels: " << facts.Channels << "\n";
        out << "  Sample rate: " << facts.SampleRate << " Hz\n";
    }
}

void writeJsonObject(std::ostream& out, const TInputFacts& facts) {
    out << "  {\"file\": " << jsonString(facts.Path) << ", \"ok\": true"
        << ", \"duration_us\": "
        << (facts.DurationUs == -1 ? std::string("null") : std::to_string(facts.DurationUs))
        << ", \"duration\": " << jsonString(InputDurationText(facts.DurationUs))
        << ", \"size\": " << facts.FileSize;
    out << ",\n   \"video\": ";
    if (facts.HasVideo)
        out << "{\"codec\": " << jsonString(facts.VideoCodec) << ", \"bit_rate\": " << facts.VideoBitRate
            << ", \"bit_rate_text\": " << jsonString(InputBitRateText(facts.VideoBitRate))
            << ", \"width\": " << facts.Width << ", \"height\": " << facts.Height
            << ", \"frame_rate\": " << number(frameRateOf(facts))
            << ", \"aspect_ratio\": " << number(facts.DisplayAspectRatio) << "}";
    else
        out << "null";
    out << ",\n   \"audio\": ";
    if (!facts.AudioCodec.empty())
        out << "{\"codec\": " << jsonString(facts.AudioCodec) << ", \"bit_rate\": " << facts.AudioBitRate
            << ", \"bit_rate_text\": " << jsonString(InputBitRateText(facts.AudioBitRate))
            << ", \"channels\": " << facts.Channels << ", \"sample_rate\": " << facts.SampleRate << "}";
    else
        out << "null";
    out << "}";
}

} // namespace

int RunProbe(TCustomDecoder& decoder, const std::vector<std::string>& files, bool json, std::ostream& out) {
    int exitCode = exSuccess;
    if (json)
        out << "[\n";
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        if (json && i > 0)
            out << ",\n";
        if (!decoder.LoadFile(path)) {
            exitCode = exFailed;
            if (json)
                out << "  {\"file\": " << jsonString(path)
                    << ", \"ok\": false, \"error\": " << jsonString(decoder.LastErrMsg()) << "}";
            else
                out << path << "\n  File load error: " << decoder.LastErrMsg() << "\n";
            continue;
        }
        TInputFacts facts = InputFactsOf(decoder);
        facts.Path = path;
        decoder.CloseFile();
        if (json)
            writeJsonObject(out, facts);
        else
            writeTextBlock(out, facts);
    }
    if (json)
        out << "\n]\n";
    return exitCode;
}
