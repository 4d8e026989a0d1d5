#include "cli/DownloadCommand.h"

#include "cli/CommandLine.h"
#include "cli/StopSignal.h"
#include "download/LinkList.h"
#include "net/WinHTTP.h"
#include "support/MainThread.h"

#include <chrono>

namespace {

// How soon Ctrl+C reaches the transfer.
constexpr auto kLoopSlice = std::chrono::milliseconds(50);

template <typename T> void take(std::optional<T>& target, const std::optional<T>& value) {
    if (value)
        target = value;
}

} // namespace

TDownloadCommand::TDownloadCommand(const TDownloadRequest& request, TTerminalProgress& progress)
    : request_(request), progress_(progress), pageHTTP_(std::make_unique<TWinHTTP>()),
      videoHTTP_(std::make_unique<TWinHTTP>()), driver_(*pageHTTP_, *videoHTTP_, *this) {}

TDownloadCommand::~TDownloadCommand() = default;

int TDownloadCommand::Run() {
    const std::vector<std::string> links = AcceptedLinks();
    if (!links.empty()) {
        driver_.StartRun(links, request_.Settings);
        bool stopping = false;
        while (!ended_) {
            MainThread::WaitAndProcess(kLoopSlice);
            if (StopRequested() && !stopping) {
                stopping = true;
                driver_.Cancel();
            }
        }
        // A step asked for just before the end finds the run over.
        MainThread::ProcessPending();
    }
    progress_.Finish();
    return Summary();
}

std::vector<std::string> TDownloadCommand::AcceptedLinks() {
    const TVideoService service = CurrentVideoService();
    std::vector<std::string> accepted;
    for (const std::string& link : request_.Links) {
        const TLinkVerdict verdict = CheckNewLink(accepted, link, service);
        if (verdict == TLinkVerdict::Add) {
            accepted.push_back(link);
            continue;
        }
        refused_.push_back(link + ": " + std::string(LinkVerdictText(verdict)));
        progress_.Error(refused_.back());
    }
    return accepted;
}

void TDownloadCommand::ShowRows(const std::vector<std::string>& links) {
    names_ = links;
}

void TDownloadCommand::UpdateRow(int row, const TRowTexts& texts) {
    if (texts.Status && *texts.Status != status_) {
        status_ = *texts.Status;
        std::string line = status_;
        if (status_ == kStatusFinished && !SavedFiles().empty())
            line += " -> " + SavedFiles().back();
        RowLine(row, line);
    }
    if (texts.Status == kStatusDownloading)
        ShowTransfer(texts);
}

void TDownloadCommand::SetRowName(int row, const std::string& name) {
    names_.at(static_cast<std::size_t>(row)) = name;
}

void TDownloadCommand::SetQuality(const std::string& text) {
    if (text == quality_)
        return;
    quality_ = text;
    RowLine(driver_.Run().CurrentRow(), "Quality: " + text);
}

void TDownloadCommand::ResetProgress() {
    progress_.Finish();
    transfer_ = {};
}

void TDownloadCommand::PostNextRow() {
    MainThread::Post([this] {
        status_.clear();
        quality_.clear();
        transfer_ = {};
        driver_.NextRow();
    });
}

void TDownloadCommand::PostNextQuality() {
    MainThread::Post([this] { driver_.NextQuality(); });
}

void TDownloadCommand::RunEnded(bool cancelled) {
    ended_ = true;
    cancelled_ = cancelled;
}

void TDownloadCommand::Log(const std::string& line) {
    progress_.Error(line);
}

// A row's line ends the progress bar of what came before it.
void TDownloadCommand::RowLine(int row, const std::string& text) {
    progress_.Finish();
    progress_.FileStatus(row, static_cast<int>(names_.size()), names_.at(static_cast<std::size_t>(row)),
                         text);
}

void TDownloadCommand::ShowTransfer(const TRowTexts& texts) {
    take(transfer_.Size, texts.Size);
    take(transfer_.Speed, texts.Speed);
    take(transfer_.Percent, texts.Percent);
    take(transfer_.TimeLeft, texts.TimeLeft);
    std::string figures;
    if (transfer_.Size)
        figures += "  Size: " + *transfer_.Size;
    if (transfer_.Speed)
        figures += "  Speed: " + *transfer_.Speed;
    if (transfer_.TimeLeft)
        figures += "  Time left: " + *transfer_.TimeLeft;
    progress_.Bar("Progress", transfer_.Percent.value_or(0), figures);
}

int TDownloadCommand::Summary() {
    const TDownloadRun& run = driver_.Run();
    const bool stopped = cancelled_ || StopRequested();
    if (stopped)
        progress_.Error("Download stopped by the user.");
    progress_.Message("Total files: " + std::to_string(run.Total()));
    progress_.Message("Succeeded: " + std::to_string(run.Succeeded()));
    progress_.Message("Failed: " + std::to_string(run.Failed()));
    if (!refused_.empty())
        progress_.Message("Refused: " + std::to_string(refused_.size()));
    for (const std::string& path : SavedFiles())
        progress_.Message("Saved: " + path);
    if (stopped)
        return exStopped;
    return run.Total() > 0 && run.Failed() == 0 && refused_.empty() ? exSuccess : exFailed;
}
