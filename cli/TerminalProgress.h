#pragma once

#include "convert/ConversionRun.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>

// What a run shows while it goes: message lines, per-file status lines and one progress
// line. On a terminal the progress is a bar redrawn in place below the lines; otherwise
// it is a plain line whenever the percentage moves (at most about once a second), so logs
// and pipes stay readable.
class TTerminalProgress {
public:
    TTerminalProgress(std::ostream& out, std::ostream& err, bool terminal);

    void Message(const std::string& line);
    void Error(const std::string& line);
    // "[2/5] clip.mp4: Converting..."
    void FileStatus(int index, int count, const std::string& name, const std::string& status);
    // percent: 0 to 100; figures: the run's time estimate when there is one.
    void Overall(int percent, const std::optional<TTimeEstimate>& figures);
    // "label: [####----] percent%" followed by figures.
    void Bar(const std::string& label, int percent, const std::string& figures);
    // The run (or the bar's part of it) is over: the bar's last state stays as a plain line.
    void Finish();

private:
    void Write(std::ostream& stream, const std::string& line);
    void ClearBar();
    void DrawBar();

    std::ostream& out_;
    std::ostream& err_;
    const bool terminal_;
    bool barShown_ = false;
    int percent_ = -1;
    std::string label_;
    std::string figures_;
    std::optional<TTimeEstimate> estimate_; // Overall's last one
    std::chrono::steady_clock::time_point lastPlain_{};
};
