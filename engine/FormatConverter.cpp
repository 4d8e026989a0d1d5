#include "engine/FormatConverter.h"

#include "engine/FFLoad.h"

#include <cstring>

namespace {

// Bitmap depth and the library's pixel format of that layout, one row per depth.
struct TDepthRow {
    int bits;
    AVPixelFormat format;
};
const TDepthRow kDepths[] = {
    {8, AV_PIX_FMT_GRAY8},  {15, AV_PIX_FMT_RGB555}, {16, AV_PIX_FMT_RGB565},
    {24, AV_PIX_FMT_RGB24}, {32, AV_PIX_FMT_RGB32},
};

AVPixelFormat formatOf(int bits) {
    for (const TDepthRow& row : kDepths)
        if (row.bits == bits)
            return row.format;
    return AV_PIX_FMT_NONE;
}

bool validSize(int width, int height) {
    return width > 0 && height > 0 &&
           FF().avutil.av_image_check_size(unsigned(width), unsigned(height), 0, nullptr) >= 0;
}

} // namespace

void TFormatConverter::SetBitsPixel(int bits) {
    if (bits == bitsPixel_)
        return;
    if (formatOf(bits) == AV_PIX_FMT_NONE)
        throw std::invalid_argument("Invalid BitsPixel " + std::to_string(bits));
    bitsPixel_ = bits;
}

bool TFormatConverter::ToRGB(const AVFrame* frame, TBitmap& bitmap) {
    const AVPixelFormat rgb = formatOf(bitsPixel_);
    const auto src = AVPixelFormat(frame->format);
    if (!validSize(frame->width, frame->height)) {
        lastError_ = "Cannot initialize the toRGB conversion context";
        return false;
    }
    bitmap.SetSize(frame->width, frame->height, bitsPixel_);
    const bool direct = src == rgb && frame->width % 2 == 0 && frame->height % 2 == 0 &&
                        frame->linesize[0] == bitmap.LineSize;
    if (direct) {
        std::memcpy(bitmap.Pixels.data(), frame->data[0], bitmap.Pixels.size());
        return true;
    }
    toRGB_.reset(FF().swscale.sws_getCachedContext(toRGB_.release(), frame->width, frame->height, src,
                                                   frame->width, frame->height, rgb, SWS_BICUBIC, nullptr,
                                                   nullptr, nullptr));
    if (!toRGB_) {
        lastError_ = "Cannot initialize the toRGB conversion context";
        return false;
    }
    uint8_t* dst[4] = {bitmap.Pixels.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {bitmap.LineSize, 0, 0, 0};
    FF().swscale.sws_scale(toRGB_.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
    return true;
}

bool TFormatConverter::FromRGB(const TBitmap& bitmap, AVFrame* frame) {
    const AVPixelFormat rgb = formatOf(bitmap.BitsPerPixel);
    if (rgb == AV_PIX_FMT_NONE || bitmap.Width != frame->width || bitmap.Height != frame->height ||
        !validSize(frame->width, frame->height)) {
        lastError_ = "Cannot initialize the fromRGB conversion context";
        return false;
    }
    fromRGB_.reset(FF().swscale.sws_getCachedContext(
        fromRGB_.release(), bitmap.Width, bitmap.Height, rgb, frame->width, frame->height,
        AVPixelFormat(frame->format), SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!fromRGB_) {
        lastError_ = "Cannot initialize the fromRGB conversion context";
        return false;
    }
    const uint8_t* src[4] = {bitmap.Pixels.data(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {bitmap.LineSize, 0, 0, 0};
    FF().swscale.sws_scale(fromRGB_.get(), src, srcStride, 0, bitmap.Height, frame->data, frame->linesize);
    return true;
}
