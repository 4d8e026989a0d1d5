#pragma once

#include "download/QualityTable.h"

#include <string>
#include <string_view>
#include <vector>

// Status texts of a download row.
inline constexpr const char* kStatusWaiting = "Waiting...";
inline constexpr const char* kStatusGettingPage = "Getting real YouTube URLs, please wait...";
inline constexpr const char* kStatusAnalysed = "Analyzing finished, ready to download...";
inline constexpr const char* kStatusDownloading = "Downloading...";
inline constexpr const char* kStatusFinished = "Finish.";
inline constexpr const char* kStatusFailed = "Failed.";

// One link of a run.
struct TDownloadRow {
    std::string Link;
    std::string Title;   // from its page; empty before or when the page has none
    std::string Name;    // what the list shows: the link, then the title with its first "&" doubled
    std::string Address; // the download address without a quality parameter
};

// The state of one download run: its rows, the row being worked on, the quality attempt
// of that row and the counts. Rows are worked on strictly one after another; attempt 0
// is the service's default quality (priority list off), attempts 1 to 8 the slots of
// the priority list (or of its first slots, when fewer are to be tried).
class TDownloadRun {
public:
    // A fresh run of the links; the previous run's downloaded files are forgotten. With
    // the priority list, the first slotCount slots are tried.
    void Start(const std::vector<std::string>& links, bool preferQuality, const TQualitySlots& slots,
               int slotCount = kQualitySlotCount);

    int Total() const { return static_cast<int>(rows_.size()); }
    int Succeeded() const { return succeeded_; }
    int Failed() const { return Total() - succeeded_; }
    int CurrentRow() const { return current_; }
    bool HasCurrentRow() const { return current_ >= 0 && current_ < Total(); }
    const TDownloadRow& Row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    const std::vector<std::string>& DownloadedFiles() const { return downloaded_; }

    // The current row's page was read: its title and download address.
    void PageAnalysed(const std::string& title, const std::string& address);
    const TDownloadRow& Current() const { return Row(current_); }

    // Attempts of the current row: the first one (1 with the priority list, else 0), and
    // the next one, which is false when no quality is left to try.
    void FirstAttempt();
    bool NextAttempt();
    int Attempt() const { return attempt_; }
    // The address of the current attempt and the extension its file gets.
    std::string AttemptAddress() const;
    std::string_view AttemptExtension() const;
    // LabelQuality texts: the long description of the attempt, and when moving on
    // "<previous> failed, try next: <next>".
    std::string AttemptDescription() const;
    std::string NextAttemptText() const;

    // The current row ends; Advance moves to the next row and is false after the last.
    void RowSaved(const std::string& path);
    bool Advance();

private:
    std::vector<TDownloadRow> rows_;
    bool preferQuality_ = true;
    TQualitySlots slots_ = kDefaultQualityOrder;
    int slotCount_ = kQualitySlotCount;
    int current_ = 0;
    int succeeded_ = 0;
    int attempt_ = 0;
    std::vector<std::string> downloaded_;
};
