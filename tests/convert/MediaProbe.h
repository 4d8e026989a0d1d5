#pragma once

#include <map>
#include <optional>
#include <string>

// Facts of a media file read with the ffprobe tool, for checking what the engine wrote.
struct TProbedStream {
    std::string CodecName;
    std::string CodecTag; // FourCC text
    int Width = 0, Height = 0;
    double FrameRate = 0;     // frames per second
    double DisplayAspect = 0; // width / height as shown; 0 when not stated
    int Channels = 0, SampleRate = 0;
    long long BitRate = 0; // 0 when the stream does not state one
};

struct TProbedFile {
    std::string FormatName;             // the demuxer's names, "mov,mp4,m4a,3gp,3g2,mj2"
    std::string MajorBrand;             // ISO family only
    double DurationSec = 0;             // the container's, else the end of its last packet
    std::optional<TProbedStream> Video; // first video stream
    std::optional<TProbedStream> Audio; // first audio stream
};

// Empty when the tool cannot read the file.
std::optional<TProbedFile> ProbeMedia(const std::string& path);

// The part of the first picture that is not black bars, in pixels of the coded frame.
struct TLitArea {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};
// Empty when the tool cannot decode a picture.
std::optional<TLitArea> LitAreaOfFirstPicture(const std::string& path);
