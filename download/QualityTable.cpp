#include "download/QualityTable.h"

namespace {

// clang-format off
constexpr std::array<TQualityInfo, kQualitySlotCount> kQualities{{
    {0, "[HQ6]",  "&fmt=6",  "FLV", "480x270",   "Mono",   "[HQ6] - Format: FLV; Video: 480x270; Audio: Mono",     ".flv"},
    {1, "[HQ18]", "&fmt=18", "MP4", "480x360",   "Stereo", "[HQ18] - Format: MP4; Video: 480x360; Audio: Sterro",  ".mp4"},
    {2, "[HQ35]", "&fmt=35", "FLV", "640x360",   "Mono",   "[HQ35] - Format: FLV; Video: 640x360; Audio: Mono",    ".flv"},
    {3, "[HQ22]", "&fmt=22", "MP4", "1280x720",  "Stereo", "[HQ22] - Format: MP4; Video: 1280x720; Audio: Sterro", ".mp4"},
    {4, "[HQ13]", "&fmt=13", "3GP", "176x144",   "Mono",   "[HQ13] - Format: 3GP; Video: 176x144; Audio: Mono",    ".3gp"},
    {5, "[HQ17]", "&fmt=17", "3GP", "176x144",   "Stereo", "[HQ17] - Format: 3GP; Video: 176x144; Audio: Sterro",  ".3gp"},
    {6, "[HQ34]", "&fmt=34", "FLV", "320x240",   "Mono",   "[HQ34] - Format: FLV; Video: 320x240; Audio: Mono",    ".flv"},
    {7, "[HQ37]", "&fmt=37", "MP4", "1920x1080", "Stereo", "[HQ37] - Format: MP4; Video: 1920x1080; Audio: Sterro", ".mp4"},
}};
// clang-format on

} // namespace

std::span<const TQualityInfo> AllQualities() {
    return kQualities;
}

const TQualityInfo* FindQuality(int code) {
    return code >= 0 && code < kQualitySlotCount ? &kQualities[static_cast<std::size_t>(code)] : nullptr;
}

std::string_view QualityShortLabel(int code) {
    const TQualityInfo* q = FindQuality(code);
    return q ? q->ShortLabel : kDefaultQualityLabel;
}

std::string_view QualityAddressParameter(int code) {
    const TQualityInfo* q = FindQuality(code);
    return q ? q->AddressParameter : std::string_view();
}

std::string_view QualityExtension(int code) {
    const TQualityInfo* q = FindQuality(code);
    return q ? q->Extension : kDefaultQualityExtension;
}

std::string_view QualityLongDescription(std::string_view shortLabel) {
    for (const TQualityInfo& q : kQualities)
        if (q.ShortLabel == shortLabel)
            return q.LongDescription;
    return kDefaultQualityLabel;
}

int QualityCodeOfLabel(std::string_view shortLabel) {
    for (const TQualityInfo& q : kQualities)
        if (q.ShortLabel == shortLabel)
            return q.Code;
    return 0;
}

int AttemptCode(const TQualitySlots& slots, int attempt) {
    return attempt >= 1 && attempt <= kQualitySlotCount ? slots[static_cast<std::size_t>(attempt - 1)] : -1;
}

std::string_view AttemptLabel(const TQualitySlots& slots, int attempt) {
    return QualityShortLabel(AttemptCode(slots, attempt));
}

std::string_view AttemptExtension(const TQualitySlots& slots, int attempt) {
    return QualityExtension(AttemptCode(slots, attempt));
}

std::string_view AttemptAddressParameter(const TQualitySlots& slots, int attempt) {
    return QualityAddressParameter(AttemptCode(slots, attempt));
}

std::string QualitySummaryText(bool preferQuality, const TQualitySlots& slots) {
    if (!preferQuality)
        return std::string(kDefaultQualitySummary);
    std::string text = "Prefer: ";
    for (int slot = 0; slot < kQualitySlotCount; ++slot) {
        if (slot > 0)
            text += " > ";
        text += QualityShortLabel(slots[static_cast<std::size_t>(slot)]);
    }
    return text;
}
