#include "download/DownloadFile.h"

#include "download/VideoService.h"
#include "support/PathUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

constexpr std::string_view kUnsafeChars = "\\/:*?\"<>|";
constexpr int kLastFreeNumber = 32768;
constexpr std::size_t kPartNameLength = 6;
constexpr int kPartNameAttempts = 100;

std::string CleanName(std::string name) {
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || kUnsafeChars.find(c) != std::string_view::npos)
            c = '_';
    }
    if (!name.empty() && name.front() == '.')
        name.front() = '_';
    return name;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Renames from to to unless to exists. False with errno EEXIST when it does.
bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without the no-replace rename: a hard link fails on an existing name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EXDEV)
        return false;
    if (::access(to.c_str(), F_OK) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

std::string DownloadFileName(const std::string& rowName, std::string_view extension,
                             const std::string& link) {
    std::string stem = rowName;
    if (stem.empty())
        stem = VideoIdOfLink(link);
    if (stem.empty())
        stem = "video";
    return CleanName(stem + std::string(extension));
}

std::string FitFileName(std::string_view stem, std::string_view tail, std::size_t maxBytes) {
    const std::size_t room = maxBytes > tail.size() ? maxBytes - tail.size() : 0;
    if (stem.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && IsContinuationByte(stem[cut]))
            --cut;
        stem = stem.substr(0, cut);
    }
    return std::string(stem) + std::string(tail);
}

// Names are drawn here rather than by mkstemps, which makes the file private: a saved
// video gets the permissions the user's umask gives any new file.
TFileResult CreatePartFile(const std::string& folder) {
    static constexpr std::string_view kNameChars = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, kNameChars.size() - 1);
    for (int attempt = 0; attempt < kPartNameAttempts; ++attempt) {
        std::string name(kPartNameLength, ' ');
        for (char& c : name)
            c = kNameChars[pick(random)];
        const std::string path = WithTrailingBackslash(folder) + ".mediawiz-" + name + ".part";
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return {path, {}};
        }
        if (errno != EEXIST)
            break;
    }
    return {{}, std::strerror(errno)};
}

TFileResult MoveToFreeName(const std::string& partPath, const std::string& folder, const std::string& name) {
    const std::string dir = WithTrailingBackslash(folder);
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        dot = name.size();
    const std::string_view stem = std::string_view(name).substr(0, dot);
    const std::string_view extension = std::string_view(name).substr(dot);
    for (int n = 0; n <= kLastFreeNumber; ++n) {
        const std::string tail =
            (n == 0 ? std::string() : "(" + std::to_string(n) + ")") + std::string(extension);
        const std::string path = dir + FitFileName(stem, tail);
        if (RenameNoReplace(partPath, path))
            return {path, {}};
        if (errno != EEXIST)
            return {{}, std::strerror(errno)};
    }
    return {{}, std::strerror(EEXIST)};
}
