#include "cli/TerminalProgress.h"

#include <ostream>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kPlainInterval = std::chrono::seconds(1);

} // namespace

TTerminalProgress::TTerminalProgress(std::ostream& out, std::ostream& err, bool terminal)
    : out_(out), err_(err), terminal_(terminal) {}

void TTerminalProgress::Message(const std::string& line) {
    Write(out_, line);
}

void TTerminalProgress::Error(const std::string& line) {
    Write(err_, line);
}

void TTerminalProgress::FileStatus(int index, int count, const std::string& name, const std::string& status) {
    Write(out_, "[" + std::to_string(index + 1) + "/" + std::to_string(count) + "] " + name + ": " + status);
}

void TTerminalProgress::Write(std::ostream& stream, const std::string& line) {
    ClearBar();
    stream << line << std::endl;
    DrawBar();
}

void TTerminalProgress::Overall(int percent, const std::optional<TTimeEstimate>& figures) {
    if (figures)
        estimate_ = figures;
    std::string text;
    if (estimate_)
        text = "  Elapsed time: " + FormatClockText(estimate_->ElapsedSec) +
               "  Time left: " + FormatClockText(estimate_->LeftSec);
    Bar("Overall Progress", percent, text);
}

void TTerminalProgress::Bar(const std::string& label, int percent, const std::string& figures) {
    const bool moved = percent != percent_;
    percent_ = percent;
    label_ = label;
    figures_ = figures;
    if (terminal_) {
        DrawBar();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (moved && (percent == 100 || now - lastPlain_ >= kPlainInterval)) {
        lastPlain_ = now;
        out_ << label_ << ": " << percent_ << "%" << figures_ << std::endl;
    }
}

void TTerminalProgress::Finish() {
    if (terminal_ && barShown_) {
        out_ << "\n" << std::flush;
        barShown_ = false;
    }
    percent_ = -1;
}

void TTerminalProgress::ClearBar() {
    if (terminal_ && barShown_) {
        out_ << "\r\033[K" << std::flush;
        barShown_ = false;
    }
}

void TTerminalProgress::DrawBar() {
    if (!terminal_ || percent_ < 0)
        return;
    const int filled = percent_ * kBarWidth / 100;
    out_ << "\r\033[K" << label_ << ": [" << std::string(filled, '#') << std::string(kBarWidth - filled, '-')
         << "] " << percent_ << "%" << figures_ << std::flush;
    barShown_ = true;
}
