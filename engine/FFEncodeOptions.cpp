#include "engine/FFEncodeOptions.h"

#include "engine/FFEncodeRecords.h"
#include "engine/FFmpeg.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <ctime>
#include <string_view>

namespace {

std::string Trim(std::string_view s) {
    auto isSpace = [](unsigned char c) { return c <= ' '; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

// Handled by the per-stream steps of SetOutputFile, on both sides.
constexpr std::array<std::string_view, 8> kStreamOptions = {"newvideo", "newaudio", "newsubtitle", "apre",
                                                            "vpre",     "spre",     "vfilters",    "vf"};
// Taken from the defaults list on the output side.
constexpr std::array<std::string_view, 4> kOutputDefaultOptions = {"acodec", "vcodec", "scodec", "s"};
// Lines that feed the defaults list.
constexpr std::array<std::string_view, 9> kDefaultsNames = {"acodec", "vcodec", "scodec",   "apre", "vpre",
                                                            "spre",   "s",      "vfilters", "vf"};

template <size_t N> bool Contains(const std::array<std::string_view, N>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::vector<TOptionLine> ParseOptionLines(const std::string& text) {
    std::string s = Trim(text);
    ReplaceAll(s, "\r\n", "\n");
    ReplaceAll(s, "\r", "\n");
    ReplaceAll(s, "<CRLF>", "\n");
    std::vector<TOptionLine> lines;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('\n', start);
        if (end == std::string::npos)
            end = s.size();
        const std::string_view line(s.data() + start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            std::string name = Lower(Trim(line.substr(0, eq)));
            if (!name.empty())
                lines.push_back({std::move(name), std::string(line.substr(eq + 1))});
        }
        start = end + 1;
    }
    return lines;
}

bool IsSkippedOption(const std::string& name, TOptionTarget target) {
    return Contains(kStreamOptions, name) ||
           (target == TOptionTarget::Output && Contains(kOutputDefaultOptions, name));
}

void TOutputDefaults::Add(const std::string& name, const std::string& value) {
    FLines.push_back({name, value});
}

std::string TOutputDefaults::Value(const std::string& name) const {
    for (const auto& line : FLines)
        if (line.Name == name)
            return line.Value;
    return {};
}

std::optional<std::string> TOutputDefaults::Take(const std::string& name) {
    for (auto it = FLines.begin(); it != FLines.end(); ++it) {
        if (it->Name == name) {
            std::string value = std::move(it->Value);
            FLines.erase(it);
            return value;
        }
    }
    return std::nullopt;
}

void TOutputDefaults::Collect(const std::vector<std::pair<std::string, std::string>>& recordDefaults,
                              const std::vector<TOptionLine>& extraLines) {
    for (const auto& [name, value] : recordDefaults)
        Add(name, value);
    for (const auto& line : extraLines) {
        if (!Contains(kDefaultsNames, line.Name) || line.Value.empty())
            continue;
        const std::string name = line.Name == "vfilters" ? "vf" : line.Name;
        const std::string defName = "def_" + name;
        if (Value(defName).empty()) {
            // Replace the empty record default so lookups find this value first.
            for (auto& entry : FLines)
                if (entry.Name == defName)
                    entry.Value = line.Value;
            if (Value(defName).empty())
                Add(defName, line.Value);
        }
        Add(name, line.Value);
    }
}

void ApplyExtraOptions(TCustomFFmpeg& task, const std::vector<TOptionLine>& lines, TOptionTarget target) {
    for (const auto& line : lines)
        if (!IsSkippedOption(line.Name, target))
            task.SetOption(line.Name, line.Value);
}

namespace {

void SetPositive(TCustomFFmpeg& task, const char* name, int value) {
    if (value > 0)
        task.SetOption(name, std::to_string(value));
}

void SetText(TCustomFFmpeg& task, const char* name, const std::string& value) {
    if (!value.empty())
        task.SetOption(name, value);
}

void SetFlag(TCustomFFmpeg& task, const char* name, bool value) {
    if (value)
        task.SetOption(name, "1");
}

void ApplyMetadata(TCustomFFmpeg& task, const TStreamInfo& meta) {
    if (meta.Timestamp == 0)
        task.SetTimestamp(static_cast<std::int64_t>(std::time(nullptr)));
    else if (meta.Timestamp > 0)
        task.SetTimestamp(LocalDateTimeToUnix(meta.Timestamp));
    if (meta.Year > 0)
        task.SetMetadata("year", std::to_string(meta.Year));
    if (meta.Track > 0)
        task.SetMetadata("track", std::to_string(meta.Track));
    const std::pair<const char*, const std::string*> texts[] = {
        {"title", &meta.Title},     {"author", &meta.Author}, {"copyright", &meta.Copyright},
        {"comment", &meta.Comment}, {"album", &meta.Album},   {"genre", &meta.Genre},
    };
    for (const auto& [key, value] : texts)
        if (!value->empty())
            task.SetMetadata(key, *value);
}

bool HasTarget(const TOutputOptions& o) {
    return o.TargetType >= 1 && o.TargetType <= 3;
}

// Pending per-stream lines taken for each kind of added stream, in the order applied.
struct TStreamKind {
    std::string_view Option;
    std::array<std::string_view, 4> Names;
};
constexpr TStreamKind kStreamKinds[] = {
    {"newaudio", {"acodec", "apre"}},
    {"newvideo", {"vcodec", "vpre", "s", "vf"}},
    {"newsubtitle", {"scodec", "spre"}},
};

} // namespace

void ApplyOutputFields(TCustomFFmpeg& task, const TOutputOptions& o) {
    if (!o.FileFormat.empty())
        task.SetForceFormat(o.FileFormat);
    SetPositive(task, "packetsize", o.PacketSize);
    SetPositive(task, "muxrate", o.MuxRate);
    if (o.MuxDelay > 0)
        task.SetMuxDelay(o.MuxDelay);
    if (o.MuxPreload > 0)
        task.SetMuxPreload(o.MuxPreload);
    SetFlag(task, "an", o.AudioDisable);
    if (o.AudioVolume >= 0)
        task.SetAudioVolume(o.AudioVolume);
    if (o.AudioChannels > 0)
        task.SetAudioChannels(o.AudioChannels);
    if (o.AudioSampleRate > 0)
        task.SetAudioSampleRate(o.AudioSampleRate);
    if (!HasTarget(o))
        SetPositive(task, "ab", o.AudioBitrate);
    SetPositive(task, "abt", o.AudioBitrateTolerance);
    SetText(task, "alang", o.AudioLanguage);
    task.SetAudioSyncMethod(o.AudioSyncMethod);
    if (!o.AudioTag.empty())
        task.SetAudioTag(o.AudioTag);
    SetFlag(task, "vn", o.VideoDisable);
    if (!o.FrameRate.empty())
        task.SetFrameRate(o.FrameRate);
    if (!o.AspectRatio.empty())
        task.SetAspectRatio(o.AspectRatio);
    SetPositive(task, "g", o.GopSize);
    if (!HasTarget(o))
        SetPositive(task, "vb", o.VideoBitrate);
    SetPositive(task, "maxrate", o.MaxRate);
    SetPositive(task, "minrate", o.MinRate);
    SetPositive(task, "bt", o.VideoBitrateTolerance);
    SetPositive(task, "bufsize", o.BufferSize);
    task.SetVideoSyncMethod(o.VideoSyncMethod);
    if (o.VideoThreads >= 0)
        task.SetVideoThreads(o.VideoThreads);
    if (!o.VideoTag.empty())
        task.SetVideoTag(o.VideoTag);
    SetText(task, "vlang", o.VideoLanguage);
    SetFlag(task, "sn", o.SubtitleDisable);
    SetText(task, "slang", o.SubtitleLanguage);
    task.SetOption("isync", o.InputSync ? "1" : "0");
    SetFlag(task, "copyts", o.CopyTimestamps);
    if (o.StartTime != kUnsetTime)
        task.SetStartTime(o.StartTime);
    if (o.RecordingTime != kUnsetTime)
        task.SetRecordingTime(o.RecordingTime);
    ApplyMetadata(task, o.Metadata);
}

void ApplyStreamLines(TCustomFFmpeg& task, TOutputDefaults& defaults, const std::vector<TOptionLine>& lines) {
    for (const auto& line : lines) {
        for (const auto& kind : kStreamKinds) {
            if (line.Name != kind.Option)
                continue;
            for (std::string_view name : kind.Names) {
                if (name.empty())
                    continue;
                const std::string key(name);
                const std::string value = defaults.Take(key).value_or(defaults.Value("def_" + key));
                if (!value.empty())
                    task.SetOption(key, value);
            }
            task.SetOption(line.Name, line.Value);
        }
    }
}

std::int64_t LocalDateTimeToUnix(double dateTime) {
    constexpr double kUnixEpochDays = 25569.0; // 1970-01-01 as a date-time
    const auto localSeconds = static_cast<std::time_t>(std::llround((dateTime - kUnixEpochDays) * 86400.0));
    std::tm fields{};
    gmtime_r(&localSeconds, &fields); // the local wall-clock fields
    fields.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&fields));
}
