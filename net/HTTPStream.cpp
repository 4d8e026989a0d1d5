#include "net/HTTPStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Below this a body lives on the ordinary heap.
constexpr std::size_t kMappedFrom = 1 << 20;
constexpr std::size_t kHugePage = 2 << 20;

} // namespace

void* AllocateBodyMemory(std::size_t n) {
    if (n < kMappedFrom) {
        if (void* p = std::malloc(n))
            return p;
        throw std::bad_alloc();
    }
    void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    if (n >= kHugePage)
        ::madvise(p, n, MADV_HUGEPAGE);
    return p;
}

void FreeBodyMemory(void* p, std::size_t n) noexcept {
    if (n < kMappedFrom)
        std::free(p);
    else
        ::munmap(p, n);
}

// ---- THTTPMemoryStream ----

bool THTTPMemoryStream::Seek(std::int64_t position) {
    if (position < 0)
        return false;
    position_ = position;
    return true;
}

std::size_t THTTPMemoryStream::Read(void* data, std::size_t count) {
    if (position_ >= Size())
        return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(Size() - position_));
    std::memcpy(data, data_.data() + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

bool THTTPMemoryStream::Write(const void* data, std::size_t count) {
    const char* bytes = static_cast<const char*>(data);
    if (position_ == Size()) {
        data_.insert(data_.end(), bytes, bytes + count);
        position_ = Size();
        return true;
    }
    const auto end = static_cast<std::size_t>(position_) + count;
    if (end > data_.size())
        data_.resize(end);
    std::memcpy(data_.data() + position_, bytes, count);
    position_ = static_cast<std::int64_t>(end);
    return true;
}

void THTTPMemoryStream::Reserve(std::int64_t bytes) {
    if (bytes > 0)
        data_.reserve(static_cast<std::size_t>(bytes));
}

// ---- THTTPFileStream ----

THTTPFileStream::THTTPFileStream(const std::string& path, TFileOpenMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case TFileOpenMode::CreateNew:
        // Emptied below only when it has content: truncating a file that is already empty
        // (a name reserved beforehand) makes ext4 write the whole new content back at close.
        flags |= O_RDWR | O_CREAT;
        break;
    case TFileOpenMode::OpenOrCreate:
        flags |= O_RDWR | O_CREAT;
        break;
    case TFileOpenMode::ReadOnly:
        flags |= O_RDONLY;
        break;
    }
    fd_ = ::open(path.c_str(), flags, 0644);
    if (fd_ >= 0) {
        // A folder opens read-only on this platform but is no file to read.
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            errno = EISDIR;
        } else if (mode == TFileOpenMode::CreateNew && st.st_size > 0 && ::ftruncate(fd_, 0) != 0) {
            const int error = errno;
            ::close(fd_);
            fd_ = -1;
            errno = error;
        }
    }
    if (fd_ < 0)
        error_ = std::strerror(errno);
}

THTTPFileStream::~THTTPFileStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t THTTPFileStream::Size() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

bool THTTPFileStream::Seek(std::int64_t position) {
    if (fd_ < 0 || ::lseek(fd_, position, SEEK_SET) < 0)
        return false;
    position_ = position;
    return true;
}

std::size_t THTTPFileStream::Read(void* data, std::size_t count) {
    if (fd_ < 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, data, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        position_ += n;
        return static_cast<std::size_t>(n);
    }
}

bool THTTPFileStream::Write(const void* data, std::size_t count) {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t n = ::write(fd_, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = std::strerror(n < 0 ? errno : ENOSPC);
            return false;
        }
        p += n;
        count -= static_cast<std::size_t>(n);
        position_ += n;
    }
    return true;
}
