#pragma once

#include "engine/FFmpegState.h"
#include "engine/FormatConverter.h"
#include "engine/Previewer.h"

// The task's hooks and preview on one output stream: decoded video before and after
// the filters as RGB bitmaps (written back when the hook asks for it), the preview
// window and the preview bitmaps at most once per preview interval, and decoded audio
// as packed 16-bit.
class TStreamHooks {
public:
    TStreamHooks(TCustomFFmpeg& task, TCustomFFmpeg::State& s);
    TStreamHooks(const TStreamHooks&) = delete;
    TStreamHooks& operator=(const TStreamHooks&) = delete;

    // output: after the filters. ptsUs in microseconds.
    void Video(AVFrame* frame, bool output, int frameNumber, int64_t ptsUs);
    void Preview(const AVFrame* frame, int frameNumber, int64_t ptsUs);
    // The frame that goes on: the hook's packed 16-bit copy when an audio hook is set.
    AVFrame* Audio(AVFrame* frame);

private:
    bool render(const AVFrame* frame, int frameNumber, int64_t ptsUs, TFFBitmap& info);

    TCustomFFmpeg& task_;
    TCustomFFmpeg::State& s_;
    TFormatConverter converter_;
    TBitmap bitmap_;
    bool stopped_ = false;
    TFormatConverter windowConverter_; // the preview window always takes 24-bit pictures
    TBitmap windowFrame_;
    TPreviewer previewer_;
    TSwrPtr swr_; // decoded audio -> packed 16-bit
    TFramePtr packed_;
};
