#include "cli/DownloadRequest.h"

#include "download/QualityTable.h"

#include <string_view>

namespace {

// The number a quality is known by: 37 for "[HQ37]".
std::string qualityNumber(const TQualityInfo& quality) {
    std::string_view label = quality.ShortLabel;
    label.remove_prefix(3);
    label.remove_suffix(1);
    return std::string(label);
}

const TQualityInfo* qualityOfNumber(const std::string& number) {
    for (const TQualityInfo& quality : AllQualities())
        if (qualityNumber(quality) == number)
            return &quality;
    return nullptr;
}

std::string qualityNumbers() {
    std::string numbers;
    for (const TQualityInfo& quality : AllQualities())
        numbers += (numbers.empty() ? "" : ", ") + qualityNumber(quality);
    return numbers;
}

std::vector<std::string> splitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

} // namespace

bool ParseQualityOrder(const std::string& text, TDownloadSettings& settings, TUsageError& error) {
    const std::vector<std::string> numbers = splitAtCommas(text);
    if (numbers.size() > static_cast<std::size_t>(kQualitySlotCount)) {
        error.Message = "--prefer takes one to eight qualities, not \"" + text + "\"";
        return false;
    }
    TQualitySlots slots{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const TQualityInfo* quality = qualityOfNumber(numbers[i]);
        if (!quality) {
            error.Message =
                "--prefer: \"" + numbers[i] + "\" is not a quality; the qualities are " + qualityNumbers();
            return false;
        }
        for (std::size_t j = 0; j < i; ++j)
            if (slots[j] == quality->Code) {
                error.Message = "--prefer names " + numbers[i] + " twice";
                return false;
            }
        slots[i] = quality->Code;
    }
    settings.PreferQuality = true;
    settings.Slots = slots;
    settings.SlotCount = static_cast<int>(numbers.size());
    return true;
}

std::optional<TDownloadRequest> CheckDownloadRequest(const TCommandLine& line, TUsageError& error) {
    TDownloadRequest request;
    if (line.DefaultQuality)
        request.Settings.PreferQuality = false;
    else if (line.Prefer && !ParseQualityOrder(*line.Prefer, request.Settings, error))
        return std::nullopt;
    if (!line.Format.empty()) {
        TCommandLine convert = line;
        convert.Files.clear();
        request.Convert = CheckConvertRequest(convert, error);
        if (!request.Convert)
            return std::nullopt;
    }
    std::optional<TOutputFolder> folder = CheckOutputFolder(line.OutputDir, error);
    if (!folder)
        return std::nullopt;
    request.Output = std::move(*folder);
    request.Settings.Folder = request.Output.Path;
    request.Links = line.Files;
    return request;
}
