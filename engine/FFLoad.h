#pragma once

// Run-time binding of the FFmpeg libraries.
//
// Nothing in the engine links FFmpeg. The loader opens the shared libraries at run
// time and binds every entry point listed in FFLoadEntries.h into one typed table per
// library. Engine code calls FFmpeg only through those tables:
//
//     FF().avcodec.avcodec_open2(ctx, codec, &opts);
//     FF().avformat.av_read_frame(fmt, pkt);
//
// Members are named after the library rows: avcodec, swresample, avdevice, avfilter,
// avformat, avutil, swscale, libc. A pointer is null while its library is not loaded
// (and for OPTIONAL entries the library lacks); check FFLoader().IsSetLoaded(...) first.
// Every format context the engine creates gets FFSetInterruptCallback(ctx); every
// codec open and close runs under a TCodecLockGuard.

#include "engine/FFLoadEntries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/cpu.h>
#include <libavutil/fifo.h>
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libavutil/time.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

// Deprecated entries (kept optional for libraries that still carry them) are declared
// through their header declaration like every other.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#define FF_DECLARE_ENTRY(name) decltype(&::name) name = nullptr;
struct TAVCodecEntries {
    FF_AVCODEC_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TSwResampleEntries {
    FF_SWRESAMPLE_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TAVDeviceEntries {
    FF_AVDEVICE_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TAVFilterEntries {
    FF_AVFILTER_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TAVFormatEntries {
    FF_AVFORMAT_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TAVUtilEntries {
    FF_AVUTIL_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TSwScaleEntries {
    FF_SWSCALE_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
struct TLibCEntries {
    FF_LIBC_ENTRIES(FF_DECLARE_ENTRY, FF_DECLARE_ENTRY, FF_DECLARE_ENTRY)
};
#undef FF_DECLARE_ENTRY
#pragma GCC diagnostic pop

struct TFFEntries {
    TAVCodecEntries avcodec;
    TSwResampleEntries swresample;
    TAVDeviceEntries avdevice;
    TAVFilterEntries avfilter;
    TAVFormatEntries avformat;
    TAVUtilEntries avutil;
    TSwScaleEntries swscale;
    TLibCEntries libc;
};

// The bound entry points. Written only while libraries load or unload (main thread).
const TFFEntries& FF();

// Library rows, in index order; a library set is a bit set over these indexes.
enum TLibraryIndex : int {
    LIB_AVCODEC = 0,
    LIB_SWRESAMPLE = 1, // the row of the former avcore
    LIB_AVDEVICE = 2,
    LIB_AVFILTER = 3,
    LIB_AVFORMAT = 4,
    LIB_AVUTIL = 5,
    LIB_SWSCALE = 6,
    LIB_LIBC = 7,
    LIB_COUNT = 8,
};
using TLibrarySet = uint32_t;
constexpr TLibrarySet LIB_BIT(int index) {
    return TLibrarySet(1) << index;
}
constexpr TLibrarySet FF_LOAD_SET = 0xFB; // everything except avdevice
constexpr TLibrarySet FF_ALL_LIBS = 0xFF;

// A failure while binding an entry point ("Load function %s@%s error: %s", ...).
class EFFLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TSymbolKind { Required, Optional, Variable };
// Looks one symbol up in an opened library. A missing Optional symbol gives null; a
// missing Required or Variable one throws EFFLoadError naming the symbol and fileName.
void* FFBindSymbol(void* handle, const char* name, const std::string& fileName, TSymbolKind kind);

class TFFLoader {
public:
    TFFLoader();
    ~TFFLoader();
    TFFLoader(const TFFLoader&) = delete;
    TFFLoader& operator=(const TFFLoader&) = delete;

    // Folder searched first ("lib" beside the executable); empty: system search only.
    void SetLibraryPath(const std::string& folder);
    std::string LastError() const;

    bool LoadSet(TLibrarySet set);
    bool IsSetLoaded(TLibrarySet set) const;
    bool IsLoaded(int index) const;
    void UnloadSet(TLibrarySet set);
    void Unload(int index);

    // An explicit file name (or full path) for one row, overriding the built one;
    // empty restores the built name.
    void SetLibraryFileName(int index, const std::string& fileName);
    // The row's file name: the explicit one, else "lib<base>.so.<major>".
    std::string LibraryFileName(int index) const;

    // When on (the default), binding avutil installs the engine logger's callback.
    void SetInstallLogCallback(bool on) { installLogCallback_ = on; }

private:
    struct TLibraryStatus {
        std::string fileName; // explicit override
        void* handle = nullptr;
        bool bound = false;
    };
    bool Load(int index);
    bool Bind(int index, const std::string& fileName);
    void* Open(int index, std::string& fullName);

    std::string libraryPath_;
    std::string lastError_;
    bool installLogCallback_ = true;
    TLibraryStatus status_[LIB_COUNT];
};

// The process-wide loader (created on first use, lives until engine shutdown).
TFFLoader& FFLoader();

// Engine start: masks every floating-point exception (divisions by zero give
// infinities) after saving the environment. Engine shutdown restores it, stops the
// codec lock, unloads every library and frees an engine-created logger.
void FFEngineStart();
void FFEngineShutdown();

// The codec lock manager: op 0 create, 1 obtain, 2 release, 3 destroy. Every lock
// points at one process-wide mutex. Returns 0 on success, -1 on failure.
int FFLockManager(void** lock, int op);
// True while the calling thread holds the codec lock: it must not wait for the main
// thread then, which may itself be waiting for the lock.
bool FFHoldsCodecLock();
// Holds the codec lock for a codec open or close (no-op when avcodec is not loaded).
class TCodecLockGuard {
public:
    TCodecLockGuard();
    ~TCodecLockGuard();
    TCodecLockGuard(const TCodecLockGuard&) = delete;
    TCodecLockGuard& operator=(const TCodecLockGuard&) = delete;
    bool Held() const { return held_; }

private:
    bool held_;
};

// Blocking-I/O interruption: a task thread registers a check; the libraries' interrupt
// callback asks the registry with the calling thread's id.
using TInterruptFunc = bool (*)(void* data, void* arg);
struct TInterruptCallback {
    TInterruptFunc code = nullptr;
    void* data = nullptr;
};
class TInterruptCB {
public:
    void Register(uint32_t threadId, void* arg, TInterruptCallback callback);
    void Unregister(uint32_t threadId, void* arg, TInterruptCallback callback);
    // Calls the first callback registered for threadId; false when there is none.
    bool Query(uint32_t threadId);
    void Clear();

private:
    struct TEntry {
        uint32_t threadId;
        TInterruptCallback callback;
        void* arg;
    };
    std::mutex lock_;
    std::vector<TEntry> entries_;
};
TInterruptCB& FFInterruptCB();
// The callback given to the libraries: 1 when the calling thread's check says stop.
int FFInterruptCallback(void* opaque);
// Installs FFInterruptCallback on a format context the engine created.
void FFSetInterruptCallback(AVFormatContext* ctx);

// File names handed to the libraries: protocol names ("http:", "tcp:", ...) pass
// unchanged; local paths are UTF-8 and get "file:" when they would otherwise be read
// as a protocol (a colon in the name).
std::string FFFileNameToLib(const std::string& fileName);
// The reverse for names the libraries hand back.
std::string FFFileNameFromLib(const std::string& libName);
