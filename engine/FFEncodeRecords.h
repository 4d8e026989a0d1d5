#pragma once

#include <cstdint>
#include <limits>
#include <string>

// Records exchanged between the application and the encoder component.
// Text fields are UTF-8; option blocks are text with one "name=value" per line.

struct TFFBitmap; // the RGB frame the engine hands to hooks and previews

// Unset marker of the 64-bit time fields (the libraries' "no timestamp").
inline constexpr std::int64_t kUnsetTime = std::numeric_limits<std::int64_t>::min();

struct TInputOptions {
    std::string FileName;                // empty: use the file name passed to the call
    std::string FileFormat;              // forced container short name; empty: detect
    std::int64_t StartTime = kUnsetTime; // microseconds
    int ProgramId = -1;
    std::string ExtraOptions;
    std::int32_t Reserved1 = 0;
    std::int32_t Reserved2 = 0;
};

struct TStreamInfo {
    double Timestamp = -1.0; // local date-time in days since 1899-12-30; -1 not set, 0 now
    int Year = -1;
    int Track = -1;
    std::string Title;
    std::string Author;
    std::string Copyright;
    std::string Comment;
    std::string Album;
    std::string Genre;
};

struct TOutputOptions {
    std::string FileName;
    std::string FileExt;
    std::string FileFormat;
    int PacketSize = -1;
    int MuxRate = -1;
    float MuxDelay = -1.0f;   // seconds
    float MuxPreload = -1.0f; // seconds
    std::string AudioCodec;
    std::string AudioPreset;
    bool AudioDisable = false;
    int AudioVolume = -1;
    int AudioChannels = -1;
    int AudioSampleRate = -1;
    int AudioBitrate = -1;
    int AudioBitrateTolerance = -1;
    std::string AudioLanguage;
    int AudioSyncMethod = 0;
    std::string AudioTag;
    std::string VideoCodec;
    std::string VideoPreset;
    bool VideoDisable = false;
    std::string FrameRate;
    std::string FrameSize;
    std::string AspectRatio;
    int GopSize = -1;
    int VideoBitrate = -1;
    int MaxRate = -1;
    int MinRate = -1;
    int VideoBitrateTolerance = -1;
    int BufferSize = -1;
    int VideoSyncMethod = -1;
    std::string VideoTag;
    std::string VideoFilters;
    std::string VideoLanguage;
    int VideoThreads = -1; // the video encoder's codec threads; -1 the task's, 0 automatic
    std::string SubtitleCodec;
    std::string SubtitlePreset;
    bool SubtitleDisable = false;
    std::string SubtitleLanguage;
    bool InputSync = false;
    bool CopyTimestamps = false;
    std::int64_t StartTime = kUnsetTime;     // microseconds
    std::int64_t RecordingTime = kUnsetTime; // microseconds
    TStreamInfo Metadata;
    int TargetType = 0;         // 1 "vcd", 2 "svcd", 3 "dvd"
    int TargetNorm = 0;         // 0 "auto", 1 "pal", 2 "ntsc"
    int TargetFallbackNorm = 1; // 1 "pal", other "ntsc"
    bool AudioHook = false;
    bool VideoInputHook = false;
    bool VideoOutputHook = false;
    int HookBitsPerPixel = 24;
    bool Join = false;
    std::string ExtraOptions;
    std::int32_t Reserved1 = 0;
    std::int32_t Reserved2 = 0;
};

struct TProgressInfo {
    int TaskIndex = 0;
    int InputFileIndex = 0;
    int FrameNumber = 0;
    int FramesPerSecond = 0;
    float Quality = 0.0f;
    float BitRate = 0.0f;        // kbit/s
    std::int64_t OutputSize = 0; // bytes
    std::int64_t OutputTime = 0; // microseconds
    std::int64_t TotalTime = 0;  // microseconds, -1 unknown
};
using PProgressInfo = TProgressInfo*;

struct TTerminateInfo {
    int TaskIndex = 0; // -1: all tasks have ended
    bool Completed = false;
    bool Failed = false;
    std::string ErrorMessage;
};

struct TPreviewInfo {
    int TaskIndex = 0;
    const TFFBitmap* Bitmap = nullptr;
    int FrameNumber = 0;
    std::int64_t PTS = 0; // microseconds
};

struct THookInfo {
    int TaskIndex = 0;
    TFFBitmap* Bitmap = nullptr;
    int FrameNumber = 0;
    std::int64_t PTS = 0;
    bool Update = true;    // write the bitmap back into the frame
    bool StopHook = false; // stop hooking this task
};
using PHookInfo = THookInfo*;

// The records' reset routines: the unset values the engine expects.
inline TInputOptions InitInputOptions() {
    return TInputOptions{};
}
inline TOutputOptions InitOutputOptions() {
    return TOutputOptions{};
}
