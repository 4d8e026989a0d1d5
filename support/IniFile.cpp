#include "support/IniFile.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace {

std::string Trim(const std::string& text) {
    const char* spaces = " \t";
    const size_t first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb))
            return false;
    }
    return true;
}

// The name of a "[section]" line, or false when the line is no header.
bool HeaderName(const std::string& line, std::string& name) {
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return false;
    const size_t close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

bool IsComment(const std::string& line) {
    const std::string trimmed = Trim(line);
    return trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#';
}

// Splits "key=value"; false for lines without '='.
bool SplitKeyValue(const std::string& line, std::string& key, std::string& value) {
    if (IsComment(line))
        return false;
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

} // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            crlf_ = true;
        }
        lines_.push_back(line);
    }
    if (in.bad())
        lines_.clear();
}

bool TIniFile::ParseInteger(const std::string& text, int& value) {
    const std::string trimmed = Trim(text);
    size_t pos = 0;
    bool negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == '-' || trimmed[pos] == '+')) {
        negative = trimmed[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (trimmed.size() - pos > 2 && trimmed[pos] == '0' &&
        (trimmed[pos + 1] == 'x' || trimmed[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= trimmed.size())
        return false;
    long long magnitude = 0;
    for (; pos < trimmed.size(); ++pos) {
        const char c = trimmed[pos];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        // Hexadecimal values may use the full 32 bits (0xFFFFFFFF is -1).
        const long long limit = base == 16 ? 0xFFFFFFFFLL : std::numeric_limits<int>::max() + 1LL;
        if (magnitude > limit)
            return false;
    }
    long long result = negative ? -magnitude : magnitude;
    if (base == 16 && !negative && result > std::numeric_limits<int>::max())
        result -= 0x100000000LL;
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(result);
    return true;
}

int TIniFile::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (HeaderName(lines_[i], name) && SameName(name, section))
            return static_cast<int>(i);
    }
    return -1;
}

int TIniFile::FindKey(int header, const std::string& key) const {
    std::string name, value;
    for (size_t i = header + 1; i < lines_.size(); ++i) {
        if (HeaderName(lines_[i], name))
            break;
        if (SplitKeyValue(lines_[i], name, value) && SameName(name, key))
            return static_cast<int>(i);
    }
    return -1;
}

int TIniFile::SectionInsertPoint(int header) const {
    std::string name;
    int point = header + 1;
    for (size_t i = header + 1; i < lines_.size(); ++i) {
        if (HeaderName(lines_[i], name))
            break;
        if (!Trim(lines_[i]).empty())
            point = static_cast<int>(i) + 1;
    }
    return point;
}

std::optional<std::string> TIniFile::FindValue(const std::string& section, const std::string& key) const {
    const int header = FindSection(section);
    if (header < 0)
        return std::nullopt;
    const int line = FindKey(header, key);
    if (line < 0)
        return std::nullopt;
    std::string name, value;
    SplitKeyValue(lines_[line], name, value);
    return value;
}

bool TIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return FindValue(section, key).has_value();
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const std::optional<std::string> value = FindValue(section, key);
    return value ? *value : defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    const std::optional<std::string> value = FindValue(section, key);
    int result;
    if (value && ParseInteger(*value, result))
        return result;
    return defaultValue;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value;
    int header = FindSection(section);
    if (header < 0) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return;
    }
    const int existing = FindKey(header, key);
    if (existing >= 0) {
        lines_[existing] = line;
        return;
    }
    lines_.insert(lines_.begin() + SectionInsertPoint(header), line);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() const {
    std::ostringstream text;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (const std::string& line : lines_)
        text << line << eol;
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    const int openError = errno;
    if (!out)
        throw std::runtime_error("Cannot write " + path_ + ": " + std::strerror(openError));
    out << text.str();
    out.flush();
    if (!out)
        throw std::runtime_error("Cannot write " + path_ + ": " + std::strerror(errno));
}
