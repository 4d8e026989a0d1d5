#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reading the "name=value" option blocks of the encoder's records.

struct TOptionLine {
    std::string Name; // lower case
    std::string Value;
};

// Trims the text, turns every line break and every literal "<CRLF>" into a line
// feed, and splits each line at its first "="; lines without a name are dropped.
std::vector<TOptionLine> ParseOptionLines(const std::string& text);

enum class TOptionTarget { Input, Output };
// Names an ExtraOptions reader leaves to other steps instead of the option parser.
bool IsSkippedOption(const std::string& name, TOptionTarget target);

// The defaults list of an output: "def_<name>" values and the pending per-stream lines
// (codec, preset, size, filter) in order of appearance.
class TOutputDefaults {
public:
    void Add(const std::string& name, const std::string& value);
    // The first value stored under name; empty when there is none.
    std::string Value(const std::string& name) const;
    // Removes and returns the first pending line of that name.
    std::optional<std::string> Take(const std::string& name);

    // Fills the list from the record's fields and the ExtraOptions lines.
    void Collect(const std::vector<std::pair<std::string, std::string>>& recordDefaults,
                 const std::vector<TOptionLine>& extraLines);

private:
    std::vector<TOptionLine> FLines;
};

class TCustomFFmpeg;
struct TOutputOptions;

// Passes the ExtraOptions lines meant for the option parser to the task.
void ApplyExtraOptions(TCustomFFmpeg& task, const std::vector<TOptionLine>& lines, TOptionTarget target);
// The record's own fields, in their order, then its metadata.
void ApplyOutputFields(TCustomFFmpeg& task, const TOutputOptions& options);
// Each "newaudio"/"newvideo"/"newsubtitle" line adds a stream with its own pending
// codec, preset, size and filter lines (or the defaults when none is left).
void ApplyStreamLines(TCustomFFmpeg& task, TOutputDefaults& defaults, const std::vector<TOptionLine>& lines);
// A local date-time (days since 1899-12-30) as seconds since 1970-01-01 UTC.
std::int64_t LocalDateTimeToUnix(double dateTime);
