// mediawiz-cli: the converter's formats, probe and conversion run, and the video
// download, without the window.

#include "cli/CommandLine.h"
#include "cli/ConvertCommand.h"
#include "cli/ConvertRequest.h"
#include "cli/DownloadCommand.h"
#include "cli/DownloadRequest.h"
#include "cli/EngineSession.h"
#include "cli/FormatsCommand.h"
#include "cli/ProbeCommand.h"
#include "cli/StopSignal.h"
#include "cli/TerminalProgress.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int usageError(const std::string& message) {
    std::cerr << "mediawiz-cli: " << message << "\n" << UsageText();
    return exUsage;
}

// Loads the engine's libraries; false after telling why.
bool loadEngine(TEngineSession& engine) {
    if (engine.Load())
        return true;
    std::cerr << "mediawiz-cli: cannot load the media libraries: " << engine.LastErrMsg() << "\n";
    return false;
}

TTerminalProgress terminalProgress() {
    return TTerminalProgress(std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1);
}

// The conversion run of a checked request, into a folder that exists.
int convertFiles(TConvertRequest request, TTerminalProgress& progress) {
    TEngineSession engine;
    if (!loadEngine(engine))
        return exFailed;
    engine.SetLogSink([&progress](const std::string& logLine) { progress.Error(logLine); });
    TConvertCommand command(engine.Encoder(), std::move(request), progress);
    return command.Run();
}

int convert(const TCommandLine& line) {
    TUsageError error;
    std::optional<TConvertRequest> request = CheckConvertRequest(line, error);
    if (!request)
        return usageError(error.Message);
    if (!MakeOutputFolder(request->Output, error))
        return usageError(error.Message);
    InstallStopSignal();
    TTerminalProgress progress = terminalProgress();
    return convertFiles(std::move(*request), progress);
}

// The media libraries are loaded only when the saved videos are to be converted.
int download(const TCommandLine& line) {
    TUsageError error;
    std::optional<TDownloadRequest> request = CheckDownloadRequest(line, error);
    if (!request)
        return usageError(error.Message);
    if (!MakeOutputFolder(request->Output, error))
        return usageError(error.Message);
    InstallStopSignal();
    TTerminalProgress progress = terminalProgress();
    std::vector<std::string> saved;
    int status = exSuccess;
    {
        TDownloadCommand command(*request, progress);
        status = command.Run();
        saved = command.SavedFiles();
    }
    if (!request->Convert || status == exStopped)
        return status;
    if (saved.empty()) {
        progress.Error("No file downloaded! Please try again.");
        return exFailed;
    }
    TConvertRequest conversion = std::move(*request->Convert);
    conversion.Files = std::move(saved);
    const int converted = convertFiles(std::move(conversion), progress);
    return converted == exSuccess ? status : converted;
}

int probe(const TCommandLine& line) {
    TEngineSession engine;
    if (!loadEngine(engine))
        return exFailed;
    return RunProbe(engine.Encoder().Decoder(), line.Files, line.Json, std::cout);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    TUsageError error;
    const std::optional<TCommandLine> line = ParseCommandLine(args, error);
    if (!line)
        return usageError(error.Message);
    switch (line->Command) {
    case TCliCommand::Help:
        std::cout << UsageText();
        return exSuccess;
    case TCliCommand::Formats:
        PrintFormats(std::cout);
        return exSuccess;
    case TCliCommand::Probe:
        return probe(*line);
    case TCliCommand::Convert:
        return convert(*line);
    case TCliCommand::Download:
        return download(*line);
    }
    return exUsage;
}
