#pragma once

#include "cli/CommandLine.h"

#include <optional>
#include <string>

// The folder a command writes into, as named on its command line.
struct TOutputFolder {
    std::string Path; // absolute, ending in the path separator
    bool Exists = false;
};

// The folder named by dir (empty: the current folder), checked without writing anything:
// an existing one must be a writable folder, a missing one creatable in its nearest
// existing parent. Empty with the reason in error otherwise.
std::optional<TOutputFolder> CheckOutputFolder(const std::string& dir, TUsageError& error);

// Creates the folder when it does not exist yet; false with the reason in error.
bool MakeOutputFolder(const TOutputFolder& folder, TUsageError& error);
