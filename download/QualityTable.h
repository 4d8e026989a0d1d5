#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The eight encodings the video service offers, selected by a code 0 to 7, and the
// user's priority list of eight such codes. A code outside 0 to 7 stands for the
// service's default encoding.

inline constexpr int kQualitySlotCount = 8;
using TQualitySlots = std::array<std::uint8_t, kQualitySlotCount>;

struct TQualityInfo {
    std::uint8_t Code;
    std::string_view ShortLabel;       // "[HQ18]"
    std::string_view AddressParameter; // "&fmt=18"
    std::string_view Format;           // the dialog's columns
    std::string_view Video;
    std::string_view Audio;
    std::string_view LongDescription; // spells the audio "Sterro"
    std::string_view Extension;       // with the dot
};

// The default encoding's label (attempt 0, unknown codes) and the summary text of the
// link page when the priority list is off: two different spellings.
inline constexpr std::string_view kDefaultQualityLabel = "[Default Quality - HQ5]";
inline constexpr std::string_view kDefaultQualitySummary = "[Defatult Quality - HQ5]";
inline constexpr std::string_view kDefaultQualityExtension = ".flv";

inline constexpr TQualitySlots kDefaultQualityOrder{1, 2, 3, 0, 4, 5, 6, 7};
inline constexpr TQualitySlots kBestAvailableOrder{7, 3, 2, 1, 0, 6, 4, 5};

// All eight encodings in code order.
std::span<const TQualityInfo> AllQualities();
// nullptr for a code outside 0 to 7.
const TQualityInfo* FindQuality(int code);

std::string_view QualityShortLabel(int code);
std::string_view QualityAddressParameter(int code);
std::string_view QualityExtension(int code);
// Looked up by the short label's text; an unknown text gives the default label.
std::string_view QualityLongDescription(std::string_view shortLabel);
// The code whose short label is the text, 0 when none is.
int QualityCodeOfLabel(std::string_view shortLabel);

// Attempt 0 is the default encoding; attempt n (1 to 8) the code in slot n.
int AttemptCode(const TQualitySlots& slots, int attempt);
std::string_view AttemptLabel(const TQualitySlots& slots, int attempt);
std::string_view AttemptExtension(const TQualitySlots& slots, int attempt);
std::string_view AttemptAddressParameter(const TQualitySlots& slots, int attempt);

// The link page's quality summary: the default text, or "Prefer: a > b > ..." of slots 1 to 8.
std::string QualitySummaryText(bool preferQuality, const TQualitySlots& slots);
