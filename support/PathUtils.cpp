#include "support/PathUtils.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::string_view kForbiddenChars = "\\/:*?\"<>|";
// The order in which the forbidden characters are replaced.
constexpr std::string_view kReplaceOrder = "\\:/*?\"<>|";
constexpr int kLastUniqueNumber = 32768;

#ifdef _WIN32
constexpr std::string_view kFolderSeparators = "\\/:";
#else
constexpr std::string_view kFolderSeparators = "/";
#endif

size_t NameStart(const std::string& path) {
    const size_t sep = path.find_last_of(kFolderSeparators);
    return sep == std::string::npos ? 0 : sep + 1;
}

size_t ExtensionStart(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < NameStart(path))
        return path.size();
    return dot;
}

bool FileExists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace

char PathSeparator() {
    return static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string WithTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == PathSeparator())
        return path;
    return path + PathSeparator();
}

bool ContainsAnyChar(std::string_view text, std::string_view chars) {
    return text.find_first_of(chars) != std::string_view::npos;
}

bool IsValidFileName(std::string_view name) {
    return !name.empty() && !ContainsAnyChar(name, kForbiddenChars);
}

std::string SanitizeFileName(const std::string& name) {
    if (IsValidFileName(name))
        return name;
    std::string result = name;
    for (char bad : kReplaceOrder) {
        for (char& c : result) {
            if (c == bad)
                c = '_';
        }
    }
    return result;
}

std::string StripExtension(const std::string& path) {
    return path.substr(0, ExtensionStart(path));
}

std::string UniqueFileName(const std::string& fileName, const std::string& folder) {
    const std::filesystem::path dir(folder);
    if (!FileExists(dir / fileName))
        return fileName;
    const size_t extStart = ExtensionStart(fileName);
    const std::string stem = fileName.substr(0, extStart);
    const std::string ext = fileName.substr(extStart);
    for (int n = 1;; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "(%d)", n);
        std::string candidate = stem + number + ext;
        if (n >= kLastUniqueNumber || !FileExists(dir / candidate))
            return candidate;
    }
}

std::string ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : WithTrailingBackslash(exe.parent_path().string());
}
