#include "MediaProbe.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string shellQuoted(const std::string& path) {
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// ffprobe's "flat" writer: one key="value" per line.
std::map<std::string, std::string> runProbe(const std::string& path, const std::string& entries) {
    const std::string cmd = "ffprobe -v error -of flat " + entries + " " + shellQuoted(path);
    std::map<std::string, std::string> values;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    if (!pipe)
        return values;
    std::string line;
    std::array<char, 4096> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe.get())) {
        line = buffer.data();
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string value = line.substr(eq + 1);
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        values[line.substr(0, eq)] = value;
    }
    return values;
}

long long number(const std::map<std::string, std::string>& values, const std::string& key) {
    auto it = values.find(key);
    if (it == values.end())
        return 0;
    try {
        return std::stoll(it->second);
    } catch (...) {
        return 0;
    }
}

// "30000/1001" or, with separator ':', "16:9".
double ratio(const std::string& text, char separator = '/') {
    int num = 0, den = 0;
    const std::string format = std::string("%d") + separator + "%d";
    if (std::sscanf(text.c_str(), format.c_str(), &num, &den) == 2 && den > 0)
        return static_cast<double>(num) / den;
    return 0;
}

// For containers that store no duration: the end of the last packet.
double durationFromPackets(const std::string& path) {
    const std::map<std::string, std::string> v =
        runProbe(path, "-show_entries packet=pts_time,duration_time");
    double end = 0;
    for (int i = 0; v.count("packets.packet." + std::to_string(i) + ".pts_time"); ++i) {
        const std::string key = "packets.packet." + std::to_string(i) + ".";
        end = std::max(
            end, std::atof(v.at(key + "pts_time").c_str()) +
                     (v.count(key + "duration_time") ? std::atof(v.at(key + "duration_time").c_str()) : 0));
    }
    return end;
}

} // namespace

std::optional<TProbedFile> ProbeMedia(const std::string& path) {
    const std::map<std::string, std::string> v = runProbe(path, "-show_format -show_streams");
    if (!v.count("format.format_name"))
        return std::nullopt;
    TProbedFile file;
    file.FormatName = v.at("format.format_name");
    if (v.count("format.tags.major_brand"))
        file.MajorBrand = v.at("format.tags.major_brand");
    if (v.count("format.duration") && v.at("format.duration") != "N/A")
        file.DurationSec = std::atof(v.at("format.duration").c_str());
    else
        file.DurationSec = durationFromPackets(path);
    for (int i = 0; v.count("streams.stream." + std::to_string(i) + ".codec_type"); ++i) {
        const std::string key = "streams.stream." + std::to_string(i) + ".";
        const std::string type = v.at(key + "codec_type");
        std::optional<TProbedStream>& slot = type == "video" ? file.Video : file.Audio;
        if ((type != "video" && type != "audio") || slot)
            continue;
        TProbedStream s;
        s.CodecName = v.count(key + "codec_name") ? v.at(key + "codec_name") : "";
        s.CodecTag = v.count(key + "codec_tag_string") ? v.at(key + "codec_tag_string") : "";
        s.Width = static_cast<int>(number(v, key + "width"));
        s.Height = static_cast<int>(number(v, key + "height"));
        s.FrameRate = v.count(key + "r_frame_rate") ? ratio(v.at(key + "r_frame_rate")) : 0;
        s.DisplayAspect =
            v.count(key + "display_aspect_ratio") ? ratio(v.at(key + "display_aspect_ratio"), ':') : 0;
        s.Channels = static_cast<int>(number(v, key + "channels"));
        s.SampleRate = static_cast<int>(number(v, key + "sample_rate"));
        s.BitRate = number(v, key + "bit_rate");
        slot = s;
    }
    return file;
}

std::optional<TLitArea> LitAreaOfFirstPicture(const std::string& path) {
    const std::optional<TProbedFile> file = ProbeMedia(path);
    if (!file || !file->Video || file->Video->Width <= 0 || file->Video->Height <= 0)
        return std::nullopt;
    const int width = file->Video->Width, height = file->Video->Height;
    const std::string cmd =
        "ffmpeg -v error -i " + shellQuoted(path) + " -frames:v 1 -f rawvideo -pix_fmt gray -";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    if (!pipe)
        return std::nullopt;
    std::vector<unsigned char> luma(static_cast<size_t>(width) * height);
    if (std::fread(luma.data(), 1, luma.size(), pipe.get()) != luma.size())
        return std::nullopt;
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (luma[static_cast<size_t>(y) * width + x] > 64) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return TLitArea{};
    return TLitArea{left, top, right - left + 1, bottom - top + 1};
}
