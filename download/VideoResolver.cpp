#include "download/VideoResolver.h"

#include "download/VideoService.h"

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kYtDlpName = "yt-dlp";
constexpr std::string_view kServiceDomain = "youtube.com";

// The program's path in the first PATH folder holding an executable file of that name.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
        if (folder.empty())
            continue;
        const std::string candidate = std::string(folder) + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool ServiceIsTheDefault() {
    const std::string domain = CurrentVideoService().Domain;
    return domain.size() >= kServiceDomain.size() &&
           domain.compare(domain.size() - kServiceDomain.size(), kServiceDomain.size(), kServiceDomain) == 0;
}

} // namespace

TVideoResolver CurrentVideoResolver() {
    const char* named = std::getenv(kYtDlpVariable);
    if (named && *named)
        return {named};
    if (ServiceIsTheDefault())
        return {FindOnPath(kYtDlpName)};
    return {};
}

std::string ResolverLogLine(const TVideoResolver& resolver) {
    return resolver.External() ? "Video addresses from: " + resolver.Program
                               : std::string("Video addresses from: the built-in page reader");
}

std::vector<std::string> ResolverCommand(const TVideoResolver& resolver, const std::string& link) {
    // "--" keeps a link that starts with a dash from being read as an option.
    return {resolver.Program, "--dump-single-json", "--no-playlist", "--no-warnings", "--", link};
}
