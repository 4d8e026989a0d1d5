#include "MediaProbe.h"

#include <array>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// ffprobe's "flat" writer: one key="value" per line.
std::map<std::string, std::string> runProbe(const std::string& path) {
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    const std::string cmd = "ffprobe -v error -of flat -show_format -show_streams " + quoted;
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

double rate(const std::string& text) {
    int num = 0, den = 0;
    if (std::sscanf(text.c_str(), "%d/%d", &num, &den) == 2 && den > 0)
        return static_cast<double>(num) / den;
    return 0;
}

} // namespace

std::optional<TProbedFile> ProbeMedia(const std::string& path) {
    const std::map<std::string, std::string> v = runProbe(path);
    if (!v.count("format.format_name"))
        return std::nullopt;
    TProbedFile file;
    file.FormatName = v.at("format.format_name");
    if (v.count("format.tags.major_brand"))
        file.MajorBrand = v.at("format.tags.major_brand");
    if (v.count("format.duration"))
        file.DurationSec = std::atof(v.at("format.duration").c_str());
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
        s.FrameRate = v.count(key + "r_frame_rate") ? rate(v.at(key + "r_frame_rate")) : 0;
        s.Channels = static_cast<int>(number(v, key + "channels"));
        s.SampleRate = static_cast<int>(number(v, key + "sample_rate"));
        s.BitRate = number(v, key + "bit_rate");
        slot = s;
    }
    return file;
}
