#include "net/HTTPDate.h"

#include "net/HTTPText.h"

#include <array>
#include <charconv>
#include <chrono>
#include <ctime>
#include <optional>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 7> kWeekdays{"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
constexpr std::array<std::string_view, 12> kMonths{"jan", "feb", "mar", "apr", "may", "jun",
                                                   "jul", "aug", "sep", "oct", "nov", "dec"};
// Days from 1899-12-30 (day 0 of a date-time) to 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;

// 1..12 for a month name, 0 when unknown.
int MonthOf(std::string_view name) {
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (SameText(name.substr(0, 3), kMonths[i]))
            return static_cast<int>(i) + 1;
    return 0;
}

std::optional<int> Number(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Takes the text up to sep (skipping repeated separators after it).
std::string_view TakeField(std::string_view& s, char sep) {
    s = TrimSpace(s);
    const std::size_t end = s.find(sep);
    const std::string_view field = s.substr(0, end);
    s = end == std::string_view::npos ? std::string_view() : s.substr(end + 1);
    while (!s.empty() && s.front() == sep)
        s.remove_prefix(1);
    return field;
}

std::optional<long> SecondsOfDay(std::string_view time) {
    long seconds = 0;
    long unit = 3600;
    for (int i = 0; i < 3 && !time.empty(); ++i, unit /= 60) {
        const std::optional<int> part = Number(TakeField(time, ':'));
        if (!part)
            return std::nullopt;
        seconds += *part * unit;
    }
    return seconds;
}

// "+hhmm" / "-hhmm" in seconds; anything else is 0.
long OffsetSeconds(std::string_view word) {
    word = word.substr(0, 5);
    if (word.size() < 5 || (word[0] != '+' && word[0] != '-'))
        return 0;
    const std::optional<int> hours = Number(word.substr(1, 2));
    const std::optional<int> minutes = Number(word.substr(3, 2));
    if (!hours || !minutes)
        return 0;
    const long seconds = *hours * 3600L + *minutes * 60L;
    return word[0] == '-' ? -seconds : seconds;
}

std::optional<std::time_t> UtcMoment(std::string_view s) {
    for (std::string_view day : kWeekdays)
        if (SameText(s.substr(0, 3), day)) {
            const std::size_t space = s.find(' ');
            s = space == std::string_view::npos ? std::string_view() : s.substr(space + 1);
            break;
        }
    s = TrimSpace(s);
    const std::size_t dash = s.find('-');
    const char sep = dash != std::string_view::npos && dash >= 1 && dash < s.find(' ') ? '-' : ' ';

    const std::string_view first = TakeField(s, sep);
    const std::string_view second = TakeField(s, sep);
    const bool monthFirst = MonthOf(first) != 0;
    const int month = MonthOf(monthFirst ? first : second);
    const int day = Number(monthFirst ? second : first).value_or(1);

    std::string_view time;
    std::string_view yearWord = TakeField(s, ' ');
    if (!Number(yearWord)) {
        time = yearWord;
        yearWord = TakeField(s, ' ');
    }
    std::optional<int> year = Number(yearWord);
    if (!year)
        return std::nullopt;
    if (*year < 80)
        *year += 2000;
    else if (*year < 100)
        *year += 1900;
    if (time.empty() && s.find(':') != std::string_view::npos)
        time = TakeField(s, ' ');
    const std::optional<long> seconds = SecondsOfDay(time);
    if (!seconds)
        return std::nullopt;

    using namespace std::chrono;
    const year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok())
        return std::nullopt;
    long moment = static_cast<long>(sys_days(date).time_since_epoch().count()) * 86400L + *seconds;
    const std::string_view zone = TakeField(s, ' ');
    if (zone.size() > 4)
        moment -= OffsetSeconds(zone);
    return static_cast<std::time_t>(moment);
}

} // namespace

TDateTime HTTPDateToLocal(const std::string& text) {
    const std::string_view s = TrimSpace(text);
    if (s.empty())
        return 0;
    const std::optional<std::time_t> utc = UtcMoment(s);
    if (!utc)
        return 0;
    std::tm local{};
    if (!localtime_r(&*utc, &local))
        return 0;
    const double localSeconds = static_cast<double>(*utc) + static_cast<double>(local.tm_gmtoff);
    return kUnixEpochDays + localSeconds / 86400.0;
}
