#pragma once

#include <string>
#include <string_view>

// What the download run reads from a video page: its title and the address of the
// video file, found with the page patterns ("." matches line breaks too, "*?" is
// lazy, the leftmost match wins, case matters).

// The page's bytes as text: unchanged when they are valid UTF-8, otherwise each byte is
// one character (Latin-1), so the result is always UTF-8.
std::string DecodePageBytes(std::string_view bytes);

// The content of the first <meta name="title" content="..."> with the entities &amp;,
// &gt;, &lt;, &quot; and &nbsp; decoded; empty when the page has none.
std::string ExtractTitle(const std::string& page);

// "http://" + host + "/get_video?" + the first "video_id=...&" + the first "&t=...&"
// (either empty when the page lacks it).
std::string BuildDownloadAddress(const std::string& page, const std::string& host);

// The text with its first "&" doubled (the list shows both, a label one).
std::string DoubleFirstAmpersand(std::string text);
