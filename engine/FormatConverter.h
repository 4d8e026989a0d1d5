#pragma once

#include "engine/FFBitmap.h"
#include "engine/FFHandles.h"

#include <stdexcept>
#include <string>

// Converts decoded pictures to RGB bitmaps and back (previews, thumbnails, video hooks).
class TFormatConverter {
public:
    TFormatConverter() = default;
    TFormatConverter(const TFormatConverter&) = delete;
    TFormatConverter& operator=(const TFormatConverter&) = delete;

    int BitsPixel() const { return bitsPixel_; }
    // 8, 15, 16, 24 or 32; anything else throws std::invalid_argument "Invalid BitsPixel %d".
    void SetBitsPixel(int bits);

    // Renders frame into bitmap (sized to the frame). False with LastError() when the
    // scaler cannot be set up.
    bool ToRGB(const AVFrame* frame, TBitmap& bitmap);
    // Writes bitmap (of the frame's size) back into the frame's own pixel format; the
    // frame must be writable.
    bool FromRGB(const TBitmap& bitmap, AVFrame* frame);

    const std::string& LastError() const { return lastError_; }

private:
    int bitsPixel_ = 24;
    TSwsPtr toRGB_;
    TSwsPtr fromRGB_;
    std::string lastError_;
};
