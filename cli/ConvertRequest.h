#pragma once

#include "cli/CommandLine.h"
#include "cli/OutputFolder.h"
#include "convert/FormatCatalog.h"
#include "convert/OutputSelection.h"

#include <optional>
#include <string>
#include <vector>

// A convert command line checked against the catalogue and the file system.
struct TConvertRequest {
    const TFormatInfo* Format = nullptr;
    int Preset = 0;
    TOutputFolder Output;
    bool Join = false;
    int Parallel = 1;
    int Threads = 0; // codec threads of each task; 0: automatic
    std::vector<std::string> Files;

    // The choice as the format page would have stored it.
    TOutputSelection Selection() const;
};

// The format whose name matches (any letter case); nullptr when none does.
const TFormatInfo* FindFormatByName(const std::string& name);

// Checks the format name, the preset index, every input file and the output folder,
// without writing anything. Empty with the reason in error when one of them is wrong.
std::optional<TConvertRequest> CheckConvertRequest(const TCommandLine& line, TUsageError& error);
