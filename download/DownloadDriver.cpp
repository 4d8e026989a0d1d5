#include "DownloadDriver.h"

#include "DownloadFile.h"
#include "PageText.h"
#include "WinHTTP.h"

#include <cstdio>

namespace {

// Videos are written in large pieces; the page is small.
constexpr int kVideoBufferBytes = 256 * 1024;

void Configure(TCustomWinHTTP& http) {
    http.AcceptTypes = "*/*";
    http.Agent = "[Vantoleaf]";
    http.InternetOptions = {ioIgnoreCertificateInvalid, ioKeepConnection};
    http.ShowGoOnlineMessage = true;
    http.Timeouts = {kDownloadConnectTimeoutMs, kDownloadQuietTimeoutMs, kDownloadQuietTimeoutMs};
    http.ProgressIntervalMs = kDownloadProgressIntervalMs;
}

std::string StreamText(THTTPStream* stream) {
    if (!stream)
        return {};
    std::string bytes(static_cast<std::size_t>(stream->Size()), '\0');
    stream->Seek(0);
    bytes.resize(stream->Read(bytes.data(), bytes.size()));
    return bytes;
}

} // namespace

TDownloadDriver::TDownloadDriver(TCustomWinHTTP& pageHTTP, TCustomWinHTTP& videoHTTP, IDownloadView& view)
    : pageHTTP_(pageHTTP), videoHTTP_(videoHTTP), view_(view) {
    Configure(pageHTTP_);
    Configure(videoHTTP_);
    videoHTTP_.TransferBufferSize = kVideoBufferBytes;

    const std::shared_ptr<bool> alive = alive_;
    pageHTTP_.OnProgress = [this, alive](TCustomWinHTTP*, const std::string&, std::int64_t dataSize,
                                         std::int64_t bytesRead, std::int64_t elapsed, std::int64_t,
                                         std::uint8_t, float, THTTPStream*) {
        if (*alive)
            WinHTTPGetRealURLProgress(dataSize, bytesRead, elapsed);
    };
    pageHTTP_.OnDone = [this, alive](TCustomWinHTTP*, const std::string&, std::int64_t, THTTPStream* stream) {
        if (*alive)
            WinHTTPGetRealURLDone(stream);
    };
    pageHTTP_.OnAnyError = [this, alive](TCustomWinHTTP*) {
        if (*alive)
            WinHTTPGetRealURLAnyError();
    };
    pageHTTP_.OnAborted = [this, alive](TCustomWinHTTP*) {
        if (*alive)
            WinHTTPGetRealURLAborted();
    };
    videoHTTP_.OnProgress = [this, alive](TCustomWinHTTP*, const std::string&, std::int64_t dataSize,
                                          std::int64_t bytesRead, std::int64_t elapsed, std::int64_t timeLeft,
                                          std::uint8_t percent, float, THTTPStream*) {
        if (*alive)
            WinHTTPDownloadProgress(dataSize, bytesRead, elapsed, timeLeft, percent);
    };
    videoHTTP_.OnDone = [this, alive](TCustomWinHTTP*, const std::string&, std::int64_t fileSize,
                                      THTTPStream*) {
        if (*alive)
            WinHTTPDownloadDone(fileSize);
    };
    videoHTTP_.OnAnyError = [this, alive](TCustomWinHTTP*) {
        if (*alive)
            WinHTTPDownloadAnyError();
    };
    videoHTTP_.OnAborted = [this, alive](TCustomWinHTTP*) {
        if (*alive)
            WinHTTPDownloadAborted();
    };
}

TDownloadDriver::~TDownloadDriver() {
    *alive_ = false;
    pageHTTP_.Abort(true, false);
    videoHTTP_.Abort(true, false);
    RemovePartFile();
}

void TDownloadDriver::StartRun(const std::vector<std::string>& links, const TDownloadSettings& settings) {
    settings_ = settings;
    service_ = CurrentVideoService();
    run_.Start(links, settings.PreferQuality, settings.Slots, settings.SlotCount);
    running_ = true;
    cancelling_ = false;
    view_.ShowRows(links);
    view_.PostNextRow();
}

void TDownloadDriver::NextRow() {
    if (!running_)
        return;
    if (cancelling_ || !run_.HasCurrentRow()) {
        EndRun(cancelling_);
        return;
    }
    const TDownloadRow& row = run_.Current();
    view_.SetCurrentFile(row.Name);
    pageHTTP_.URL = row.Link;
    pageHTTP_.OutputFileName.clear();
    if (pageHTTP_.Start(false))
        step_ = TStep::Page;
    else
        FailRow("the page transfer could not start");
}

void TDownloadDriver::NextQuality() {
    if (!running_)
        return;
    if (cancelling_) {
        EndRun(true);
        return;
    }
    if (!run_.NextAttempt()) {
        FailRow();
        return;
    }
    view_.SetQuality(run_.NextAttemptText());
    view_.ResetProgress();
    StartAttempt();
}

void TDownloadDriver::Cancel() {
    if (!running_ || cancelling_)
        return;
    cancelling_ = true;
    // Between two steps nothing is running that could report the stop. A transfer that
    // has already ended reports its outcome instead of the abort; either ends the run.
    if (step_ == TStep::Idle)
        EndRun(true);
    else
        (step_ == TStep::Page ? pageHTTP_ : videoHTTP_).Abort(true, false);
}

