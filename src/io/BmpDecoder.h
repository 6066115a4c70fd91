#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class AnimationDocument;

// A decoded picture: rows top-down, pixels 0x00RRGGBB. alpha (one byte per pixel) is
// filled only when the source carries a real alpha channel; mask (1 = transparent) only
// for icon images with an AND mask.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> mask;
};

// Decodes a device-independent bitmap whose information header starts at data[0]:
// 12-byte core headers and 40-byte and later headers; 1, 4, 8, 16, 24 and 32 bits;
// uncompressed, RLE8, RLE4 and bit-field compression; top-down and bottom-up rows.
// pixelOffset: where the pixel rows start, counted from data (0: right after the colour
// table, as in icons). iconImage: the header's height covers the colour rows and the
// AND mask that follows them. False for anything the bytes cannot justify.
bool DecodeDib(const uint8_t* data, size_t size, size_t pixelOffset, bool iconImage,
               DecodedPicture& out);

// A whole .bmp/.dib file: the "BM" file header, then the bitmap.
bool DecodeBmpFile(const uint8_t* data, size_t size, DecodedPicture& out);

// Open for .bmp and .dib: adds the picture as a new frame. 0, or -1 after
// "Couldn't Load Bitmap" (or a declined resize).
int LoadBitmapFile(AnimationDocument& doc, const std::string& path);

// Largest file any image loader reads.
constexpr size_t kMaxImageFileBytes = size_t(256) << 20;
