#include "cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

struct TOptionRule {
    TCliCommand Command;
    std::string_view Name;
    bool TakesValue;
};

// The options of each command; one that takes a value reads the next word.
constexpr TOptionRule kOptions[] = {
    {TCliCommand::Probe, "--json", false},
    {TCliCommand::Convert, "--format", true},
    {TCliCommand::Convert, "--preset", true},
    {TCliCommand::Convert, "--out", true},
    {TCliCommand::Convert, "--join", false},
    {TCliCommand::Convert, "--parallel", true},
    {TCliCommand::Convert, "--threads", true},
    {TCliCommand::Download, "--out", true},
    {TCliCommand::Download, "--default-quality", false},
    {TCliCommand::Download, "--prefer", true},
    {TCliCommand::Download, "--convert", true},
    {TCliCommand::Download, "--preset", true},
};

// A whole decimal integer, or nothing.
std::optional<int> parseInt(const std::string& text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool fail(TUsageError& error, std::string message) {
    error.Message = std::move(message);
    return false;
}

// Stores one option (and its value) in the line.
bool applyOption(const std::string& name, const std::string& value, TCommandLine& line, TUsageError& error) {
    if (name == "--json") {
        line.Json = true;
    } else if (name == "--join") {
        line.Join = true;
    } else if (name == "--default-quality") {
        line.DefaultQuality = true;
    } else if (name == "--format" || name == "--convert") {
        line.Format = value;
    } else if (name == "--out") {
        line.OutputDir = value;
    } else if (name == "--prefer") {
        line.Prefer = value;
    } else if (name == "--preset") {
        line.Preset = parseInt(value);
        if (!line.Preset)
            return fail(error, "--preset needs a number, not \"" + value + "\"");
    } else if (name == "--threads") {
        const std::optional<int> threads = parseInt(value);
        if (!threads || *threads < 0)
            return fail(error, "--threads needs a number of at least 0, not \"" + value + "\"");
        line.Threads = *threads;
    } else {
        const std::optional<int> parallel = parseInt(value);
        if (!parallel || *parallel < 1)
            return fail(error, "--parallel needs a number of at least 1, not \"" + value + "\"");
        line.Parallel = *parallel;
    }
    return true;
}

// The option at args[i] of the line's command, moving past its value.
bool parseOption(const std::vector<std::string>& args, size_t& i, TCommandLine& line, TUsageError& error) {
    const std::string& name = args[i];
    const auto rule = std::find_if(std::begin(kOptions), std::end(kOptions), [&](const TOptionRule& r) {
        return r.Command == line.Command && r.Name == name;
    });
    if (rule == std::end(kOptions))
        return fail(error, "unknown option " + name);
    std::string value;
    if (rule->TakesValue) {
        if (i + 1 >= args.size())
            return fail(error, "option " + name + " needs a value");
        value = args[++i];
    }
    return applyOption(name, value, line, error);
}

// What the command needs beyond the form of each option; empty when the line is whole.
std::string missingPart(const TCommandLine& line) {
    switch (line.Command) {
    case TCliCommand::Help:
        break;
    case TCliCommand::Formats:
        return line.Files.empty() ? "" : "formats takes no files";
    case TCliCommand::Probe:
        return line.Files.empty() ? "no input files given" : "";
    case TCliCommand::Convert:
        if (line.Files.empty())
            return "no input files given";
        return line.Format.empty() ? "convert needs --format NAME (see: mediawiz-cli formats)" : "";
    case TCliCommand::Download:
        if (line.Files.empty())
            return "no links given";
        if (line.DefaultQuality && line.Prefer)
            return "--default-quality and --prefer cannot be used together";
        return line.Preset && line.Format.empty() ? "--preset needs --convert FORMAT" : "";
    }
    return {};
}

} // namespace

std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args, TUsageError& error) {
    TCommandLine line;
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h")
        return line;
    const std::string& command = args[0];
    if (command == "formats")
        line.Command = TCliCommand::Formats;
    else if (command == "probe")
        line.Command = TCliCommand::Probe;
    else if (command == "convert")
        line.Command = TCliCommand::Convert;
    else if (command == "download")
        line.Command = TCliCommand::Download;
    else {
        error.Message = "unknown command \"" + command + "\"";
        return std::nullopt;
    }
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
            line.Files.push_back(arg);
        else if (arg == "--")
            optionsEnded = true;
        else if (!parseOption(args, i, line, error))
            return std::nullopt;
    }
    error.Message = missingPart(line);
    if (!error.Message.empty())
        return std::nullopt;
    return line;
}

std::string UsageText() {
    return "usage:\n"
           "  mediawiz-cli formats\n"
           "      list the format classes, output formats and their presets (* marks the default)\n"
           "  mediawiz-cli probe [--json] FILE...\n"
           "      show the media facts of each file\n"
           "  mediawiz-cli convert --format NAME [--preset N] [--out DIR] [--join] [--parallel N]\n"
           "                       [--threads N] FILE...\n"
           "      convert each file (with --join: all files into one output) into DIR\n"
           "      (default: the current folder); --parallel runs N conversions at once (default 1);\n"
           "      --threads caps each conversion's codec threads (default 0: automatic)\n"
           "  mediawiz-cli download [--out DIR] [--default-quality | --prefer N,N,...]\n"
           "                        [--convert FORMAT [--preset N]] LINK...\n"
           "      download each video page's video into DIR (default: the current folder), trying\n"
           "      the qualities in the default order, only the service's default encoding, or\n"
           "      the given ones (e.g. --prefer 37,22,18); --convert then converts the saved\n"
           "      files as convert --format FORMAT would, into DIR\n"
           "exit status: 0 success, 1 a file or link failed or was refused, 2 usage error,\n"
           "130 stopped by Ctrl+C\n";
}
