#include "download/VideoService.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace {

std::string Trimmed(std::string_view text) {
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return std::string(text);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

TVideoService CurrentVideoService() {
    const char* named = std::getenv(kVideoServiceVariable);
    const std::string host = named ? Trimmed(named) : std::string();
    if (host.empty())
        return {"www.youtube.com", "youtube.com"};
    return {host, Lower(host)};
}

std::string VideoIdOfLink(const std::string& link) {
    const std::string_view text(link);
    const std::size_t query = text.find('?');
    if (query != std::string_view::npos) {
        std::size_t at = query;
        while (at != std::string_view::npos) {
            if (text.compare(at + 1, 2, "v=") == 0) {
                const std::size_t start = at + 3;
                const std::size_t end = text.find_first_of("&#", start);
                const std::string_view id =
                    text.substr(start, end == std::string_view::npos ? end : end - start);
                if (!id.empty())
                    return std::string(id);
            }
            at = text.find('&', at + 1);
        }
    }
    std::string_view path = text.substr(0, std::min(query, text.find('#')));
    const std::size_t scheme = path.find("://");
    if (scheme != std::string_view::npos)
        path.remove_prefix(scheme + 3);
    const std::size_t firstSlash = path.find('/');
    if (firstSlash == std::string_view::npos)
        return {};
    path.remove_prefix(firstSlash);
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path.substr(path.rfind('/') + 1));
}
