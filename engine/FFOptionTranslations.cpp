#include "engine/FFOptionTranslations.h"

#include <cstring>

namespace {

enum class TRule {
    Rename,     // same value under the current name
    Drop,       // no equivalent today
    Flags2,     // "+a-b" parts: x264 parts become their own options, the rest stay flags2
    Partitions, // "+parti4x4+partp8x8" becomes the x264 list "i4x4,p8x8"
    DeblockAlpha,
    DeblockBeta,
};

struct TOptionRow {
    const char* legacy;
    const char* current;
    TRule rule;
};

const TOptionRow kOptionRows[] = {
    {"me_method", "motion-est", TRule::Rename},
    {"directpred", "direct-pred", TRule::Rename},
    {"wpredp", "weightp", TRule::Rename},
    {"cqp", "qp", TRule::Rename},
    {"nr", "noise_reduction", TRule::Rename},
    {"rc_lookahead", "rc-lookahead", TRule::Rename},
    {"aq_mode", "aq-mode", TRule::Rename},
    {"aq_strength", "aq-strength", TRule::Rename},
    {"psy_rd", "psy-rd", TRule::Rename},
    {"flags2", "flags2", TRule::Flags2},
    {"partitions", "partitions", TRule::Partitions},
    {"deblockalpha", "deblock", TRule::DeblockAlpha},
    {"deblockbeta", "deblock", TRule::DeblockBeta},
    {"bidir_refine", "", TRule::Drop},
    {"brdo", "", TRule::Drop},
    {"crf_max", "", TRule::Drop},
};

// Parts of the old "flags2" that are x264 options today: part, option, value when
// set, value when cleared.
struct TFlags2Row {
    const char* part;
    const char* option;
    const char* on;
    const char* off;
};

const TFlags2Row kFlags2Rows[] = {
    {"mixed_refs", "mixed-refs", "1", "0"},
    {"wpred", "weightb", "1", "0"},
    {"dct8x8", "8x8dct", "1", "0"},
    {"fastpskip", "fast-pskip", "1", "0"},
    {"mbtree", "mbtree", "1", "0"},
    {"bpyramid", "b-pyramid", "normal", "none"},
    {"aud", "aud", "1", "0"},
    {"psy", "psy", "1", "0"},
    {"ssim", "ssim", "1", "0"},
};

const struct {
    const char* legacy;
    const char* current;
} kCodecRows[] = {
    {"libfaac", "aac"},
};

// Splits "+a-b+c" (a leading part without sign counts as "+") into signed parts.
std::vector<std::pair<char, std::string>> signedParts(const std::string& value) {
    std::vector<std::pair<char, std::string>> parts;
    char sign = '+';
    std::string cur;
    for (char c : value) {
        if (c == '+' || c == '-') {
            if (!cur.empty())
                parts.emplace_back(sign, cur);
            cur.clear();
            sign = c;
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        parts.emplace_back(sign, cur);
    return parts;
}

void translateFlags2(const std::string& value, TOptionPairs& out) {
    std::string rest;
    for (const auto& [sign, part] : signedParts(value)) {
        const TFlags2Row* hit = nullptr;
        for (const auto& row : kFlags2Rows)
            if (part == row.part)
                hit = &row;
        if (hit)
            out.emplace_back(hit->option, sign == '+' ? hit->on : hit->off);
        else
            rest += sign + part;
    }
    if (!rest.empty())
        out.emplace_back("flags2", rest);
}

void translatePartitions(const std::string& value, TOptionPairs& out) {
    std::string list;
    for (const auto& [sign, part] : signedParts(value)) {
        if (sign != '+')
            continue;
        std::string name = part.rfind("part", 0) == 0 ? part.substr(4) : part;
        if (name == "all" || name == "none") {
            list = name;
            continue;
        }
        list += (list.empty() ? "" : ",") + name;
    }
    out.emplace_back("partitions", list.empty() ? "none" : list);
}

} // namespace

bool TranslateLegacyOption(const std::string& name, const std::string& value, TLegacyOptionState& state,
                           TOptionPairs& out, std::string& dropNote) {
    out.clear();
    for (const auto& row : kOptionRows) {
        if (name != row.legacy)
            continue;
        switch (row.rule) {
        case TRule::Rename:
            out.emplace_back(row.current, value);
            break;
        case TRule::Drop:
            dropNote = "Option \"" + name + "\" has no equivalent in the loaded libraries, ignored";
            break;
        case TRule::Flags2:
            translateFlags2(value, out);
            break;
        case TRule::Partitions:
            translatePartitions(value, out);
            break;
        case TRule::DeblockAlpha:
            state.deblockAlpha = value;
            out.emplace_back(row.current, state.deblockAlpha + ":" + state.deblockBeta);
            break;
        case TRule::DeblockBeta:
            state.deblockBeta = value;
            out.emplace_back(row.current, state.deblockAlpha + ":" + state.deblockBeta);
            break;
        }
        return true;
    }
    return false;
}

std::string TranslateCodecName(const std::string& name) {
    for (const auto& row : kCodecRows)
        if (name == row.legacy)
            return row.current;
    return name;
}
