#include "net/WinHTTP.h"

#include "net/WinHTTPTransfer.h"

#include <cmath>
#include <cstdio>

namespace {

// Nearest integer, halves to the even neighbour.
std::int64_t RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    std::int64_t result = static_cast<std::int64_t>(lower);
    if (diff > 0.5 || (diff == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

} // namespace

TWinHTTPProgress ComputeProgress(std::int64_t offset, std::int64_t length, std::int64_t read,
                                 std::chrono::milliseconds elapsed) {
    TWinHTTPProgress p;
    p.DataSize = length + offset;
    p.BytesRead = offset + read;
    p.PercentsDone = p.DataSize == 0
                         ? 0
                         : static_cast<std::uint8_t>(RoundHalfEven(static_cast<double>(p.BytesRead) * 100.0 /
                                                                   static_cast<double>(p.DataSize)));
    p.ElapsedTime = elapsed.count() / 1000;
    const double ratio = read == 0 ? 0.0 : static_cast<double>(length) / static_cast<double>(read);
    p.EstimatedTimeLeft = RoundHalfEven(ratio * static_cast<double>(p.ElapsedTime)) - p.ElapsedTime;
    const double kb = static_cast<double>(read) / 1024.0;
    p.TransferRate = static_cast<float>(p.ElapsedTime == 0 ? kb : kb / static_cast<double>(p.ElapsedTime));
    return p;
}

TCustomWinHTTP::TCustomWinHTTP() : thread_(std::make_unique<TCustomWinThread>()) {
    thread_->SetOnExecute([this](TCustomWinThread*) { transferJob(); });
    // A failing job or a completion handler that raised.
    thread_->SetOnException([this](std::exception_ptr) {
        if (!destroying())
            raiseAnyError(*currentRun());
    });
    thread_->SetOnTerminate([this](TCustomWinThread*) { completion(); });
    thread_->OnWaitTimeoutExpired = [this](TCustomWinThread*, bool& terminateThread) {
        waitTimeoutExpired(terminateThread);
    };
}

TCustomWinHTTP::~TCustomWinHTTP() {
    thread_->BeginDestroy();
    // The worker uses the thread component until it has ended: stop it and wait first.
    thread_->StopRun();
}

std::string TCustomWinHTTP::Run::TakeOutput() {
    std::lock_guard g(outputLock);
    if (cleanedUp)
        return {};
    cleanedUp = true;
    return outputPath;
}

std::shared_ptr<TCustomWinHTTP::Run> TCustomWinHTTP::currentRun() const {
    std::lock_guard g(runLock_);
    return run_;
}

std::string TCustomWinHTTP::OutputFileError() const {
    const std::shared_ptr<Run> run = currentRun();
    std::lock_guard g(run->outputLock);
    return run->outputError;
}

bool TCustomWinHTTP::StartFrom(std::int64_t ResumeFrom, std::int64_t RangeEnd, bool Wait) {
    if (started_)
        return false;
    started_ = true;
    auto run = std::make_shared<Run>();
    run->resumeFrom = ResumeFrom;
    run->rangeEnd = RangeEnd;
    {
        std::lock_guard g(runLock_);
        run_ = std::move(run);
    }
    const bool savedWait = thread_->WaitThread;
    if (Wait)
        thread_->WaitThread = true;
    const bool result = thread_->Execute();
    thread_->WaitThread = savedWait;
    return result;
}

void TCustomWinHTTP::Abort(bool DeleteOutput, bool Kill) {
    if (!thread_->Running())
        return;
    const std::shared_ptr<Run> run = currentRun();
    run->deleteOutput = DeleteOutput;
    thread_->Terminate(Kill);
    if (!Kill)
        return;
    // The stop step, here and now; the stopped worker only closes its handles as it unwinds.
    const std::string output = run->TakeOutput();
    if (DeleteOutput && !output.empty())
        std::remove(output.c_str());
    started_ = false;
    if (OnAborted && !destroying())
        OnAborted(this);
}

void TCustomWinHTTP::releaseBody(Run& run, bool deleteOutput) {
    run.body.reset();
    run.fileOpened = false;
    const std::string output = run.TakeOutput();
    if (deleteOutput && !output.empty())
        std::remove(output.c_str());
}

void TCustomWinHTTP::transferJob() {
    const std::shared_ptr<Run> run = currentRun();
    try {
        WinHTTPTransfer(*this, *run).Execute();
    } catch (const WinHTTPTransfer::Stopped&) {
        // The stop step: nothing of this run follows but OnAborted.
        releaseBody(*run, run->deleteOutput);
        run->stopped = true;
        started_ = false;
        synchronize([this] {
            if (OnAborted)
                OnAborted(this);
        });
    } catch (const EWinThreadKilled&) {
        releaseBody(*run, run->deleteOutput);
        throw;
    }
}

void TCustomWinHTTP::waitTimeoutExpired(bool& terminateThread) {
    if (OnWaitTimeoutExpired && !destroying())
        OnWaitTimeoutExpired(this, terminateThread);
    if (terminateThread) {
        // The worker is stopped at once and releases its handles and body while it unwinds.
        started_ = false;
    }
}

void TCustomWinHTTP::raiseAnyError(Run& run) {
    if (run.anyErrorRaised)
        return;
    run.anyErrorRaised = true;
    if (OnAnyError)
        OnAnyError(this);
}

void TCustomWinHTTP::completion() {
    const std::shared_ptr<Run> run = currentRun();
    if (run->stopped)
        return;
    // A handler may destroy this component; from then on only these locals are touched.
    const std::shared_ptr<const std::atomic<bool>> destroyed = thread_->DestroyingFlag();
    bool deleteOutput = false;
    // Whatever a handler does, the transfer ends here: its file is released and the
    // component takes the next start.
    const auto finish = [&] {
        releaseBody(*run, deleteOutput);
        if (!*destroyed)
            started_ = false;
    };
    try {
        raiseOutcome(*run, deleteOutput, *destroyed);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (!*destroyed && !run->continueDownload && !run->anyErrorRaised && OnDoneInterrupted)
        OnDoneInterrupted(this);
}

void TCustomWinHTTP::raiseOutcome(Run& run, bool& deleteOutput, const std::atomic<bool>& destroyed) {
    if (run.anyErrorRaised || !run.continueDownload)
        return; // a failed job was reported already; an interruption is reported last
    if (run.body)
        run.body->Seek(0);
    if ((run.status == 200 || run.status == 206) && !run.readFailed &&
        (!run.lengthKnown || !run.body || run.bytesRead == run.contentLength)) {
        if (!run.body) {
            raiseAnyError(run);
            if (!destroyed && OnOutputFileError)
                OnOutputFileError(this);
            return;
        }
        if (run.fileOpened)
            releaseBody(run, false);
        if (OnDone)
            OnDone(this, run.contentType, run.bytesRead + run.resumeFrom,
                   run.memoryBody ? run.body.get() : nullptr);
        return;
    }
    if (run.status == 200 || run.status == 206) {
        if (OnConnLost)
            OnConnLost(this, run.contentType, run.contentLength, run.bytesRead, run.body.get());
    } else if (run.status == -1) {
        if (OnHostUnreachable)
            OnHostUnreachable(this);
    } else {
        deleteOutput = run.fileOpened;
        if (OnHTTPError)
            OnHTTPError(this, run.status, run.body.get());
    }
    if (!destroyed)
        raiseAnyError(run);
}
