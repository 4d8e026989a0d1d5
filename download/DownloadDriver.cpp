#include "download/DownloadDriver.h"

#include "download/DownloadFile.h"
#include "download/PageText.h"
#include "net/WinHTTP.h"
#include "support/MainThread.h"

#include <cstdio>
#include <filesystem>

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
    videoHTTP_.OnHeaderInfo = [this, alive](TCustomWinHTTP*, int status, const std::string&,
                                            const std::string&, const std::string&, const std::string&,
                                            std::int64_t, const std::string&, TDateTime, TDateTime, TDateTime,
                                            const std::string&, bool&) {
        if (*alive)
            videoAnswered_ = status == 200 || status == 206;
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
    RemovePartFiles();
}

void TDownloadDriver::StartRun(const std::vector<std::string>& links, const TDownloadSettings& settings) {
    settings_ = settings;
    service_ = CurrentVideoService();
    resolver_ = CurrentVideoResolver();
    ++runSerial_;
    run_.Start(links, settings.PreferQuality, settings.Slots, settings.SlotCount);
    running_ = true;
    cancelling_ = false;
    view_.ShowRows(links);
    view_.Log(ResolverLogLine(resolver_));
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
    if (resolver_.External()) {
        TRowUpdate update;
        update.Status = kStatusGettingPage;
        UpdateCurrentRow(update);
        if (resolverProcess_.Start(ResolverCommand(resolver_, row.Link), settings_.ResolverTimeout,
                                   [this](const TChildOutcome& outcome) { ResolverDone(outcome); }))
            step_ = TStep::Resolve;
        else
            FailRow("the resolver could not start");
        return;
    }
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
    switch (step_) {
    case TStep::Idle:
        EndRun(true);
        break;
    case TStep::Page:
        pageHTTP_.Abort(true, false);
        break;
    case TStep::Resolve:
        resolverProcess_.Cancel();
        break;
    case TStep::Video:
        videoHTTP_.Abort(true, false);
        break;
    case TStep::Join:
        join_.Cancel();
        break;
    }
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
    RowAnalysed(ExtractTitle(page), BuildDownloadAddress(page, service_.Host));
}

void TDownloadDriver::ResolverDone(const TChildOutcome& outcome) {
    step_ = TStep::Idle;
    if (outcome.Cancelled) {
        EndRun(true);
        return;
    }
    if (!outcome.Ok()) {
        FailRow(outcome.Error);
        return;
    }
    TVideoInfoResult answer = ReadVideoInfo(outcome.Output);
    if (!answer.Ok()) {
        FailRow(answer.Error);
        return;
    }
    info_ = std::move(answer.Info);
    RowAnalysed(info_.Title, {});
}

void TDownloadDriver::RowAnalysed(const std::string& title, const std::string& address) {
    run_.PageAnalysed(title, address);
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
    // An error answer's body (a 404 page) is no part of the video: the row shows no progress for it.
    if (!videoAnswered_)
        return;
    // The parts of a joined quality show as one download.
    partElapsedSec_ = elapsed;
    TRowUpdate update;
    update.Status = kStatusDownloading;
    update.SizeBytes = partsBytes_ + dataSize;
    update.TimeLeftSec = timeLeft;
    update.ElapsedSec = partsElapsedSec_ + elapsed;
    update.Percent = partsBytes_ > 0 && update.SizeBytes > 0
                         ? static_cast<int>((partsBytes_ + bytesRead) * 100 / update.SizeBytes)
                         : percent;
    update.Speed = SpeedText(partsBytes_ + bytesRead, update.ElapsedSec);
    UpdateCurrentRow(update);
}

void TDownloadDriver::WinHTTPDownloadDone(std::int64_t fileSize) {
    step_ = TStep::Idle;
    const std::string writeError = videoHTTP_.OutputFileError();
    if (!writeError.empty()) {
        RemovePartFiles();
        FailRow(writeError);
        return;
    }
    partsBytes_ += fileSize;
    partsElapsedSec_ += partElapsedSec_;
    partElapsedSec_ = 0;
    if (partFiles_.size() < plan_.Parts.size()) {
        if (cancelling_) {
            EndRun(true);
            return;
        }
        // The component takes its next start once this event has returned.
        MainThread::Post([this, alive = alive_, serial = runSerial_] {
            if (*alive && running_ && serial == runSerial_)
                StartPart();
        });
        return;
    }
    if (plan_.Joined())
        StartJoin();
    else
        SaveVideo(partsBytes_);
}

