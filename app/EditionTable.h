#pragma once

#include <array>
#include <span>
#include <string>

// The built-in table of the editions one executable serves: icon, window flags and
// the web addresses of each link kind, looked up by the application title.

enum class TLinkKind { lkHelpContent, lkTutorials, lkHomePage, lkMoreTools, lkUpdates, lkSupport };
inline constexpr int kLinkKindCount = 6;

// A link cell holding this marker is derived from the row's base address, the
// title's slug and the kind's path suffix (prefix rows only).
inline constexpr const char* kDerivedLink = "*";

struct TEditionRow {
    const char* Name;
    // 0: the whole title must equal Name; otherwise only the title's first
    // PrefixLength characters are compared with Name.
    int PrefixLength;
    // Icon file name in the program's icon folder; nullptr for rows known to the
    // link lookups only (such titles get links but no icon and no flags).
    const char* Icon;
    // Hides LabelVersion, LabelMoreTools, ButtonHelp and ButtonLog.
    bool MinimalChrome;
    // "more tools..." instead of "more free tools...".
    bool ToolsWording;
    // Indexed by TLinkKind; "" means no address.
    std::array<const char*, kLinkKindCount> Links;
    // Base of the derived addresses of a prefix row; "" otherwise.
    const char* BaseAddress;
};

std::span<const TEditionRow> EditionRows();

// True when title is matched by row (exactly, or by its prefix).
bool EditionRowMatches(const TEditionRow& row, const std::string& title);

enum class TEditionLookup {
    elStartup, // rows with an icon: the icon and the window flags
    elLinks,   // every row: the web links
};

// The first row (table order) matching title, or nullptr.
const TEditionRow* FindEditionRow(const std::string& title, TEditionLookup lookup);
