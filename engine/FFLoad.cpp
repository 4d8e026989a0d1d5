#include "engine/FFLoad.h"

#include "engine/FFLog.h"

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

TFFEntries gEntries; // written only by the loader (main thread)

using TBindFunc = void (*)(void* handle, const std::string& fileName);
using TUnbindFunc = void (*)();

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#define FF_BIND_REQUIRED(name)                                                                               \
    t.name = reinterpret_cast<decltype(t.name)>(FFBindSymbol(handle, #name, fileName, TSymbolKind::Required));
#define FF_BIND_OPTIONAL(name)                                                                               \
    t.name = reinterpret_cast<decltype(t.name)>(FFBindSymbol(handle, #name, fileName, TSymbolKind::Optional));
#define FF_BIND_VARIABLE(name)                                                                               \
    t.name = reinterpret_cast<decltype(t.name)>(FFBindSymbol(handle, #name, fileName, TSymbolKind::Variable));
#define FF_BIND_ROUTINES(member, LIST)                                                                       \
    void bind_##member(void* handle, const std::string& fileName) {                                          \
        auto& t = gEntries.member;                                                                           \
        LIST(FF_BIND_REQUIRED, FF_BIND_OPTIONAL, FF_BIND_VARIABLE)                                           \
    }                                                                                                        \
    void unbind_##member() {                                                                                 \
        gEntries.member = {};                                                                                \
    }

FF_BIND_ROUTINES(avcodec, FF_AVCODEC_ENTRIES)
FF_BIND_ROUTINES(swresample, FF_SWRESAMPLE_ENTRIES)
FF_BIND_ROUTINES(avfilter, FF_AVFILTER_ENTRIES)
FF_BIND_ROUTINES(avformat, FF_AVFORMAT_ENTRIES)
FF_BIND_ROUTINES(avutil, FF_AVUTIL_ENTRIES)
FF_BIND_ROUTINES(swscale, FF_SWSCALE_ENTRIES)
FF_BIND_ROUTINES(libc, FF_LIBC_ENTRIES)

// avdevice registers its devices once bound.
void bind_avdevice(void* handle, const std::string& fileName) {
    auto& t = gEntries.avdevice;
    FF_AVDEVICE_ENTRIES(FF_BIND_REQUIRED, FF_BIND_OPTIONAL, FF_BIND_VARIABLE)
    t.avdevice_register_all();
}
void unbind_avdevice() {
    gEntries.avdevice = {};
}
#pragma GCC diagnostic pop

struct TLibraryItem {
    int index;
    const char* baseName;
    bool systemLibrary;
    int version; // major number of the shared library
    TBindFunc bind;
    TUnbindFunc unbind;
};

// One row per library, in index order.
const TLibraryItem kLibraries[LIB_COUNT] = {
    {LIB_AVCODEC, "avcodec", false, LIBAVCODEC_VERSION_MAJOR, bind_avcodec, unbind_avcodec},
    {LIB_SWRESAMPLE, "swresample", false, LIBSWRESAMPLE_VERSION_MAJOR, bind_swresample, unbind_swresample},
    {LIB_AVDEVICE, "avdevice", false, LIBAVDEVICE_VERSION_MAJOR, bind_avdevice, unbind_avdevice},
    {LIB_AVFILTER, "avfilter", false, LIBAVFILTER_VERSION_MAJOR, bind_avfilter, unbind_avfilter},
    {LIB_AVFORMAT, "avformat", false, LIBAVFORMAT_VERSION_MAJOR, bind_avformat, unbind_avformat},
    {LIB_AVUTIL, "avutil", false, LIBAVUTIL_VERSION_MAJOR, bind_avutil, unbind_avutil},
    {LIB_SWSCALE, "swscale", false, LIBSWSCALE_VERSION_MAJOR, bind_swscale, unbind_swscale},
    {LIB_LIBC, "c", true, 6, bind_libc, unbind_libc}, // libc.so.6
};

// Loading order within a set: a library's own dependencies first, so that those
// opened from the library folder are the ones the later libraries link against.
const int kLoadOrder[LIB_COUNT] = {LIB_AVUTIL,   LIB_SWRESAMPLE, LIB_SWSCALE,  LIB_AVCODEC,
                                   LIB_AVFORMAT, LIB_AVFILTER,   LIB_AVDEVICE, LIB_LIBC};

// The codec mutex slot shared by every lock; guarded by gCodecSlotLock.
struct TCodecMutex {
    std::mutex mutex;
    int id;
    std::atomic<std::thread::id> owner{};
};
std::mutex gCodecSlotLock;
TCodecMutex* gCodecSlot = nullptr;
int gCodecMutexCounter = 0;
std::atomic<bool> gShuttingDown{false};
void* gCodecLock = nullptr; // the lock the loader creates when avcodec is bound
thread_local bool tHoldsCodecLock = false;

std::fenv_t gSavedFenv;
bool gFenvSaved = false;

TFFLoader* gLoader = nullptr;

} // namespace

const TFFEntries& FF() {
    return gEntries;
}

void* FFBindSymbol(void* handle, const char* name, const std::string& fileName, TSymbolKind kind) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (symbol || kind == TSymbolKind::Optional)
        return symbol;
    const char* err = dlerror();
    const char* format =
        kind == TSymbolKind::Variable ? "Load variable %s@%s error: %s" : "Load function %s@%s error: %s";
    char buf[1024];
    std::snprintf(buf, sizeof buf, format, name, fileName.c_str(), err ? err : "symbol not found");
    throw EFFLoadError(buf);
}

TFFLoader::TFFLoader() = default;

TFFLoader::~TFFLoader() {
    UnloadSet(FF_ALL_LIBS);
}

void TFFLoader::SetLibraryPath(const std::string& folder) {
    libraryPath_ = folder;
}

std::string TFFLoader::LastError() const {
    return lastError_;
}

void TFFLoader::SetLibraryFileName(int index, const std::string& fileName) {
    status_[index].fileName = fileName;
}

std::string TFFLoader::LibraryFileName(int index) const {
    if (!status_[index].fileName.empty())
        return status_[index].fileName;
    const TLibraryItem& item = kLibraries[index];
    std::string name = "lib";
    name += item.baseName;
    name += ".so";
    if (item.version >= 0) {
        name += '.';
        name += std::to_string(item.version);
    }
    return name;
}

void* TFFLoader::Open(int index, std::string& fullName) {
    const std::string fileName = LibraryFileName(index);
    fs::path path(fileName);
    const bool inFolder =
        !path.has_parent_path() && !libraryPath_.empty() && !kLibraries[index].systemLibrary;
    if (inFolder)
        path = fs::path(libraryPath_) / fileName;
    fullName = path.string();
    // RTLD_NODELETE keeps unloaded code mapped: a library's threads or exit handlers
    // can outlive our unload, and leak reports stay symbolized. Libraries opened
    // earlier from the folder satisfy the later ones' dependencies by their soname.
    const int flags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;
    std::error_code ec;
    if (inFolder && !fs::is_regular_file(path, ec))
        return dlopen(fileName.c_str(), flags); // not in the folder: system search
    return dlopen(fullName.c_str(), flags);
}

bool TFFLoader::Load(int index) {
    TLibraryStatus& st = status_[index];
    const std::string fileName = LibraryFileName(index);
    if (!st.handle) {
        std::string fullName;
        st.handle = Open(index, fullName);
        if (!st.handle) {
            const char* err = dlerror();
            char buf[2048];
            std::snprintf(buf, sizeof buf, "Load library %s error: %s", fullName.c_str(),
                          err ? err : "unknown error");
            lastError_ = buf;
            return false;
        }
    }
    if (!st.bound)
        st.bound = Bind(index, fileName);
    if (!st.bound) {
        Unload(index);
        return false;
    }
    return true;
}

bool TFFLoader::Bind(int index, const std::string& fileName) {
    try {
        kLibraries[index].bind(status_[index].handle, fileName);
    } catch (const EFFLoadError& e) {
        lastError_ = e.what();
        kLibraries[index].unbind();
        return false;
    }
    if (index == LIB_AVCODEC)
        FFLockManager(&gCodecLock, 0);
    else if (index == LIB_AVUTIL && installLogCallback_)
        FFLoggerInstall();
    return true;
}

bool TFFLoader::LoadSet(TLibrarySet set) {
    for (int index : kLoadOrder) {
        if (!(set & LIB_BIT(index)))
            continue;
        if (!Load(index)) {
            UnloadSet(set);
            return false;
        }
    }
    return true;
}

bool TFFLoader::IsLoaded(int index) const {
    return index >= 0 && index < LIB_COUNT && status_[index].handle && status_[index].bound;
}

bool TFFLoader::IsSetLoaded(TLibrarySet set) const {
    for (int index = 0; index < LIB_COUNT; ++index)
        if ((set & LIB_BIT(index)) && !IsLoaded(index))
            return false;
    return true;
}

void TFFLoader::UnloadSet(TLibrarySet set) {
    // Reverse loading order: dependants go first.
    for (int i = LIB_COUNT - 1; i >= 0; --i)
        if (set & LIB_BIT(kLoadOrder[i]))
            Unload(kLoadOrder[i]);
}

void TFFLoader::Unload(int index) {
    TLibraryStatus& st = status_[index];
    if (st.bound) {
        if (index == LIB_AVCODEC)
            FFLockManager(&gCodecLock, 3);
        if (index == LIB_AVUTIL) {
            gEntries.avutil.av_log_set_callback(gEntries.avutil.av_log_default_callback);
            FFLogResetLines();
        }
        kLibraries[index].unbind();
        st.bound = false;
    }
    if (st.handle) {
        dlclose(st.handle);
        st.handle = nullptr;
    }
}

TFFLoader& FFLoader() {
    if (!gLoader)
        gLoader = new TFFLoader;
    return *gLoader;
}

void FFEngineStart() {
    FFLoader();
    FFInterruptCB();
    if (!gFenvSaved) {
        std::feholdexcept(&gSavedFenv);
        std::fesetround(FE_TONEAREST);
        gFenvSaved = true;
    }
    gShuttingDown = false;
}

void FFEngineShutdown() {
    if (gFenvSaved) {
        std::fesetenv(&gSavedFenv);
        gFenvSaved = false;
    }
    gShuttingDown = true;
    delete gLoader; // unloads all eight libraries
    gLoader = nullptr;
    FFInterruptCB().Clear();
    FFFreeDefaultLogger();
}

namespace {

std::string systemMessage(int err) {
    return std::generic_category().message(err);
}

} // namespace

int FFLockManager(void** lock, int op) {
    if (gShuttingDown)
        return 0;
    TFFLogger& log = FFLogger();
    std::unique_lock slotGuard(gCodecSlotLock);
    // Every lock points at the one slot, so replacing or destroying the slot's
    // mutex never leaves another lock dangling.
    auto** slot = static_cast<TCodecMutex**>(*lock);
    switch (op) {
    case 0: // create
        if (slot && *slot) {
            log.LogFmt(nullptr, llError, "error, codec mutex [%d] already exist.", (*slot)->id);
            return -1;
        }
        if (gCodecSlot) {
            log.LogFmt(nullptr, llWarning, "warning, local codec mutex [%d] not destroyed.", gCodecSlot->id);
            delete gCodecSlot;
        }
        gCodecSlot = new TCodecMutex;
        gCodecSlot->id = ++gCodecMutexCounter;
        *lock = &gCodecSlot;
        log.LogFmt(nullptr, llDebug, "create codec mutex [%d].", gCodecSlot->id);
        return 0;
    case 1: { // obtain
        TCodecMutex* m = slot ? *slot : nullptr;
        if (!m) {
            log.LogFmt(nullptr, llError, "error, codec mutex not available.");
            return -1;
        }
        slotGuard.unlock(); // never wait while holding the slot
        if (m->owner.load() == std::this_thread::get_id()) {
            log.LogFmt(nullptr, llError, "error, could not wait on codec mutex [%d]: %s.", m->id,
                       systemMessage(EDEADLK).c_str());
            return -1;
        }
        m->mutex.lock();
        m->owner = std::this_thread::get_id();
        tHoldsCodecLock = true;
        log.LogFmt(nullptr, llDebug, "obtain codec mutex [%d].", m->id);
        return 0;
    }
    case 2: { // release
        TCodecMutex* m = slot ? *slot : nullptr;
        if (!m) {
            log.LogFmt(nullptr, llError, "error, codec mutex not available.");
            return -1;
        }
        if (m->owner.load() != std::this_thread::get_id()) {
            log.LogFmt(nullptr, llError, "error, could not release codec mutex [%d]: %s.", m->id,
                       systemMessage(EPERM).c_str());
            return -1;
        }
        m->owner = std::thread::id();
        tHoldsCodecLock = false;
        m->mutex.unlock();
        log.LogFmt(nullptr, llDebug, "release codec mutex [%d].", m->id);
        return 0;
    }
    case 3: // destroy
        if (slot && *slot) {
            log.LogFmt(nullptr, llDebug, "destory codec mutex [%d].", (*slot)->id);
            delete *slot;
            *slot = nullptr;
        }
        *lock = nullptr;
        return 0;
    default:
        log.LogFmt(nullptr, llError, "error, invalid codec mutex operation %d.", op);
        return -1;
    }
}

bool FFHoldsCodecLock() {
    return tHoldsCodecLock;
}

TCodecLockGuard::TCodecLockGuard() : held_(FFLockManager(&gCodecLock, 1) == 0) {}

TCodecLockGuard::~TCodecLockGuard() {
    if (held_)
        FFLockManager(&gCodecLock, 2);
}

void TInterruptCB::Register(uint32_t threadId, void* arg, TInterruptCallback callback) {
    std::lock_guard guard(lock_);
    for (const TEntry& e : entries_)
        if (e.threadId == threadId && e.arg == arg && e.callback.code == callback.code)
            return;
    entries_.push_back({threadId, callback, arg});
}

void TInterruptCB::Unregister(uint32_t threadId, void* arg, TInterruptCallback callback) {
    std::lock_guard guard(lock_);
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) {
        return e.threadId == threadId && e.arg == arg && e.callback.code == callback.code;
    });
    if (it != entries_.end())
        entries_.erase(it);
}

