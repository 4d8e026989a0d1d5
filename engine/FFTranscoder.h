#pragma once

#include "engine/FFOutputStream.h"

// One run of a task: builds the output streams from the stream maps, opens decoders
// and encoders, writes the headers, then reads, decodes, converts, encodes and writes
// until the inputs end or a stop is requested, reporting progress on the way.
class TTranscoder {
public:
    TTranscoder(TCustomFFmpeg& task, TCustomFFmpeg::State& s);
    ~TTranscoder();
    TTranscoder(const TTranscoder&) = delete;
    TTranscoder& operator=(const TTranscoder&) = delete;

    // Raises FFmpegException on failure; sets the task's completed flag at the end.
    void Run();

private:
    void buildStreams();
    TInputStream* inputStream(int file, int index);
    TInputStream* firstStreamOfKind(int file, AVMediaType kind);
    void openDecoder(TInputStream& ist);
    void writeHeaders();
    int chooseInput();
    void processPacket(int file, AVPacket* pkt);
    void decode(TInputStream& ist, const AVPacket* pkt);
    void deliverFrames(TInputStream& ist);
    void flushDecoders(int file);
    bool allFinished() const;
    int64_t outputTime() const;
    // Reads, codes and writes until the inputs end or a stop is requested.
    void loop();
    void report(bool final);

    TCustomFFmpeg& task_;
    TCustomFFmpeg::State& s_;
    TRunStats stats_;
    std::vector<std::vector<std::unique_ptr<TInputStream>>> inputs_; // [file][stream]; null when unused
    std::vector<std::unique_ptr<TOutputStream>> outputs_;
    std::vector<char> ended_, again_, flushed_;
    std::vector<int64_t> fileEndUs_; // latest packet end seen per input file
    bool joined_ = false;
    int lastFile_ = 0;
    int64_t startUs_ = 0;
    int64_t lastReportUs_ = 0;
    TPacketPtr pkt_;
    TFramePtr frame_;
};
