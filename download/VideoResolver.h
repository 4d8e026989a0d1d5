#pragma once

#include <string>
#include <vector>

// Where a download run gets each link's title and video addresses: from an installed
// yt-dlp program (the environment variable MEDIAWIZ_YTDLP names it; otherwise "yt-dlp"
// on PATH, unless MEDIAWIZ_VIDEO_SERVICE points the program at another service), or
// from the built-in page reader.
struct TVideoResolver {
    std::string Program; // empty: the built-in page reader
    bool External() const { return !Program.empty(); }
};

inline constexpr const char* kYtDlpVariable = "MEDIAWIZ_YTDLP";

TVideoResolver CurrentVideoResolver();

// The log line naming the resolver a run uses.
std::string ResolverLogLine(const TVideoResolver& resolver);

// The command that resolves one link.
std::vector<std::string> ResolverCommand(const TVideoResolver& resolver, const std::string& link);
