#include "download/VideoInfo.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

std::string TextOf(const json& object, const char* key) {
    const auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// A frame size; anything but a plausible number counts as not told.
int SizeOf(const json& object, const char* key) {
    constexpr double kLargest = 1 << 16;
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number())
        return 0;
    const double value = it->get<double>();
    return value > 0 && value <= kLargest ? static_cast<int>(value) : 0;
}

TVideoFormat FormatOf(const json& object) {
    TVideoFormat f;
    f.Id = TextOf(object, "format_id");
    f.Url = TextOf(object, "url");
    f.Ext = TextOf(object, "ext");
    f.VCodec = TextOf(object, "vcodec");
    f.ACodec = TextOf(object, "acodec");
    f.Width = SizeOf(object, "width");
    f.Height = SizeOf(object, "height");
    const auto headers = object.find("http_headers");
    if (headers != object.end() && headers->is_object())
        for (const auto& [name, value] : headers->items())
            // Header lines end at a line break: a value holding one would add headers of its own.
            if (value.is_string() && value.get<std::string>().find_first_of("\r\n") == std::string::npos &&
                name.find_first_of(":\r\n") == std::string::npos)
                f.Headers.push_back(name + ": " + value.get<std::string>());
    return f;
}

} // namespace

TVideoInfoResult ReadVideoInfo(std::string_view text) {
    TVideoInfoResult result;
    const json root = json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        result.Error = "the resolver's answer is not a JSON object";
        return result;
    }
    result.Info.Title = TextOf(root, "title");
    const auto formats = root.find("formats");
    if (formats != root.end() && formats->is_array()) {
        for (const json& f : *formats)
            if (f.is_object())
                result.Info.Formats.push_back(FormatOf(f));
    } else if (root.contains("url")) {
        result.Info.Formats.push_back(FormatOf(root));
    }
    if (result.Info.Formats.empty())
        result.Error = "the resolver's answer offers no formats";
    return result;
}
