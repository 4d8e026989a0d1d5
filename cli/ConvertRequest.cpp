#include "cli/ConvertRequest.h"

#include <filesystem>
#include <strings.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string formatNames() {
    std::string names;
    for (const TFormatInfo& format : AllFormats())
        names += (names.empty() ? "" : ", ") + std::string(format.Name);
    return names;
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

} // namespace

TOutputSelection TConvertRequest::Selection() const {
    TOutputSelection selection;
    selection.OutputFileDir = Output.Path;
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
    std::optional<TOutputFolder> folder = CheckOutputFolder(line.OutputDir, error);
    if (!folder)
        return std::nullopt;
    request.Output = std::move(*folder);
    request.Join = line.Join;
    request.Parallel = line.Parallel;
    request.Threads = line.Threads;
    request.Files = line.Files;
    return request;
}
