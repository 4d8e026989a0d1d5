#pragma once

// RAII owners of the FFmpeg handles the transcoding core creates. Each deleter calls
// the bound entry point, so nothing links FFmpeg.

#include "engine/FFLoad.h"

#include <memory>

struct TPacketDeleter {
    void operator()(AVPacket* p) const { FF().avcodec.av_packet_free(&p); }
};
struct TFrameDeleter {
    void operator()(AVFrame* f) const { FF().avutil.av_frame_free(&f); }
};
struct TCodecContextDeleter {
    void operator()(AVCodecContext* c) const {
        TCodecLockGuard lock;
        FF().avcodec.avcodec_free_context(&c);
    }
};
struct TFilterGraphDeleter {
    void operator()(AVFilterGraph* g) const { FF().avfilter.avfilter_graph_free(&g); }
};
struct TBsfDeleter {
    void operator()(AVBSFContext* b) const { FF().avcodec.av_bsf_free(&b); }
};
struct TAudioFifoDeleter {
    void operator()(AVAudioFifo* f) const { FF().avutil.av_audio_fifo_free(f); }
};
struct TSwsDeleter {
    void operator()(SwsContext* s) const { FF().swscale.sws_freeContext(s); }
};
struct TSwrDeleter {
    void operator()(SwrContext* s) const { FF().swresample.swr_free(&s); }
};
// Input contexts are closed, output contexts have their file closed and are freed.
struct TInputContextDeleter {
    void operator()(AVFormatContext* c) const { FF().avformat.avformat_close_input(&c); }
};
struct TOutputContextDeleter {
    void operator()(AVFormatContext* c) const {
        if (c->pb && c->oformat && !(c->oformat->flags & AVFMT_NOFILE))
            FF().avformat.avio_closep(&c->pb);
        FF().avformat.avformat_free_context(c);
    }
};

using TPacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;
using TFramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;
using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextDeleter>;
using TFilterGraphPtr = std::unique_ptr<AVFilterGraph, TFilterGraphDeleter>;
using TBsfPtr = std::unique_ptr<AVBSFContext, TBsfDeleter>;
using TAudioFifoPtr = std::unique_ptr<AVAudioFifo, TAudioFifoDeleter>;
using TSwsPtr = std::unique_ptr<SwsContext, TSwsDeleter>;
using TSwrPtr = std::unique_ptr<SwrContext, TSwrDeleter>;
using TInputContextPtr = std::unique_ptr<AVFormatContext, TInputContextDeleter>;
using TOutputContextPtr = std::unique_ptr<AVFormatContext, TOutputContextDeleter>;

// A dictionary handed to libraries that consume entries (open calls take its address).
class TDict {
public:
    TDict() = default;
    ~TDict() {
        if (d_)
            FF().avutil.av_dict_free(&d_);
    }
    TDict(const TDict&) = delete;
    TDict& operator=(const TDict&) = delete;
    void Set(const std::string& key, const std::string& value) {
        FF().avutil.av_dict_set(&d_, key.c_str(), value.c_str(), 0);
    }
    AVDictionary** Ptr() { return &d_; }
    AVDictionary* Get() const { return d_; }

private:
    AVDictionary* d_ = nullptr;
};