void TDownloadDriver::StartJoin() {
    if (cancelling_) {
        EndRun(true);
        return;
    }
    const TFileResult output = CreatePartFile(settings_.Folder);
    if (!output.Ok()) {
        RemovePartFiles();
        FailRow(output.Error);
        return;
    }
    partFiles_.push_back(output.Path);
    std::string error;
    // The container is named by the quality's extension: ".mp4" is the "mp4" muxer.
    if (join_.Start(
            partFiles_[0], partFiles_[1], output.Path, plan_.Extension.substr(1),
            [this](const std::string& joinError) { JoinDone(joinError); }, error)) {
        step_ = TStep::Join;
        return;
    }
    RemovePartFiles();
    FailRow("the video and audio could not be joined: " + error);
}

void TDownloadDriver::JoinDone(const std::string& error) {
    step_ = TStep::Idle;
    if (cancelling_) {
        EndRun(true);
        return;
    }
    if (!error.empty()) {
        RemovePartFiles();
        FailRow("the video and audio could not be joined: " + error);
        return;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(partFiles_.back(), ec);
    SaveVideo(ec ? partsBytes_ : static_cast<std::int64_t>(size));
}

void TDownloadDriver::SaveVideo(std::int64_t fileSize) {
    const TDownloadRow& row = run_.Current();
    const std::string name =
        DownloadFileName(row.Title.empty() ? std::string() : row.Name, plan_.Extension, row.Link);
    const TFileResult saved = MoveToFreeName(partFiles_.back(), settings_.Folder, name);
    if (!saved.Ok()) {
        RemovePartFiles();
        FailRow(saved.Error);
        return;
    }
    partFiles_.pop_back();
    RemovePartFiles();
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
    RemovePartFiles();
    const std::string writeError = videoHTTP_.OutputFileError();
    // A video that cannot be written fails in every quality: the row fails at once.
    if (!writeError.empty()) {
        FailRow(writeError);
        return;
    }
    AttemptFailed();
}

void TDownloadDriver::AttemptFailed() {
    if (cancelling_ || !settings_.PreferQuality) {
        FailRow();
        return;
    }
    view_.PostNextQuality();
}

void TDownloadDriver::WinHTTPDownloadAborted() {
    step_ = TStep::Idle;
    RemovePartFiles();
    EndRun(true);
}

void TDownloadDriver::StartAttempt() {
    partsBytes_ = 0;
    partsElapsedSec_ = 0;
    partElapsedSec_ = 0;
    if (!resolver_.External()) {
        TVideoFormat page;
        page.Url = run_.AttemptAddress();
        plan_ = {{page}, std::string(run_.AttemptExtension()), {}};
        StartPart();
        return;
    }
    plan_ = ChooseFormats(info_, AttemptCode(settings_.Slots, run_.Attempt()));
    if (!plan_.Error.empty()) {
        FailRow(plan_.Error);
        return;
    }
    // A quality the service does not offer fails at once, as a failed download would.
    if (!plan_.Offered()) {
        if (settings_.PreferQuality)
            AttemptFailed();
        else
            FailRow("no offered format holds both video and audio");
        return;
    }
    StartPart();
}

void TDownloadDriver::StartPart() {
    const TVideoFormat& part = plan_.Parts[partFiles_.size()];
    const TFileResult file = CreatePartFile(settings_.Folder);
    if (!file.Ok()) {
        RemovePartFiles();
        FailRow(file.Error);
        return;
    }
    partFiles_.push_back(file.Path);
    if (resolver_.External()) {
        TRowUpdate update;
        update.Address = part.Url;
        UpdateCurrentRow(update);
    }
    videoHTTP_.URL = part.Url;
    videoHTTP_.AddHeaders = part.Headers;
    videoHTTP_.OutputFileName = file.Path;
    videoAnswered_ = false;
    if (videoHTTP_.Start(false)) {
        step_ = TStep::Video;
        return;
    }
    RemovePartFiles();
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
    RemovePartFiles();
    view_.RunEnded(cancelled);
}

void TDownloadDriver::RemovePartFiles() {
    for (const std::string& file : partFiles_)
        std::remove(file.c_str());
    partFiles_.clear();
}
