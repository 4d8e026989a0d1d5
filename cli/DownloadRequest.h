#pragma once

#include "cli/CommandLine.h"
#include "cli/ConvertRequest.h"
#include "cli/OutputFolder.h"
#include "download/DownloadDriver.h"

#include <optional>
#include <string>
#include <vector>

// A download command line checked without fetching or writing anything: the qualities,
// the output folder and the conversion that follows. The links themselves are checked
// by the run, as the link page does.
struct TDownloadRequest {
    TOutputFolder Output;
    TDownloadSettings Settings; // Folder is Output's
    std::vector<std::string> Links;
    std::optional<TConvertRequest> Convert; // --convert: the saved files' conversion, no files yet
};

// The priority list of "--prefer 37,22,18": one to eight distinct numbers of the quality
// table, tried in the order given. False with the reason in error.
bool ParseQualityOrder(const std::string& text, TDownloadSettings& settings, TUsageError& error);

std::optional<TDownloadRequest> CheckDownloadRequest(const TCommandLine& line, TUsageError& error);
