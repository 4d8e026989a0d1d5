#pragma once

#include <string>

// The video service the links point to: "www.youtube.com" with the domain
// "youtube.com" for the link check, unless the environment variable
// MEDIAWIZ_VIDEO_SERVICE names another HOST[:PORT], which is then both.
struct TVideoService {
    std::string Host;   // what the download address is built on
    std::string Domain; // what a link must contain, lower case
};

inline constexpr const char* kVideoServiceVariable = "MEDIAWIZ_VIDEO_SERVICE";

TVideoService CurrentVideoService();

// The video's id in a page link: the "v" query parameter, else the last path segment;
// empty when the link has neither.
std::string VideoIdOfLink(const std::string& link);
