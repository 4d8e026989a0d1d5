#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The run's three time figures, in seconds.
struct TTimeEstimate {
    double EstimatedSec = 0; // whole run
    double ElapsedSec = 0;
    double LeftSec = 0;
};

// Percent of a task done: output time * 100 div total time; -1 when the total is unknown.
int TaskPosition(int64_t outputUs, int64_t totalUs);

// A span shown as a time of day, "h:nn:ss"; a day or more wraps, a negative span shows 0:00:00.
std::string FormatClockText(double seconds);

// State of one conversion run: the queued tasks with their own input durations, the
// counters of ended tasks and the error lines. Queueing and the figures are used on
// the main thread; task ends arrive on the encoder's notifier threads and are counted
// one at a time under the run's lock.
class TConversionRun {
public:
    using Clock = std::chrono::steady_clock;

    // Forgets the previous run's tasks and durations.
    void BeginQueue();
    // A queued task of one input; durationUs < 0 (unknown) adds nothing to the totals.
    void AddTask(int64_t durationUs);
    // Join mode: one more input of the single task 0.
    void AddJoinInput(int64_t durationUs);
    void SetTotalFiles(int files);
    // Clears the counters and the error list and records the start.
    void Start(Clock::time_point now);

    // A task's end. Completed: succeeded + 1 and its input's duration counts as done;
    // failed: an error line "File (i): message". Thread-safe.
    void TaskEnded(int taskIndex, bool completed, bool failed, const std::string& errorMessage);
    // Blocks until at least taskCount task ends have been counted; false when the run
    // was abandoned meanwhile.
    bool WaitAllCounted(int taskCount);
    // No more task ends will be counted (the window stops listening): releases the wait.
    void Abandon();

    // Time figures for a progress report of outputUs produced by the running task;
    // empty while nothing is done yet (the estimate would divide by zero).
    std::optional<TTimeEstimate> Estimate(int64_t outputUs, Clock::time_point now) const;

    // Percent of the whole run done when the running task has produced outputUs: the
    // finished tasks' durations and that output against the run's total; -1 when the
    // total is unknown.
    int OverallPosition(int64_t outputUs) const;

    int QueuedTasks() const;
    int TotalFiles() const;
    int Succeeded() const;
    int Terminated() const;
    int64_t TotalDurationUs() const;
    int64_t FinishedDurationUs() const;
    Clock::time_point StartTime() const;
    std::vector<std::string> ErrorList() const;

private:
    mutable std::mutex lock_; // guards every field below
    std::condition_variable counted_;
    std::vector<int64_t> taskDurationsUs_; // by task index; 0 when unknown
    int64_t totalDurationUs_ = 0;
    int64_t finishedDurationUs_ = 0;
    int totalFiles_ = 0;
    int succeeded_ = 0;
    int terminated_ = 0;
    bool abandoned_ = false;
    Clock::time_point start_{};
    std::vector<std::string> errors_;
};
