#pragma once

#include "net/HTTPStream.h"
#include "net/WinHTTPTypes.h"
#include "net/WinThread.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TCustomWinHTTP;

using TWinHTTPNotifyEvent = std::function<void(TCustomWinHTTP* Sender)>;
using TWinHTTPBeforeSendRequestEvent = std::function<void(TCustomWinHTTP* Sender, void* hRequest)>;
using TWinHTTPHeaderInfoEvent = std::function<void(
    TCustomWinHTTP* Sender, int ErrorCode, const std::string& RawHeadersCRLF, const std::string& ContentType,
    const std::string& ContentLanguage, const std::string& ContentEncoding, std::int64_t ContentLength,
    const std::string& Location, TDateTime Date, TDateTime LastModified, TDateTime Expires,
    const std::string& ETag, bool& ContinueDownload)>;
using TWinHTTPDoneEvent = std::function<void(TCustomWinHTTP* Sender, const std::string& ContentType,
                                             std::int64_t FileSize, THTTPStream* Stream)>;
using TWinHTTPProgressEvent =
    std::function<void(TCustomWinHTTP* Sender, const std::string& ContentType, std::int64_t DataSize,
                       std::int64_t BytesRead, std::int64_t ElapsedTime, std::int64_t EstimatedTimeLeft,
                       std::uint8_t PercentsDone, float TransferRate, THTTPStream* Stream)>;
using TWinHTTPRedirectedEvent = std::function<void(TCustomWinHTTP* Sender, const std::string& NewURL)>;
using TWinHTTPConnLostEvent =
    std::function<void(TCustomWinHTTP* Sender, const std::string& ContentType, std::int64_t FileSize,
                       std::int64_t BytesRead, THTTPStream* Stream)>;
using TWinHTTPHTTPErrorEvent =
    std::function<void(TCustomWinHTTP* Sender, int ErrorCode, THTTPStream* Stream)>;
using TWinHTTPPasswordRequestEvent =
    std::function<void(TCustomWinHTTP* Sender, const std::string& Realm, bool& TryAgain)>;
using TWinHTTPProxyAuthenticationRequestEvent = std::function<void(
    TCustomWinHTTP* Sender, std::string& ProxyUsername, std::string& ProxyPassword, bool& TryAgain)>;
using TWinHTTPWaitTimeoutExpired = std::function<void(TCustomWinHTTP* Sender, bool& TerminateThread)>;

// Figures of one progress report.
struct TWinHTTPProgress {
    std::int64_t DataSize = 0;
    std::int64_t BytesRead = 0;
    std::int64_t ElapsedTime = 0;       // whole seconds
    std::int64_t EstimatedTimeLeft = 0; // seconds; negative when no length is known
    std::uint8_t PercentsDone = 0;
    float TransferRate = 0; // KB per second
};
// offset = resume offset, length = content length, read = bytes read in this transfer.
TWinHTTPProgress ComputeProgress(std::int64_t offset, std::int64_t length, std::int64_t read,
                                 std::chrono::milliseconds elapsed);

// Holds the credentials used when an address carries none.
class TWinLoginComponent {
public:
    virtual ~TWinLoginComponent() = default;
    std::string Username;
    std::string Password;
};

class WinHTTPTransfer;

// Fetches one address per start, on its own worker thread, into memory or a file; every
// event but OnBeforeSendRequest and OnRedirected is delivered on the main thread.
class TCustomWinHTTP : public TWinLoginComponent {
public:
    TCustomWinHTTP();
    ~TCustomWinHTTP() override;
    TCustomWinHTTP(const TCustomWinHTTP&) = delete;
    TCustomWinHTTP& operator=(const TCustomWinHTTP&) = delete;

    bool Start(bool Wait = false) { return StartFrom(0, 0, Wait); }
    // Refused (false) while a transfer is started and not yet finished.
    bool StartFrom(std::int64_t ResumeFrom, std::int64_t RangeEnd, bool Wait = false);
    void Abort(bool DeleteOutput, bool Kill);
    bool Busy() const { return thread_->Running(); }

    TThreadPriority ThreadPriority() const { return thread_->ThreadPriority(); }
    void SetThreadPriority(TThreadPriority value) { thread_->SetThreadPriority(value); }
    bool WaitThread() const { return thread_->WaitThread; }
    void SetWaitThread(bool value) { thread_->WaitThread = value; }
    std::uint32_t WaitTimeout() const { return thread_->WaitTimeout; }
    void SetWaitTimeout(std::uint32_t value) { thread_->WaitTimeout = value; }

