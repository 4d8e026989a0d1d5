#pragma once

#include "convert/FormatCatalog.h"

#include <string>

struct TOutputOptions;

// The codec threads of a preset's video encoder, for TOutputOptions::VideoThreads:
// -1 (the task's threads) where threading leaves the stream fit for the players the
// preset is made for, else 1.
int VideoEncoderThreads(TFormatId format, int preset, const TOutputOptions& options);

// The log line that names a run's codec threads: "Codec threads: 4", or for automatic
// threads "Codec threads: automatic (8 processor cores)".
std::string CodecThreadsText(int threads);
