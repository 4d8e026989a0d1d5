#include "engine/FFmpegTask.h"

#include "support/MainThread.h"

#include <chrono>

namespace {
constexpr int kWaitSliceMs = 20;
}

TFFmpeg::TFFmpeg(int maxFiles)
    : TCustomFFmpeg(maxFiles), InputOptions(maxFiles), OutputOptions(maxFiles), FDecoders(maxFiles) {}

TFFmpeg::~TFFmpeg() {
    {
        std::lock_guard g(FStateLock);
        if (FState == TRunState::Started)
            TCustomFFmpeg::Stop(false);
    }
    // Threads may still be delivering through the main-thread queue: keep it flowing.
    WaitEvent(FThreadFinished);
    WaitEvent(FTerminateFinished);
    if (FThread)
        FThread->Join();
    if (FTerminateThread)
        FTerminateThread->Join();
}

void TFFmpeg::AttachDecoder(int index) {
    auto& decoder = FDecoders.at(index);
    if (!decoder)
        decoder = std::make_unique<TFFDecoder>();
    decoder->AttachFormatContext(InputContext(index));
}

TFFDecoder* TFFmpeg::Decoder(int index) const {
    return index >= 0 && index < static_cast<int>(FDecoders.size()) ? FDecoders[index].get() : nullptr;
}

bool TFFmpeg::Start(bool threaded, TThreadPriority priority) {
    {
        std::lock_guard g(FStateLock);
        if (FState != TRunState::Idle)
            return false;
        FState = TRunState::Started;
        if (threaded) {
            FThreadFinished.Reset();
            FThread = std::make_unique<TConvertThread>(
                [this] {
                    TCustomFFmpeg::Start(false, TThreadPriority::tpNormal);
                    FThreadFinished.Set();
                },
                priority);
            FThread->Resume();
            return true;
        }
    }
    return TCustomFFmpeg::Start(false, priority);
}

void TFFmpeg::Stop(bool wait) {
    TThreadEvent* waitFor = nullptr;
    {
        std::lock_guard g(FStateLock);
        switch (FState) {
        case TRunState::Idle:
            FState = TRunState::Ended;
            FTerminateFinished.Reset();
            FTerminateThread = std::make_unique<TConvertThread>(
                [this] {
                    Terminate();
                    FTerminateFinished.Set();
                },
                TThreadPriority::tpNormal);
            FTerminateThread->Resume();
            waitFor = &FTerminateFinished;
            break;
        case TRunState::Started:
            // A run in the calling thread abandons its pending I/O through the core.
            TCustomFFmpeg::Stop(false);
            if (FThread && !FThread->IsCurrentThread())
                waitFor = &FThreadFinished;
            break;
        case TRunState::Ended:
            break;
        }
    }
    if (wait && waitFor)
        WaitEvent(*waitFor);
}

void TFFmpeg::WaitEvent(TThreadEvent& event) {
    if (!MainThread::IsMainThread()) {
        event.Wait();
        return;
    }
    while (!event.WaitFor(0))
        MainThread::PumpSlice(std::chrono::milliseconds(kWaitSliceMs));
}
