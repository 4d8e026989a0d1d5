#pragma once

#include "download/ChildProcess.h"
#include "download/DownloadRun.h"
#include "download/FormatChoice.h"
#include "download/QualityTable.h"
#include "download/RowTexts.h"
#include "download/StreamJoin.h"
#include "download/VideoResolver.h"
#include "download/VideoService.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCustomWinHTTP;
class THTTPStream;

// What a download run shows and asks of its front end. Every call comes on the main thread.
class IDownloadView {
public:
    virtual ~IDownloadView() = default;
    // The download list starts afresh with one row per link (InitialRowTexts).
    virtual void ShowRows(const std::vector<std::string>& links) = 0;
    // A row update of the current row: each present text to its column and label.
    virtual void UpdateRow(int row, const TRowTexts& texts) = 0;
    // The row's Name column (the title with its first "&" doubled).
    virtual void SetRowName(int row, const std::string& name) = 0;
    virtual void SetCurrentFile(const std::string& name) = 0; // LabelURLCurrentFile
    virtual void SetQuality(const std::string& text) = 0;     // LabelQuality
    // ProgressBarDownload back to 0 and its label to "0%".
    virtual void ResetProgress() = 0;
    // Ask for NextRow / NextQuality to be called once the current event has returned
    // (the window posts its messages 1028 and 1029 for these).
    virtual void PostNextRow() = 0;
    virtual void PostNextQuality() = 0;
    // The run is over: after its last row, or cancelled.
    virtual void RunEnded(bool cancelled) = 0;
    virtual void Log(const std::string& line) = 0;
};

struct TDownloadSettings {
    std::string Folder; // where the videos are saved
    bool PreferQuality = true;
    TQualitySlots Slots = kDefaultQualityOrder;
    int SlotCount = kQualitySlotCount; // how many slots are tried, from the first
    // How long an external resolver may take for one link.
    std::chrono::milliseconds ResolverTimeout{120000};
};

// Limits every transfer of the run is given.
inline constexpr std::uint32_t kDownloadConnectTimeoutMs = 30000;
inline constexpr std::uint32_t kDownloadQuietTimeoutMs = 60000;
inline constexpr std::uint32_t kDownloadProgressIntervalMs = 100;

// Runs downloads with two HTTP components: pageHTTP fetches each link's page, videoHTTP
// the video. It sets the components up and handles their events; the components must
// outlive it. With an external resolver (VideoResolver.h) the title and the addresses
// come from that program instead of the page, and a quality offered only as separate
// video and audio streams is downloaded in two parts and joined. A video arrives in a
// part file beside its final name and is moved to a free name when complete; a failed,
// cancelled or unfinished video leaves nothing. Everything runs on the main thread.
class TDownloadDriver {
public:
    TDownloadDriver(TCustomWinHTTP& pageHTTP, TCustomWinHTTP& videoHTTP, IDownloadView& view);
    // Stops a transfer in progress and removes its part file.
    ~TDownloadDriver();
    TDownloadDriver(const TDownloadDriver&) = delete;
    TDownloadDriver& operator=(const TDownloadDriver&) = delete;

    // Shows the rows and asks for the first one.
    void StartRun(const std::vector<std::string>& links, const TDownloadSettings& settings);
    // The next row (message 1028) and the next quality of the current row (1029).
    void NextRow();
    void NextQuality();
    // Stops the run: a transfer in progress is aborted and the run ends as cancelled.
    void Cancel();

    bool Running() const { return running_; }
    const TDownloadRun& Run() const { return run_; }

private:
    void WinHTTPGetRealURLProgress(std::int64_t dataSize, std::int64_t bytesRead, std::int64_t elapsed);
    void WinHTTPGetRealURLDone(THTTPStream* stream);
    void WinHTTPGetRealURLAnyError();
    void WinHTTPGetRealURLAborted();
    void WinHTTPDownloadProgress(std::int64_t dataSize, std::int64_t bytesRead, std::int64_t elapsed,
                                 std::int64_t timeLeft, int percent);
    void WinHTTPDownloadDone(std::int64_t fileSize);
    void WinHTTPDownloadAnyError();
    void WinHTTPDownloadAborted();

    void ResolverDone(const TChildOutcome& outcome);
    void JoinDone(const std::string& error);

    // The row's title and address are known: the first attempt starts.
    void RowAnalysed(const std::string& title, const std::string& address);
    void StartAttempt();
    // The next part of the attempt's plan.
    void StartPart();
    void StartJoin();
    // The attempt's finished file (a part file) is moved to its name.
    void SaveVideo(std::int64_t fileSize);
    // The attempt gave no video: the next quality, or the row fails.
    void AttemptFailed();
    void UpdateCurrentRow(const TRowUpdate& update);
    // The current row failed (the reason, when known, goes to the log); the run moves on.
    void FailRow(const std::string& reason = {});
    void Advance();
    void EndRun(bool cancelled);
    void RemovePartFiles();

    TCustomWinHTTP& pageHTTP_;
    TCustomWinHTTP& videoHTTP_;
    IDownloadView& view_;
    // The components' handlers reach this driver only while it lives.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    TVideoService service_;
    TVideoResolver resolver_;
    TDownloadSettings settings_;
    TDownloadRun run_;
    bool running_ = false;
    std::uint64_t runSerial_ = 0; // tells a step posted by an earlier run from this one's
    bool cancelling_ = false;
    // The step whose outcome (done, error or abort) the run waits for.
    enum class TStep { Idle, Page, Resolve, Video, Join } step_ = TStep::Idle;
    TVideoInfo info_;                    // of the current row, from the external resolver
    TFormatPlan plan_;                   // of the attempt in progress
    std::vector<std::string> partFiles_; // of the attempt in progress, in plan order
    std::int64_t partsBytes_ = 0;        // of the attempt's finished parts
    std::int64_t partsElapsedSec_ = 0;
    std::int64_t partElapsedSec_ = 0; // of the part in progress, at its last report
    bool videoAnswered_ = false;      // the part in progress is answered with its video
    // Declared last: they stop their threads before the rest goes.
    TChildProcess resolverProcess_;
    TStreamJoin join_;
};
