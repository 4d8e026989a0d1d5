#pragma once

#include "cli/DownloadRequest.h"
#include "cli/TerminalProgress.h"
#include "download/DownloadDriver.h"

#include <memory>
#include <string>
#include <vector>

// Held by pointer: the HTTP component's header and the engine's both name a
// TThreadPriority, and main.cpp sees the engine's.
class TWinHTTP;

// One download run from the command line: checks the links as the link page does,
// runs the rest through the download core while pumping the main-thread queue, shows
// each row's status, quality and progress, stops on Ctrl+C and prints the summary.
class TDownloadCommand : public IDownloadView {
public:
    TDownloadCommand(const TDownloadRequest& request, TTerminalProgress& progress);
    ~TDownloadCommand() override;
    TDownloadCommand(const TDownloadCommand&) = delete;
    TDownloadCommand& operator=(const TDownloadCommand&) = delete;

    // Returns the exit status: exSuccess only when every link was saved.
    int Run();
    // Full paths of the saved videos, in download order.
    const std::vector<std::string>& SavedFiles() const { return driver_.Run().DownloadedFiles(); }

    void ShowRows(const std::vector<std::string>& links) override;
    void UpdateRow(int row, const TRowTexts& texts) override;
    void SetRowName(int row, const std::string& name) override;
    void SetCurrentFile(const std::string&) override {}
    void SetQuality(const std::string& text) override;
    void ResetProgress() override;
    void PostNextRow() override;
    void PostNextQuality() override;
    void RunEnded(bool cancelled) override;
    void Log(const std::string& line) override;

private:
    std::vector<std::string> AcceptedLinks();
    void RowLine(int row, const std::string& text);
    void ShowTransfer(const TRowTexts& texts);
    int Summary();

    const TDownloadRequest& request_;
    TTerminalProgress& progress_;
    std::unique_ptr<TWinHTTP> pageHTTP_;
    std::unique_ptr<TWinHTTP> videoHTTP_;
    TDownloadDriver driver_; // after the components it drives
    std::vector<std::string> refused_;
    std::vector<std::string> names_; // each row's name as last shown
    std::string status_;             // the current row's last status
    std::string quality_;            // the current row's last quality text
    TRowTexts transfer_;             // the figures of the transfer in progress
    bool ended_ = false;
    bool cancelled_ = false;
};