bool TInterruptCB::Query(uint32_t threadId) {
    std::lock_guard guard(lock_);
    for (const TEntry& e : entries_)
        if (e.threadId == threadId)
            return e.callback.code(e.callback.data, e.arg);
    return false;
}

void TInterruptCB::Clear() {
    std::lock_guard guard(lock_);
    entries_.clear();
}

TInterruptCB& FFInterruptCB() {
    static TInterruptCB registry;
    return registry;
}

int FFInterruptCallback(void*) {
    return FFInterruptCB().Query(FFThreadId()) ? 1 : 0;
}

void FFSetInterruptCallback(AVFormatContext* ctx) {
    ctx->interrupt_callback.callback = &FFInterruptCallback;
    ctx->interrupt_callback.opaque = nullptr;
}

namespace {

// Names that start with one of these protocols go to the libraries unchanged.
const char* const kProtocols[] = {"unicode", "stream", "gopher", "http", "https",
                                  "pipe",    "rtp",    "tcp",    "udp",  "file"};
const char kUnicodePrefix[] = "unicode:utf8:";

bool hasUrlScheme(const std::string& name) {
    const size_t colon = name.find(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    const std::string scheme = name.substr(0, colon);
    for (const char* p : kProtocols)
        if (scheme == p)
            return true;
    // Any other "scheme://" address.
    return name.compare(colon, 3, "://") == 0 &&
           std::all_of(scheme.begin(), scheme.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

} // namespace

std::string FFFileNameToLib(const std::string& fileName) {
    // Our names are UTF-8 already; the libraries' file protocol takes them as they are.
    if (fileName.rfind(kUnicodePrefix, 0) == 0)
        return "file:" + fileName.substr(sizeof kUnicodePrefix - 1);
    if (hasUrlScheme(fileName))
        return fileName;
    // A colon would make the libraries read the name as "protocol:rest".
    if (fileName.find(':') != std::string::npos)
        return "file:" + fileName;
    return fileName;
}

std::string FFFileNameFromLib(const std::string& libName) {
    if (libName.size() >= 14 && libName.rfind(kUnicodePrefix, 0) == 0)
        return libName.substr(sizeof kUnicodePrefix - 1);
    if (libName.rfind("file:", 0) == 0)
        return libName.substr(5);
    return libName;
}
