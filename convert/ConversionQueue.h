#pragma once

#include "convert/ConversionRun.h"
#include "convert/OutputSelection.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TFFEncoder;

// One input of a run: its path and the duration the probe reported when it was added
// (microseconds, -1 when none).
struct TRunInput {
    std::string Path;
    int64_t DurationUs = -1;
};

// An input that made it into the encoder's task list.
struct TQueuedFile {
    int InputIndex = -1; // position in the run's inputs
    int TaskIndex = -1;
    std::string OutputFileName; // full path
    int64_t DurationUs = -1;    // -1 when unknown
};

// What the queueing logs for each input it adds; every other line is a refusal
// ("File load error: ...", "Adding file error: ...", "Cannot do convert, error: ...").
inline constexpr const char* kAddedToListMessage = "File has been added to convert list.";

// Receives the queueing messages.
using TQueueLog = std::function<void(const std::string&)>;

// Normal mode: probes each input with the encoder's probe decoder, makes its settings
// and queues one task with its output. Inputs that cannot be opened or queued are
// logged and left out. The run's queue starts afresh and gets one task per queued file.
std::vector<TQueuedFile> QueueConversionTasks(TFFEncoder& encoder, const TOutputSelection& selection,
                                              const std::vector<TRunInput>& inputs, TConversionRun& run,
                                              const TQueueLog& log);

// Join mode: every input that opens becomes an input of task 0, whose one output is
// "Output_Merge" with the format's extension. Nothing is queued (an empty result) when
// no input opens or the output cannot be set.
std::vector<TQueuedFile> QueueJoinTask(TFFEncoder& encoder, const TOutputSelection& selection,
                                       const std::vector<TRunInput>& inputs, TConversionRun& run,
                                       const TQueueLog& log);
