#include "download/RowTexts.h"

#include "support/TimeTexts.h"

#include <charconv>

namespace {

// Two decimals with a point, whatever the process locale says.
std::string TwoDecimals(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(text, end) : std::string("0.00");
}

} // namespace

std::array<std::string, kDownloadColumnCount> InitialRowTexts(const std::string& link) {
    return {link, "Waiting...", "0 KB", "0 KB/s", "0%", "..."};
}

TRowTexts RowUpdateTexts(const TRowUpdate& update) {
    TRowTexts texts;
    if (!update.Status.empty())
        texts.Status = update.Status;
    if (update.SizeBytes != 0)
        texts.Size = MegabytesText(update.SizeBytes);
    if (!update.Speed.empty())
        texts.Speed = update.Speed;
    if (update.Percent != 0) {
        texts.Percent = update.Percent;
        texts.PercentText = std::to_string(update.Percent) + "%";
    }
    if (!update.Address.empty())
        texts.Address = update.Address;
    if (update.ElapsedSec > 0)
        texts.Elapsed = FormatSecondsText(update.ElapsedSec);
    if (update.TimeLeftSec > 0)
        texts.TimeLeft = FormatSecondsText(update.TimeLeftSec);
    return texts;
}

std::string MegabytesText(std::int64_t bytes) {
    return TwoDecimals(static_cast<double>(bytes) / 1048576.0) + "MB";
}

std::string SpeedText(std::int64_t bytesRead, std::int64_t elapsedSec) {
    const double seconds = elapsedSec > 0 ? static_cast<double>(elapsedSec) : 1.0;
    return TwoDecimals(static_cast<double>(bytesRead) / 1024.0 / seconds) + " KB/s";
}
