#pragma once

#include "net/CurlHandles.h"
#include "net/HTTPURL.h"
#include "net/WinHTTP.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The transfer loop of one start of a TCustomWinHTTP, run on its worker thread.
class WinHTTPTransfer {
public:
    // Thrown at a checkpoint that found a stop request.
    struct Stopped {};

    WinHTTPTransfer(TCustomWinHTTP& http, TCustomWinHTTP::Run& run) : http_(http), run_(run) {}
    void Execute();

private:
    // What follows the request just made.
    enum class Next { Body, Resend, Probe, Restart, End };

    // One header block of a response (a transfer sees several with redirects).
    struct Response {
        int status = 0;
        std::string raw;
        std::vector<std::pair<std::string, std::string>> headers;
        const std::string* Header(std::string_view name) const;
    };

    void checkpoint();
    void readLocalFile(const TCrackedURL& parts);
    void perform(bool probe);
    void configure(CURL* easy, bool probe);
    CurlList requestHeaders(bool probe) const;
    bool headerLine(std::string_view line);
    bool blockEnded();
    bool finalHeaders();
    void raiseHeaderInfo();
    void openBodyTarget();
    bool takeData(const char* data, std::size_t size);
    bool takeBlock(const char* data, std::size_t size);
    bool progressDue() const;
    void reportProgress();
    bool watchdog(curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow);
    // Raises an event on the main thread and waits for it.
    void onMainThread(const std::function<void()>& call);
    std::string resolveLocation(const std::string& location) const;
    std::size_t blockSize() const;
    // Runs a callback's work, turning a stop request or an exception into a failed return.
    template <class F> bool guarded(F&& work);

    static std::size_t onHeader(char* buffer, std::size_t size, std::size_t count, void* self);
    static std::size_t onWrite(char* buffer, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                          curl_off_t ulnow);

    TCustomWinHTTP& http_;
    TCustomWinHTTP::Run& run_;
    std::string url_;
    std::string username_;
    std::string password_;
    bool loginFromProperties_ = false; // after an OnPasswordRequest

    // State of the request in progress.
    CURL* easy_ = nullptr;
    bool probe_ = false;
    Response block_;
    bool finalSeen_ = false;
    Next next_ = Next::Body;
    bool stopRequested_ = false;
    std::exception_ptr pending_;
    bool comparing_ = false; // the next block is checked against the output file
    int probeStatus_ = -1;
    std::int64_t probeLength_ = 0;
    std::chrono::steady_clock::time_point lastActivity_;
    std::chrono::steady_clock::time_point lastReport_{}; // of the last progress report
    std::int64_t reportedBytes_ = 0;                     // bytes read at that report
    curl_off_t lastDown_ = 0;
    curl_off_t lastUp_ = 0;
};
