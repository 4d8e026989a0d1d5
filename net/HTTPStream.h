#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The body of a transfer: held in memory or written to the output file.
class THTTPStream {
public:
    virtual ~THTTPStream() = default;
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
    virtual bool Seek(std::int64_t position) = 0;
    // Returns the number of bytes read (0 at the end or on failure).
    virtual std::size_t Read(void* data, std::size_t count) = 0;
    virtual bool Write(const void* data, std::size_t count) = 0;
};

// Memory straight from the system for large bodies, in huge pages where the system
// offers them: filling a video-sized body then costs few page faults.
void* AllocateBodyMemory(std::size_t bytes);
void FreeBodyMemory(void* p, std::size_t bytes) noexcept;

template <class T> struct BodyMemoryAllocator {
    using value_type = T;
    BodyMemoryAllocator() = default;
    template <class U> BodyMemoryAllocator(const BodyMemoryAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateBodyMemory(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { FreeBodyMemory(p, n * sizeof(T)); }
    template <class U> bool operator==(const BodyMemoryAllocator<U>&) const { return true; }
};

class THTTPMemoryStream final : public THTTPStream {
public:
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
    std::int64_t Position() const override { return position_; }
    bool Seek(std::int64_t position) override;
    std::size_t Read(void* data, std::size_t count) override;
    bool Write(const void* data, std::size_t count) override;

    // Room for the announced length, so the body is not grown block by block.
    void Reserve(std::int64_t bytes);
    const char* Memory() const { return data_.data(); }
    std::string Text() const { return std::string(data_.begin(), data_.end()); }

private:
    std::vector<char, BodyMemoryAllocator<char>> data_;
    std::int64_t position_ = 0;
};

enum class TFileOpenMode { CreateNew, OpenOrCreate, ReadOnly };

// Owns a file descriptor.
class THTTPFileStream final : public THTTPStream {
public:
    // On failure Opened() is false and Error() holds the system's message; a failed
    // Write leaves its message there too.
    THTTPFileStream(const std::string& path, TFileOpenMode mode);
    ~THTTPFileStream() override;
    THTTPFileStream(const THTTPFileStream&) = delete;
    THTTPFileStream& operator=(const THTTPFileStream&) = delete;

    bool Opened() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }

    std::int64_t Size() const override;
    std::int64_t Position() const override { return position_; }
    bool Seek(std::int64_t position) override;
    std::size_t Read(void* data, std::size_t count) override;
    bool Write(const void* data, std::size_t count) override;

private:
    int fd_ = -1;
    std::int64_t position_ = 0;
    std::string error_;
};