void TDownloadDriver::WinHTTPGetRealURLProgress(std::int64_t dataSize, std::int64_t bytesRead,
                                                std::int64_t elapsed) {
    TRowUpdate update;
    update.Status = kStatusGettingPage;
    update.SizeBytes = dataSize;
    update.Speed = SpeedText(bytesRead, elapsed);
    UpdateCurrentRow(update);
}

void TDownloadDriver::WinHTTPGetRealURLDone(THTTPStream* stream) {
    step_ = TStep::Idle;
    const std::string page = DecodePageBytes(StreamText(stream));
    run_.PageAnalysed(ExtractTitle(page), BuildDownloadAddress(page, service_.Host));
    const TDownloadRow& row = run_.Current();
    view_.SetRowName(run_.CurrentRow(), row.Name);
    view_.SetCurrentFile(row.Name);
    TRowUpdate update;
    update.Status = kStatusAnalysed;
    update.Address = row.Address;
    UpdateCurrentRow(update);
    view_.ResetProgress();
    if (cancelling_) {
        Advance();
        return;
    }
    run_.FirstAttempt();
    view_.SetQuality(run_.AttemptDescription());
    StartAttempt();
}

void TDownloadDriver::WinHTTPGetRealURLAnyError() {
    step_ = TStep::Idle;
    FailRow("the video page could not be read");
}

void TDownloadDriver::WinHTTPGetRealURLAborted() {
    step_ = TStep::Idle;
    EndRun(true);
}

void TDownloadDriver::WinHTTPDownloadProgress(std::int64_t dataSize, std::int64_t bytesRead,
                                              std::int64_t elapsed, std::int64_t timeLeft, int percent) {
    view_.SetQuality(run_.AttemptDescription());
    TRowUpdate update;
    update.Status = kStatusDownloading;
    update.SizeBytes = dataSize;
    update.TimeLeftSec = timeLeft;
    update.ElapsedSec = elapsed;
    update.Percent = percent;
    update.Speed = SpeedText(bytesRead, elapsed);
    UpdateCurrentRow(update);
}

void TDownloadDriver::WinHTTPDownloadDone(std::int64_t fileSize) {
    step_ = TStep::Idle;
    const std::string writeError = videoHTTP_.OutputFileError();
    if (!writeError.empty()) {
        RemovePartFile();
        FailRow(writeError);
        return;
    }
    const TDownloadRow& row = run_.Current();
    const std::string name =
        DownloadFileName(row.Title.empty() ? std::string() : row.Name, run_.AttemptExtension(), row.Link);
    const TFileResult saved = MoveToFreeName(partFile_, settings_.Folder, name);
    if (!saved.Ok()) {
        RemovePartFile();
        FailRow(saved.Error);
        return;
    }
    partFile_.clear();
    run_.RowSaved(saved.Path);
    // The last progress report may be older than the end of the transfer.
    TRowUpdate update;
    update.Status = kStatusFinished;
    update.SizeBytes = fileSize;
    update.Percent = 100;
    UpdateCurrentRow(update);
    Advance();
}

void TDownloadDriver::WinHTTPDownloadAnyError() {
    step_ = TStep::Idle;
    RemovePartFile();
    const std::string writeError = videoHTTP_.OutputFileError();
    // A video that cannot be written fails in every quality: the row fails at once.
    if (!writeError.empty() || cancelling_ || !settings_.PreferQuality) {
        FailRow(writeError);
        return;
    }
    view_.PostNextQuality();
}

void TDownloadDriver::WinHTTPDownloadAborted() {
    step_ = TStep::Idle;
    RemovePartFile();
    EndRun(true);
}

void TDownloadDriver::StartAttempt() {
    const TFileResult part = CreatePartFile(settings_.Folder);
    if (!part.Ok()) {
        FailRow(part.Error);
        return;
    }
    partFile_ = part.Path;
    videoHTTP_.URL = run_.AttemptAddress();
    videoHTTP_.OutputFileName = partFile_;
    if (videoHTTP_.Start(false)) {
        step_ = TStep::Video;
        return;
    }
    RemovePartFile();
    FailRow("the video transfer could not start");
}

void TDownloadDriver::UpdateCurrentRow(const TRowUpdate& update) {
    if (run_.HasCurrentRow())
        view_.UpdateRow(run_.CurrentRow(), RowUpdateTexts(update));
}

void TDownloadDriver::FailRow(const std::string& reason) {
    if (!reason.empty() && run_.HasCurrentRow())
        view_.Log("Download error: " + run_.Current().Name + ": " + reason);
    TRowUpdate update;
    update.Status = kStatusFailed;
    UpdateCurrentRow(update);
    Advance();
}

void TDownloadDriver::Advance() {
    if (!run_.Advance() || cancelling_) {
        EndRun(cancelling_);
        return;
    }
    view_.PostNextRow();
}

void TDownloadDriver::EndRun(bool cancelled) {
    if (!running_)
        return;
    running_ = false;
    RemovePartFile();
    view_.RunEnded(cancelled);
}

void TDownloadDriver::RemovePartFile() {
    if (partFile_.empty())
        return;
    std::remove(partFile_.c_str());
    partFile_.clear();
}
