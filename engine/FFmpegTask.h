#pragma once

#include "engine/ConvertThread.h"
#include "engine/FFDecode.h"
#include "engine/FFEncodeRecords.h"
#include "engine/FFmpeg.h"

#include <memory>
#include <mutex>
#include <vector>

// A conversion task of the encoder component: the transcoding core plus, per file,
// the options the caller gave and a probe decoder attached to each opened input.
// Asynchronous runs happen on a TConvertThread the task owns and joins.
class TFFmpeg : public TCustomFFmpeg {
public:
    explicit TFFmpeg(int maxFiles);
    ~TFFmpeg() override;

    // Copies of the caller's records, one per input and per output file.
    std::vector<TInputOptions> InputOptions;
    std::vector<TOutputOptions> OutputOptions;
    // The output of this task concatenates its inputs.
    bool Join = false;

    // Gives opened input number index its decoder, attached to the task's demuxer.
    void AttachDecoder(int index);
    // The decoder of an input; nullptr before AttachDecoder.
    TFFDecoder* Decoder(int index) const;

    // Runs the task on its own thread (threaded) or in the calling thread. Refused
    // (false) once the task has been started or ended.
    bool Start(bool threaded, TThreadPriority priority);
    // A started task gets a stop request; with wait the caller waits for its thread.
    // A task never started is ended by a terminate thread (reported not completed);
    // with wait the caller waits for that thread.
    void Stop(bool wait);

private:
    enum class TRunState { Idle, Started, Ended };

    // Waits for the event; on the main thread pending main-thread calls keep running.
    static void WaitEvent(TThreadEvent& event);

    std::vector<std::unique_ptr<TFFDecoder>> FDecoders;

    std::mutex FStateLock; // guards FState and the two thread objects
    TRunState FState = TRunState::Idle;
    std::unique_ptr<TConvertThread> FThread;
    std::unique_ptr<TConvertThread> FTerminateThread;
    TThreadEvent FThreadFinished{true};
    TThreadEvent FTerminateFinished{true};
};
