#pragma once

#include <optional>
#include <string>
#include <vector>

// Exit status of the program.
enum TExitCode : int { exSuccess = 0, exFailed = 1, exUsage = 2, exStopped = 130 };

// What the user asked for on the command line.
enum class TCliCommand { Help, Formats, Probe, Convert, Download };

struct TCommandLine {
    TCliCommand Command = TCliCommand::Help;
    bool Json = false;                 // probe --json
    std::string Format;                // convert --format NAME, download --convert NAME
    std::optional<int> Preset;         // --preset N; empty: the format's default
    std::string OutputDir;             // --out DIR; empty: the current folder
    bool Join = false;                 // convert --join
    int Parallel = 1;                  // convert --parallel N
    int Threads = 0;                   // convert --threads N; 0: automatic
    bool DefaultQuality = false;       // download --default-quality
    std::optional<std::string> Prefer; // download --prefer N,N,...
    std::vector<std::string> Files;    // download: the links
};

// A command line the program cannot act on; the text says why.
struct TUsageError {
    std::string Message;
};

// Parses argv[1..]; the result or the reason it is not a valid command line.
// Only the form of the line is checked here; names and files are checked later.
std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args, TUsageError& error);

// The help text.
std::string UsageText();