    // Must not change while a transfer runs.
    std::string AcceptTypes = "text/html, */*";
    std::vector<std::string> AddHeaders; // "Name: value"; an Accept line replaces AcceptTypes
    std::string Agent = "mediawiz TWinHTTP/1.0";
    TWinHTTPProxy Proxy;
    std::string URL;
    // The cache and go-online options have no meaning for this client; they are kept only.
    TCacheOptions CacheOptions{coReloadIfNoExpireInformation, coReloadUpdatedObjects,
                               coCreateTempFilesIfCantCache};
    TInternetOptions InternetOptions{ioKeepConnection};
    std::string OutputFileName;
    TWinHTTPOutputFileAttributes OutputFileAttributes;
    std::string POSTData;
    TWinHTTPRange Range;
    std::string Referer;
    bool ShowGoOnlineMessage = false;
    TWinHTTPRequestMethod RequestMethod = rmAutoDetect;
    TWinHTTPTimeouts Timeouts;
    int TransferBufferSize = 4096; // 255 .. 2147483647
    bool WorkOffline = false;
    // Progress reports at most once per this interval (0: after every block) and after the
    // last block of a known length, so a fast transfer does not wait for the main thread
    // block by block.
    std::uint32_t ProgressIntervalMs = 0;

    // The system's message for the output file of the last transfer that could not be
    // created or written; empty when there was no such failure.
    std::string OutputFileError() const;

    TWinHTTPBeforeSendRequestEvent OnBeforeSendRequest;
    TWinHTTPHeaderInfoEvent OnHeaderInfo;
    TWinHTTPDoneEvent OnDone;
    TWinHTTPNotifyEvent OnDoneInterrupted;
    TWinHTTPNotifyEvent OnOutputFileError;
    TWinHTTPProgressEvent OnProgress;
    TWinHTTPRedirectedEvent OnRedirected;
    TWinHTTPNotifyEvent OnAnyError;
    TWinHTTPNotifyEvent OnAborted;
    TWinHTTPConnLostEvent OnConnLost;
    TWinHTTPHTTPErrorEvent OnHTTPError;
    TWinHTTPNotifyEvent OnHostUnreachable;
    TWinHTTPPasswordRequestEvent OnPasswordRequest;
    TWinHTTPProxyAuthenticationRequestEvent OnProxyAuthenticationRequest;
    TWinHTTPWaitTimeoutExpired OnWaitTimeoutExpired;

private:
    friend class WinHTTPTransfer;

    // State of one transfer. The worker owns it while it runs; the completion step reads
    // it on the main thread while the worker waits for that call.
    struct Run {
        std::int64_t resumeFrom = 0;
        std::int64_t rangeEnd = 0;
        int status = -1;
        std::int64_t contentLength = 0;
        bool lengthKnown = false;
        std::int64_t bytesRead = 0;
        bool readFailed = false;
        std::chrono::steady_clock::time_point startTick;
        std::string contentType;
        std::unique_ptr<THTTPStream> body;
        bool fileOpened = false;
        std::string outputError;               // why the output file failed (outputLock)
        std::atomic<bool> deleteOutput{false}; // given to Abort
        bool memoryBody = false;
        bool continueDownload = true;
        bool stopped = false;        // the stop step ended this run
        bool anyErrorRaised = false; // main thread: OnAnyError went out for this run
        std::mutex outputLock;       // guards outputError, outputPath and cleanedUp
        std::string outputPath;      // the file this run opened
        bool cleanedUp = false;      // the output was handed to a clean-up

        // Hands the output file to the one clean-up of this run: its path, or "" when no
        // file was opened or the clean-up was taken already (an immediate stop takes it on
        // the caller's thread, so the unwinding worker never touches a later run's file).
        std::string TakeOutput();
    };

    void transferJob();
    void completion();
    // Stops raising events once destroyed is set (by a handler that destroyed the component).
    void raiseOutcome(Run& run, bool& deleteOutput, const std::atomic<bool>& destroyed);
    void raiseAnyError(Run& run);
    void waitTimeoutExpired(bool& terminateThread);
    // Closes the body stream and, when deleteOutput, deletes the output file.
    static void releaseBody(Run& run, bool deleteOutput);
    std::shared_ptr<Run> currentRun() const;
    bool destroying() const { return thread_->Destroying(); }
    // Raises an event on the main thread from the worker (skipped while destroying).
    void synchronize(const std::function<void()>& call) { thread_->Synchronize(call); }

    std::atomic<bool> started_{false};
    mutable std::mutex runLock_; // guards run_ (the pointer, not the record)
    std::shared_ptr<Run> run_ = std::make_shared<Run>();
    std::unique_ptr<TCustomWinThread> thread_;
};

// The component as the application uses it.
class TWinHTTP : public TCustomWinHTTP {};
