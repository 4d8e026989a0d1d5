#include "convert/EncoderSettings.h"

#include "convert/EncoderThreads.h"
#include "convert/PresetRecipes.h"
#include "engine/FFDecode.h"
#include "support/PathUtils.h"

#include <filesystem>
#include <system_error>

namespace {

// The unique-name helper gives up at its last counter and returns that name untested;
// a name that exists then means the folder is full and the file must not be written.
std::optional<std::string> freeOutputPath(const std::string& name, const std::string& folder) {
    const std::string dir = WithTrailingBackslash(folder);
    const std::string path = dir + UniqueFileName(name, dir);
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        return std::nullopt;
    return path;
}

// Steps shared by both modes: recipe and class rules on a fresh record.
TOutputOptions outputOptionsFor(const TOutputSelection& selection, const TFormatInfo* format,
                                int inputAudioBitrate) {
    TOutputOptions options = InitOutputOptions();
    if (format) {
        const int preset = selection.Presets[format->Id];
        ApplyPresetRecipe(format->Id, preset, inputAudioBitrate, options);
        options.VideoThreads = VideoEncoderThreads(format->Id, preset, options);
        if (format->Class == fcAudio)
            options.VideoDisable = true;
        else if (format->Class == fcVideo)
            options.VideoDisable = false;
    }
    return options;
}

std::string extensionOf(const TFormatInfo* format) {
    return format ? std::string(format->Extension) : std::string();
}

} // namespace

TOpenInput OpenInputOf(TCustomDecoder& decoder) {
    TOpenInput input;
    input.FileName = decoder.FileName();
    input.FormatName = decoder.FormatName();
    TAudioStreamInfo audio;
    if (decoder.FirstAudioStreamIndex() >= 0 && decoder.GetAudioStreamInfo(-1, audio))
        input.AudioBitRate = audio.BitRate;
    return input;
}

std::optional<TEncoderSettings> MakeEncoderSettings(const TOutputSelection& selection,
                                                    const TOpenInput& input) {
    const TFormatInfo* format = selection.SelectedFormat();
    const std::string ext = extensionOf(format);
    const std::string inputName = std::filesystem::path(input.FileName).filename().string();
    std::optional<std::string> path =
        freeOutputPath(StripExtension(inputName) + ext, selection.OutputFileDir);
    if (!path)
        return std::nullopt;

    TEncoderSettings settings;
    settings.OutputOptions = outputOptionsFor(selection, format, input.AudioBitRate);
    settings.OutputOptions.FileName = *path;
    settings.OutputOptions.FileExt = ext;
    settings.OutputFileName = *path;
    settings.InputOptions = InitInputOptions();
    settings.InputOptions.FileName = input.FileName;
    settings.InputOptions.FileFormat = input.FormatName;
    return settings;
}

std::optional<TEncoderSettings> MakeJoinSettings(const TOutputSelection& selection) {
    const TFormatInfo* format = selection.SelectedFormat();
    std::optional<std::string> path =
        freeOutputPath(kJoinOutputName + extensionOf(format), selection.OutputFileDir);
    if (!path)
        return std::nullopt;

    TEncoderSettings settings;
    settings.OutputOptions = outputOptionsFor(selection, format, -1);
    settings.OutputOptions.Join = true;
    settings.OutputFileName = *path;
    return settings;
}
