#pragma once

#include <string>
#include <string_view>
#include <vector>

// What an external resolver tells about one video: its title and the files the service
// offers, read from the resolver's JSON answer.

struct TVideoFormat {
    std::string Id;     // the service's format number, e.g. "18"
    std::string Url;    // empty when the answer gives none
    std::string Ext;    // without the dot
    std::string VCodec; // "none": no video; empty: not told
    std::string ACodec; // "none": no audio; empty: not told
    int Width = 0;      // 0: not told
    int Height = 0;
    std::vector<std::string> Headers; // "Name: value", to send with the transfer

    bool HasVideo() const { return VCodec != "none"; }
    bool HasAudio() const { return ACodec != "none"; }
};

struct TVideoInfo {
    std::string Title;
    std::vector<TVideoFormat> Formats; // in the resolver's order: worst first
};

struct TVideoInfoResult {
    TVideoInfo Info;
    std::string Error; // why the answer could not be read; empty when it could
    bool Ok() const { return Error.empty(); }
};

// Reads the answer of "yt-dlp --dump-single-json": a JSON object with "title" and
// "formats" (an answer without "formats" but with a top-level "url" is its own only format).
TVideoInfoResult ReadVideoInfo(std::string_view json);
