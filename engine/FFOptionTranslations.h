#pragma once

#include <string>
#include <utility>
#include <vector>

// Option names and codec names of the presets' library generation, translated to
// what today's libraries understand. One table each, one row per entry.

using TOptionPairs = std::vector<std::pair<std::string, std::string>>;

// State a translation needs across options (the two deblock halves combine into one).
struct TLegacyOptionState {
    std::string deblockAlpha = "0";
    std::string deblockBeta = "0";
};

// When name is a legacy option: true, with out holding the current options to set
// instead (empty when it has no equivalent today; dropNote then says why).
bool TranslateLegacyOption(const std::string& name, const std::string& value, TLegacyOptionState& state,
                           TOptionPairs& out, std::string& dropNote);

// The current codec name for a legacy one ("libfaac" -> "aac"); other names unchanged.
std::string TranslateCodecName(const std::string& name);
