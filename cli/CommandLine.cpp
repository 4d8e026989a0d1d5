#include "CommandLine.h"

#include <charconv>

namespace {

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

// The value of an option that takes one, moving past it.
bool takeValue(const std::vector<std::string>& args, size_t& i, std::string& value, TUsageError& error) {
    if (i + 1 >= args.size())
        return fail(error, "option " + args[i] + " needs a value");
    value = args[++i];
    return true;
}

bool parseConvertOption(const std::vector<std::string>& args, size_t& i, TCommandLine& line,
                        TUsageError& error) {
    const std::string& name = args[i];
    std::string value;
    if (name == "--join") {
        line.Join = true;
        return true;
    }
    if (name != "--format" && name != "--preset" && name != "--out" && name != "--parallel" &&
        name != "--threads")
        return fail(error, "unknown option " + name);
    if (!takeValue(args, i, value, error))
        return false;
    if (name == "--format") {
        line.Format = value;
    } else if (name == "--out") {
        line.OutputDir = value;
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
    else {
        error.Message = "unknown command \"" + command + "\"";
        return std::nullopt;
    }
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.Files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (line.Command == TCliCommand::Probe && arg == "--json") {
            line.Json = true;
        } else if (line.Command != TCliCommand::Convert || !parseConvertOption(args, i, line, error)) {
            if (error.Message.empty())
                error.Message = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (line.Command == TCliCommand::Formats && !line.Files.empty()) {
        error.Message = "formats takes no files";
        return std::nullopt;
    }
    if (line.Command != TCliCommand::Formats && line.Files.empty()) {
        error.Message = "no input files given";
        return std::nullopt;
    }
    if (line.Command == TCliCommand::Convert && line.Format.empty()) {
        error.Message = "convert needs --format NAME (see: mediawiz-cli formats)";
        return std::nullopt;
    }
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
           "exit status: 0 success, 1 a file failed or was refused, 2 usage error, 130 stopped by Ctrl+C\n";
}
