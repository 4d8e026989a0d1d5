#include "app/EditionSkin.h"

#include <charconv>

namespace {

const QColor kGrey(128, 128, 128);
const QColor kWhite(255, 255, 255);

// Caption buttons, help, help offset, log, back, next, exit, page control, title,
// bold title, info colour, version top, more-tools top, info to front, transparent.
const TSkinLayout kLayouts[] = {
    {true,
     {696, 4},
     {728, 4},
     {40, 510},
     0,
     {138, 510},
     {426, 510},
     {522, 510},
     {672, 510},
     {203, 74},
     {24, 43},
     true,
     kGrey,
     -1,
     -1,
     false,
     false},
    {true,
     {766, 3},
     {794, 3},
     {25, 566},
     0,
     {120, 566},
     {400, 566},
     {495, 566},
     {730, 566},
     {240, 110},
     {252, 70},
     true,
     kWhite,
     -1,
     -1,
     false,
     false},
    {true,
     {696, 6},
     {728, 4},
     {40, 513},
     5,
     {138, 513},
     {426, 513},
     {522, 513},
     {672, 513},
     {198, 74},
     {24, 43},
     true,
     kGrey,
     -1,
     -1,
     false,
     false},
    {false,
     {},
     {},
     {10, 515},
     0,
     {120, 515},
     {350, 515},
     {460, 515},
     {665, 515},
     {203, 74},
     {215, 55},
     false,
     kWhite,
     165,
     180,
     true,
     true},
};

} // namespace

const TSkinLayout* SkinLayoutFor(int skin) {
    if (skin < 0 || skin >= static_cast<int>(std::size(kLayouts)))
        return nullptr;
    return &kLayouts[skin];
}

bool ParseSkinNumber(const std::string& text, int& skin) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    const size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') {
        ++begin;
        if (begin == end || *begin == '-')
            return false;
    }
    const auto [ptr, ec] = std::from_chars(begin, end, skin);
    return ec == std::errc() && ptr == end;
}
