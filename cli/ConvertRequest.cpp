#include "ConvertRequest.h"

#include "PathUtils.h"

#include <filesystem>
#include <strings.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string formatNames() {
    std::string names;
    for (const TFormatInfo& format : AllFormats())
        names += (names.empty() ? "" : ", ") + std::string(format.Name);
    return names;
}

bool writableFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool checkInputFile(const std::string& file, TUsageError& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) {
        error.Message = "no such file: " + file;
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error.Message = "not a file: " + file;
        return false;
    }
    return true;
}

// An existing folder must be writable; a missing one must be creatable in its nearest
// existing parent.
bool checkOutputFolder(const fs::path& folder, bool& exists, TUsageError& error) {
    std::error_code ec;
    exists = fs::exists(folder, ec);
    if (exists) {
        if (!fs::is_directory(folder, ec)) {
            error.Message = "output folder is not a folder: " + folder.string();
            return false;
        }
        if (!writableFolder(folder)) {
            error.Message = "output folder is not writable: " + folder.string();
            return false;
        }
        return true;
    }
    fs::path parent = folder.parent_path();
    while (!parent.empty() && !fs::exists(parent, ec) && parent != parent.root_path())
        parent = parent.parent_path();
    if (!writableFolder(parent)) {
        error.Message = "output folder cannot be created: " + folder.string();
        return false;
    }
    return true;
}

} // namespace

TOutputSelection TConvertRequest::Selection() const {
    TOutputSelection selection;
    selection.OutputFileDir = OutputDir;
    selection.OutputFormatClass = Format->Class;
    const auto index = static_cast<std::uint8_t>(Format->IndexInClass);
    switch (Format->Class) {
    case fcVideo:
        selection.OutputVideoFormat = index;
        break;
    case fcDevice:
        selection.OutputDeviceFormat = index;
        break;
    case fcAudio:
        selection.OutputAudioFormat = index;
        break;
    }
    selection.Presets[Format->Id] = Preset;
    return selection;
}

const TFormatInfo* FindFormatByName(const std::string& name) {
    for (const TFormatInfo& format : AllFormats())
        if (format.Name.size() == name.size() &&
            ::strncasecmp(format.Name.data(), name.data(), name.size()) == 0)
            return &format;
    return nullptr;
}

std::optional<TConvertRequest> CheckConvertRequest(const TCommandLine& line, TUsageError& error) {
    TConvertRequest request;
    request.Format = FindFormatByName(line.Format);
    if (!request.Format) {
        error.Message = "unknown format \"" + line.Format + "\"; the formats are " + formatNames();
        return std::nullopt;
    }
    const int presetCount = static_cast<int>(request.Format->Presets.size());
    request.Preset = line.Preset.value_or(request.Format->DefaultPreset);
    if (request.Preset < 0 || request.Preset >= presetCount) {
        error.Message = "preset " + std::to_string(request.Preset) + " is not one of " +
                        std::string(request.Format->Name) + "'s presets (0 to " +
                        std::to_string(presetCount - 1) + ")";
        return std::nullopt;
    }
    for (const std::string& file : line.Files)
        if (!checkInputFile(file, error))
            return std::nullopt;
    std::error_code ec;
    const fs::path folder =
        fs::absolute(line.OutputDir.empty() ? fs::path(".") : fs::path(line.OutputDir), ec)
            .lexically_normal();
    if (ec || !checkOutputFolder(folder, request.OutputDirExists, error)) {
        if (error.Message.empty())
            error.Message = "output folder cannot be used: " + line.OutputDir;
        return std::nullopt;
    }
    request.OutputDir = WithTrailingBackslash(folder.string());
    request.Join = line.Join;
    request.Parallel = line.Parallel;
    request.Threads = line.Threads;
    request.Files = line.Files;
    return request;
}

bool MakeOutputFolder(const TConvertRequest& request, TUsageError& error) {
    if (request.OutputDirExists)
        return true;
    std::error_code ec;
    fs::create_directories(request.OutputDir, ec);
    if (ec) {
        error.Message = "output folder cannot be created: " + request.OutputDir + ": " + ec.message();
        return false;
    }
    return true;
}
