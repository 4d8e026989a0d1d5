#pragma once

#include "convert/OutputSelection.h"
#include "engine/FFEncodeRecords.h"

#include <optional>
#include <string>

// Facts of the input file the probe decoder has open, as the settings need them.
struct TOpenInput {
    std::string FileName;   // the decoder's FileName
    std::string FormatName; // the decoder's FormatName; empty lets the engine detect it
    int AudioBitRate = -1;  // BitRate of the first audio stream, bits/s; -1 without one
};

class TCustomDecoder;

// The facts of the file the probe decoder has loaded.
TOpenInput OpenInputOf(TCustomDecoder& decoder);

// Everything a conversion task needs from the user's choice.
struct TEncoderSettings {
    TInputOptions InputOptions; // normal mode only; join mode uses fresh records per input
    TOutputOptions OutputOptions;
    std::string OutputFileName; // full path: the folder plus a name that does not exist yet
};

// Output name of a join-mode run, before the format's extension.
inline constexpr const char* kJoinOutputName = "Output_Merge";

// Normal mode: the settings for one open input file. Empty when every numbered variant
// of the output name already exists in the output folder, so nothing is overwritten.
std::optional<TEncoderSettings> MakeEncoderSettings(const TOutputSelection& selection,
                                                    const TOpenInput& input);

// Join mode: one output for all inputs, named "Output_Merge" plus the format's extension.
// OutputFileName goes to SetOutputFile; the record's FileName and FileExt stay empty.
std::optional<TEncoderSettings> MakeJoinSettings(const TOutputSelection& selection);
