#include "download/FormatChoice.h"

#include "download/QualityTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace {

// The qualities today's service offers only as a video-only and an audio-only stream.
constexpr std::array<std::string_view, 2> kSeparateStreamQualities{"[HQ22]", "[HQ37]"};
// The stream files that go into their MP4 container by stream copy.
constexpr std::string_view kJoinVideoExt = "mp4";
constexpr std::string_view kJoinAudioExt = "m4a";

// "[HQ18]" -> "18".
std::string FormatNumber(std::string_view shortLabel) {
    const std::size_t first = shortLabel.find_first_of("0123456789");
    const std::size_t end = shortLabel.find_first_not_of("0123456789", first);
    return first == std::string_view::npos ? std::string()
                                           : std::string(shortLabel.substr(first, end - first));
}

// "1280x720" -> 1280, 720.
bool FrameSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos)
        return false;
    const auto w = std::from_chars(text.data(), text.data() + x, width);
    const auto h = std::from_chars(text.data() + x + 1, text.data() + text.size(), height);
    return w.ec == std::errc() && h.ec == std::errc();
}

// The last match (the resolver lists the best last), one of the preferred extension first.
template <typename Match>
const TVideoFormat* LastMatch(const TVideoInfo& info, std::string_view preferredExt, Match match) {
    const TVideoFormat* any = nullptr;
    for (auto it = info.Formats.rbegin(); it != info.Formats.rend(); ++it) {
        if (!match(*it))
            continue;
        if (preferredExt.empty() || it->Ext == preferredExt)
            return &*it;
        if (!any)
            any = &*it;
    }
    return any;
}

// The format's own extension, else the one the quality table gives the code.
std::string ExtensionOf(const TVideoFormat& format, int qualityCode) {
    return format.Ext.empty() ? std::string(QualityExtension(qualityCode)) : "." + format.Ext;
}

TFormatPlan Plan(std::vector<TVideoFormat> parts, std::string extension) {
    TFormatPlan plan{std::move(parts), std::move(extension), {}};
    for (const TVideoFormat& part : plan.Parts)
        if (part.Url.empty()) {
            plan.Error = "format " + part.Id + " has no address";
            break;
        }
    return plan;
}

TFormatPlan SeparateStreams(const TVideoInfo& info, const TQualityInfo& quality) {
    int width = 0, height = 0;
    if (!FrameSize(quality.Video, width, height))
        return {};
    const TVideoFormat* video = LastMatch(info, kJoinVideoExt, [&](const TVideoFormat& f) {
        return f.HasVideo() && !f.HasAudio() && f.Width == width && f.Height == height;
    });
    const TVideoFormat* audio =
        LastMatch(info, kJoinAudioExt, [](const TVideoFormat& f) { return f.HasAudio() && !f.HasVideo(); });
    if (!video || !audio)
        return {};
    return Plan({*video, *audio}, std::string(quality.Extension));
}

} // namespace

TFormatPlan ChooseFormats(const TVideoInfo& info, int qualityCode) {
    const TQualityInfo* quality = FindQuality(qualityCode);
    if (!quality) {
        const TVideoFormat* best =
            LastMatch(info, {}, [](const TVideoFormat& f) { return f.HasVideo() && f.HasAudio(); });
        return best ? Plan({*best}, ExtensionOf(*best, qualityCode)) : TFormatPlan{};
    }
    const std::string number = FormatNumber(quality->ShortLabel);
    const auto offered = std::find_if(info.Formats.begin(), info.Formats.end(),
                                      [&](const TVideoFormat& f) { return f.Id == number; });
    if (offered != info.Formats.end())
        return Plan({*offered}, ExtensionOf(*offered, qualityCode));
    if (std::find(kSeparateStreamQualities.begin(), kSeparateStreamQualities.end(), quality->ShortLabel) !=
        kSeparateStreamQualities.end())
        return SeparateStreams(info, *quality);
    return {};
}
