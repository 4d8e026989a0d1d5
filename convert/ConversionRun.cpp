#include "convert/ConversionRun.h"

#include <cmath>
#include <cstdio>

int TaskPosition(int64_t outputUs, int64_t totalUs) {
    if (totalUs <= 0)
        return -1;
    return static_cast<int>(outputUs * 100 / totalUs);
}

std::string FormatClockText(double seconds) {
    constexpr int64_t kDay = 24 * 3600;
    const int64_t whole = std::isfinite(seconds) && seconds > 0 ? static_cast<int64_t>(seconds) % kDay : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", static_cast<int>(whole / 3600),
                  static_cast<int>(whole / 60 % 60), static_cast<int>(whole % 60));
    return text;
}

void TConversionRun::BeginQueue() {
    std::lock_guard g(lock_);
    taskDurationsUs_.clear();
    totalDurationUs_ = 0;
}

void TConversionRun::AddTask(int64_t durationUs) {
    std::lock_guard g(lock_);
    const int64_t known = durationUs > 0 ? durationUs : 0;
    taskDurationsUs_.push_back(known);
    totalDurationUs_ += known;
}

void TConversionRun::AddJoinInput(int64_t durationUs) {
    std::lock_guard g(lock_);
    const int64_t known = durationUs > 0 ? durationUs : 0;
    if (taskDurationsUs_.empty())
        taskDurationsUs_.push_back(0);
    taskDurationsUs_.front() += known;
    totalDurationUs_ += known;
}

void TConversionRun::SetTotalFiles(int files) {
    std::lock_guard g(lock_);
    totalFiles_ = files;
}

void TConversionRun::Start(Clock::time_point now) {
    std::lock_guard g(lock_);
    abandoned_ = false;
    errors_.clear();
    succeeded_ = 0;
    terminated_ = 0;
    finishedDurationUs_ = 0;
    start_ = now;
}

void TConversionRun::TaskEnded(int taskIndex, bool completed, bool failed, const std::string& errorMessage) {
    {
        std::lock_guard g(lock_);
        if (completed) {
            ++succeeded_;
            // The task's own input: indices of refused inputs never reach the task list.
            if (taskIndex >= 0 && taskIndex < static_cast<int>(taskDurationsUs_.size()))
                finishedDurationUs_ += taskDurationsUs_[taskIndex];
        }
        ++terminated_;
        if (failed)
            errors_.push_back("File (" + std::to_string(taskIndex) + "): " + errorMessage);
    }
    counted_.notify_all();
}

bool TConversionRun::WaitAllCounted(int taskCount) {
    std::unique_lock g(lock_);
    counted_.wait(g, [&] { return abandoned_ || terminated_ >= taskCount; });
    return terminated_ >= taskCount;
}

void TConversionRun::Abandon() {
    {
        std::lock_guard g(lock_);
        abandoned_ = true;
    }
    counted_.notify_all();
}

std::optional<TTimeEstimate> TConversionRun::Estimate(int64_t outputUs, Clock::time_point now) const {
    std::lock_guard g(lock_);
    const double done = static_cast<double>(finishedDurationUs_ + outputUs);
    if (done <= 0)
        return std::nullopt;
    TTimeEstimate figures;
    figures.ElapsedSec = std::chrono::duration<double>(now - start_).count();
    figures.EstimatedSec = static_cast<double>(totalDurationUs_) * figures.ElapsedSec / done;
    figures.LeftSec = figures.EstimatedSec - figures.ElapsedSec;
    return figures;
}

int TConversionRun::OverallPosition(int64_t outputUs) const {
    std::lock_guard g(lock_);
    return TaskPosition(finishedDurationUs_ + outputUs, totalDurationUs_);
}

int TConversionRun::QueuedTasks() const {
    std::lock_guard g(lock_);
    return static_cast<int>(taskDurationsUs_.size());
}

int TConversionRun::TotalFiles() const {
    std::lock_guard g(lock_);
    return totalFiles_;
}

int TConversionRun::Succeeded() const {
    std::lock_guard g(lock_);
    return succeeded_;
}

int TConversionRun::Terminated() const {
    std::lock_guard g(lock_);
    return terminated_;
}

int64_t TConversionRun::TotalDurationUs() const {
    std::lock_guard g(lock_);
    return totalDurationUs_;
}

int64_t TConversionRun::FinishedDurationUs() const {
    std::lock_guard g(lock_);
    return finishedDurationUs_;
}

TConversionRun::Clock::time_point TConversionRun::StartTime() const {
    std::lock_guard g(lock_);
    return start_;
}

std::vector<std::string> TConversionRun::ErrorList() const {
    std::lock_guard g(lock_);
    return errors_;
}
