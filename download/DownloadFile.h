#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Naming and saving a downloaded video. The video arrives in a hidden part file in the
// output folder and is moved to its free name when complete, never over another file.

// The longest file name the file system takes, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// The name a row's video is saved under: the row's name (the title with its first
// ampersand doubled) and the extension, with \ / : * ? " < > |, control characters and
// a leading dot replaced by "_". Without a title the link's video id names the file.
std::string DownloadFileName(const std::string& rowName, std::string_view extension, const std::string& link);

// stem + tail, the stem cut at a UTF-8 character boundary so the whole fits maxBytes.
std::string FitFileName(std::string_view stem, std::string_view tail,
                        std::size_t maxBytes = kMaxFileNameBytes);

// A path, or the system's reason why there is none.
struct TFileResult {
    std::string Path;
    std::string Error;
    bool Ok() const { return Error.empty(); }
};

// Creates a fresh, empty part file in folder (a path with its separator).
TFileResult CreatePartFile(const std::string& folder);

// Moves the part file to the first free one of name, "stem(1).ext", "stem(2).ext" ...
// (each fitted to the length limit) in folder, without replacing a file that appears
// meanwhile. Returns the final path.
TFileResult MoveToFreeName(const std::string& partPath, const std::string& folder, const std::string& name);
