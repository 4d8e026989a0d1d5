#pragma once

#include "cli/ConvertRequest.h"
#include "cli/TerminalProgress.h"
#include "convert/ConversionQueue.h"
#include "convert/ConversionRun.h"
#include "engine/FFEncodeRecords.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class TFFEncoder;

// One conversion run from the command line: adds the files as the input list does
// (refusing those that cannot be opened), queues the tasks as the window's run does,
// runs them while pumping the main-thread queue, shows status and progress, stops on
// Ctrl+C and prints the summary.
class TConvertCommand {
public:
    TConvertCommand(TFFEncoder& encoder, TConvertRequest request, TTerminalProgress& progress);
    ~TConvertCommand();
    TConvertCommand(const TConvertCommand&) = delete;
    TConvertCommand& operator=(const TConvertCommand&) = delete;

    // Returns the exit status: exSuccess only when every file converted.
    int Run();

private:
    struct TTaskView {
        std::string Name; // what the status lines call the task
        std::string OutputFile;
        int64_t OutputUs = 0; // produced so far while running
        bool Started = false;
        bool Ended = false;
        bool Completed = false;
    };

    std::vector<TRunInput> AddFiles();
    void Queue(const std::vector<TRunInput>& inputs);
    void RunTasks();
    void Progress(const TProgressInfo& info);
    void TaskEnded(int taskIndex, bool completed);
    void ShowOverall();
    int Summary();

    TFFEncoder& encoder_;
    const TConvertRequest request_;
    TTerminalProgress& progress_;
    TConversionRun run_;
    std::vector<TTaskView> tasks_;      // by task index; main thread
    std::vector<std::string> refused_;  // reasons of inputs left out; main thread
    std::atomic<bool> runEnded_{false}; // set on the main thread by the run-end call
    bool stopped_ = false;
    int shownPercent_ = 0; // the overall bar never moves back; main thread
};
