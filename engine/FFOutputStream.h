#pragma once

#include "engine/FFStreamHooks.h"
#include "engine/FFmpegState.h"

#include <cstdio>
#include <memory>

struct TFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// Byte and frame counters of one run, shared by its output streams.
struct TRunStats {
    int64_t videoBytes = 0, audioBytes = 0, otherBytes = 0;
    int64_t dupFrames = 0, dropFrames = 0;
    std::unique_ptr<FILE, TFileCloser> vstats; // per-frame statistics ("vstats"), opened on first use
    bool vstatsFailed = false;
};

// One decoded (or copied) input stream of a run.
struct TInputStream {
    int file = 0;
    int index = 0;
    AVStream* st = nullptr;
    TCodecContextPtr dec;
    std::vector<class TOutputStream*> outputs;
    int64_t nextDtsUs = kNoTime; // expected decode time of the next packet
    int64_t lastDtsUs = kNoTime;
};

// One output stream of a run: stream copy, or the chain filter -> encoder -> muxer.
// Video goes through a filter graph (scale, the task's filters, pixel format) and the
// frame-rate conversion; audio through a filter graph (volume, resampling, format)
// and a FIFO that cuts the encoder's frame size.
class TOutputStream {
public:
    TOutputStream(TCustomFFmpeg& task, TCustomFFmpeg::State& s, TRunStats& stats, TOutputFile& out, int file,
                  int index, const TStreamRequest& request);
    ~TOutputStream();
    TOutputStream(const TOutputStream&) = delete;
    TOutputStream& operator=(const TOutputStream&) = delete;

    // Sets up stream copy or opens the encoder, taking missing settings from source.
    void Prepare(const TInputStream& source);
    // A decoded frame whose pts is in microseconds of output time.
    void Frame(AVFrame* frame, const TInputStream& source);
    void Subtitle(const AVSubtitle& sub, int64_t ptsUs, const TInputStream& source);
    // A packet whose timestamps carry the input's offset, in the source's time base.
    void CopyPacket(const AVPacket* pkt, const TInputStream& source);
    // Drains filters and encoder at the end of the run.
    void Flush();

    AVMediaType Kind() const { return request_.kind; }
    bool IsCopy() const { return copy_; }
    bool Finished() const { return finished_; }
    int64_t EndUs() const { return endUs_; }
    int64_t Frames() const { return frames_; }
    float Quality() const { return quality_; }
    int File() const { return file_; }
    int Index() const { return index_; }
    AVStream* Stream() const { return st_; }
    const char* CodecName() const;

    // Sources of this stream, one per input file of a joined output, else one.
    std::vector<TInputStream*> sources;

private:
    void prepareVideo(const TInputStream& source, const AVCodec* codec);
    void prepareAudio(const TInputStream& source, const AVCodec* codec);
    void openEncoder(const AVCodec* codec);
    void buildVideoGraph(const AVFrame* frame, const TInputStream& source);
    void buildAudioGraph(const AVFrame* frame);
    void configureGraph(const std::string& chain, const std::string& sourceArgs, bool video);
    void drainGraph();
    void endGraphInput();
    void encodeVideo(AVFrame* frame);
    void encodeAudioFifo(bool flush);
    void sendFrame(AVFrame* frame);
    void receivePackets();
    void write(AVPacket* pkt, AVRational tb);
    void writeVideoStats(const AVPacket* pkt, char pictType);

    TCustomFFmpeg& task_;
    TCustomFFmpeg::State& s_;
    TRunStats& stats_;
    TOutputFile& out_;
    int file_, index_;
    TStreamRequest request_;
    AVStream* st_;
    bool copy_ = false;
    bool finished_ = false;
    TCodecContextPtr enc_;
    TFramePtr work_;
    TPacketPtr pkt_;
    TStreamHooks hooks_;

    TFilterGraphPtr graph_;
    AVFilterContext* src_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    int graphW_ = 0, graphH_ = 0, graphFmt_ = -1, graphRate_ = 0;
    AVChannelLayout graphLayout_{};

    TAudioFifoPtr fifo_;
    int frameSize_ = 0;
    int64_t samplesOut_ = 0;

    int64_t nextPts_ = 0; // encoder ticks of the next video frame
    int64_t frames_ = 0;
    int64_t endUs_ = 0;
    int64_t lastDts_ = AV_NOPTS_VALUE;
    float quality_ = -1.0f;
    bool keySeen_ = false;
    TBsfPtr bsf_;
    std::vector<int64_t> forcedKeyUs_;
    size_t nextForcedKey_ = 0;
    std::unique_ptr<FILE, TFileCloser> passLog_; // the first pass writes its statistics here
};
