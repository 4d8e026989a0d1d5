#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A packed RGB image of the engine's own, the bitmap of thumbnails, previews and
// hooks. Rows run top to bottom, each LineSize bytes (a multiple of 4). Byte layouts
// by depth (matching the front end's image formats): 8 grey, 15 RGB555 and 16 RGB565
// in native 16-bit words, 24 R,G,B bytes, 32 native 0xffRRGGBB words.
struct TBitmap {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 24;
    int LineSize = 0;
    std::vector<uint8_t> Pixels;

    // Sizes the image; its contents are then undefined (black when newly grown).
    void SetSize(int width, int height, int bitsPerPixel) {
        Width = width;
        Height = height;
        BitsPerPixel = bitsPerPixel;
        LineSize = (width * bitsPerPixel + 31) / 32 * 4;
        Pixels.resize(size_t(LineSize) * size_t(height));
    }
    uint8_t* Row(int y) { return Pixels.data() + size_t(y) * size_t(LineSize); }
    const uint8_t* Row(int y) const { return Pixels.data() + size_t(y) * size_t(LineSize); }
};
