#include "engine/FFStreamHooks.h"

namespace {
// Wall-clock time, so a run faster than real time draws no more pictures than a slow one.
constexpr int64_t kPreviewIntervalMs = 100;
constexpr int kPreviewWindowBit = 1;
constexpr int kPreviewBitmapBit = 2;
} // namespace

TStreamHooks::TStreamHooks(TCustomFFmpeg& task, TCustomFFmpeg::State& s) : task_(task), s_(s) {}

bool TStreamHooks::render(const AVFrame* frame, int frameNumber, int64_t ptsUs, TFFBitmap& info) {
    if (converter_.BitsPixel() != s_.hookBpp)
        converter_.SetBitsPixel(s_.hookBpp);
    if (!converter_.ToRGB(frame, bitmap_))
        return false;
    info.Data = bitmap_.Pixels.data();
    info.LineSize = bitmap_.LineSize;
    info.Width = frame->width;
    info.Height = frame->height;
    info.BitsPerPixel = s_.hookBpp;
    info.FrameNumber = frameNumber;
    info.PTS = ptsUs;
    return true;
}

void TStreamHooks::Video(AVFrame* frame, bool output, int frameNumber, int64_t ptsUs) {
    const auto& hook = output ? task_.OnVideoOutputHook : task_.OnVideoInputHook;
    if (!hook || stopped_)
        return;
    TFFBitmap info;
    if (!render(frame, frameNumber, ptsUs, info)) {
        TaskLog(&task_, llError, "hook buf malloc error.");
        return;
    }
    hook(task_, info);
    if (info.Update && FF().avutil.av_frame_make_writable(frame) >= 0)
        converter_.FromRGB(bitmap_, frame);
    if (info.StopHook)
        stopped_ = true;
}

void TStreamHooks::Preview(const AVFrame* frame, int frameNumber, int64_t ptsUs) {
    const int bits = s_.previewBits;
    const bool window = bits & kPreviewWindowBit;
    const bool bitmaps = task_.OnPreviewBitmap && (bits & kPreviewBitmapBit);
    if ((!window && !bitmaps) || ptsUs == AV_NOPTS_VALUE)
        return;
    const int64_t nowMs = SteadyMs();
    if (s_.lastPreviewMs != INT64_MIN && nowMs - s_.lastPreviewMs < kPreviewIntervalMs)
        return;
    s_.lastPreviewMs = nowMs;
    // A window the user closed, or one that cannot be shown, ends the task's preview.
    if (window && !(windowConverter_.ToRGB(frame, windowFrame_) && previewer_.Preview(windowFrame_, ptsUs)))
        s_.previewBits &= ~kPreviewWindowBit;
    if (!bitmaps)
        return;
    TFFBitmap info;
    if (render(frame, frameNumber, ptsUs, info))
        task_.OnPreviewBitmap(task_, info);
    else
        s_.previewBits &= ~kPreviewBitmapBit; // no more previews for this task
}

AVFrame* TStreamHooks::Audio(AVFrame* frame) {
    if (!task_.OnAudioHook)
        return frame;
    const TFFEntries& ff = FF();
    AVFrame* packed = frame;
    if (frame->format != AV_SAMPLE_FMT_S16) {
        if (!packed_)
            packed_.reset(ff.avutil.av_frame_alloc());
        ff.avutil.av_frame_unref(packed_.get());
        packed = packed_.get();
        packed->format = AV_SAMPLE_FMT_S16;
        packed->sample_rate = frame->sample_rate;
        ff.avutil.av_channel_layout_copy(&packed->ch_layout, &frame->ch_layout);
        if (!swr_) {
            SwrContext* raw = nullptr;
            if (ff.swresample.swr_alloc_set_opts2(
                    &raw, &frame->ch_layout, AV_SAMPLE_FMT_S16, frame->sample_rate, &frame->ch_layout,
                    AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr) < 0)
                throw FFmpegException(Fmt("Cannot convert %s sample format to %s sample format",
                                          ff.avutil.av_get_sample_fmt_name(AVSampleFormat(frame->format)),
                                          "s16"));
            swr_.reset(raw);
            TaskLog(&task_, llWarning, "Warning, using s16 intermediate sample format for resampling");
        }
        if (ff.swresample.swr_convert_frame(swr_.get(), packed, frame) < 0)
            throw FFmpegException(Fmt("Cannot convert %s sample format to %s sample format",
                                      ff.avutil.av_get_sample_fmt_name(AVSampleFormat(frame->format)),
                                      "s16"));
        packed->pts = frame->pts;
    }
    const int size = ff.avutil.av_samples_get_buffer_size(nullptr, packed->ch_layout.nb_channels,
                                                          packed->nb_samples, AV_SAMPLE_FMT_S16, 1);
    task_.OnAudioHook(task_, packed->pts, packed->data[0], size, packed->sample_rate,
                      packed->ch_layout.nb_channels, AV_SAMPLE_FMT_S16);
    return packed;
}
