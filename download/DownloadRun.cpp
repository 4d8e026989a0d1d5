#include "download/DownloadRun.h"

#include "download/PageText.h"

void TDownloadRun::Start(const std::vector<std::string>& links, bool preferQuality,
                         const TQualitySlots& slots, int slotCount) {
    rows_.clear();
    for (const std::string& link : links)
        rows_.push_back({link, {}, link, {}});
    preferQuality_ = preferQuality;
    slots_ = slots;
    slotCount_ = slotCount;
    current_ = 0;
    succeeded_ = 0;
    attempt_ = 0;
    downloaded_.clear();
}

void TDownloadRun::PageAnalysed(const std::string& title, const std::string& address) {
    TDownloadRow& row = rows_.at(static_cast<std::size_t>(current_));
    row.Title = title;
    // A page without a title keeps showing its link rather than an empty name.
    row.Name = title.empty() ? row.Link : DoubleFirstAmpersand(title);
    row.Address = address;
}

void TDownloadRun::FirstAttempt() {
    attempt_ = preferQuality_ ? 1 : 0;
}

bool TDownloadRun::NextAttempt() {
    if (!preferQuality_ || attempt_ >= slotCount_)
        return false;
    ++attempt_;
    return true;
}

std::string TDownloadRun::AttemptAddress() const {
    return Current().Address + std::string(AttemptAddressParameter(slots_, attempt_));
}

std::string_view TDownloadRun::AttemptExtension() const {
    return ::AttemptExtension(slots_, attempt_);
}

std::string TDownloadRun::AttemptDescription() const {
    return std::string(QualityLongDescription(AttemptLabel(slots_, attempt_)));
}

std::string TDownloadRun::NextAttemptText() const {
    return std::string(AttemptLabel(slots_, attempt_ - 1)) +
           " failed, try next: " + std::string(AttemptLabel(slots_, attempt_));
}

void TDownloadRun::RowSaved(const std::string& path) {
    downloaded_.push_back(path);
    ++succeeded_;
}

bool TDownloadRun::Advance() {
    ++current_;
    return HasCurrentRow();
}
