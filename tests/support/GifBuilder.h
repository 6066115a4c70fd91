#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"

// GIF files built byte by byte, for the cases no encoder at hand writes.
namespace gif_test {

// Hand-made GIF bytes.
class GifBuilder {
  public:
    GifBuilder& Header(const char* signature = "GIF89a");
    GifBuilder& Screen(int w, int h, int globalBits = 0, int background = 0);  // bits 0: none
    // A screen with the given global colours (0xRRGGBB; 2 to 256, a power of two).
    GifBuilder& Screen(int w, int h, const std::vector<uint32_t>& colours, int background = 0);
    GifBuilder& Colours(int bits, uint32_t seed = 0);  // a table of 2^bits colours
    GifBuilder& Control(int flags, int delay, int transparent, int blockSize = 4);
    GifBuilder& Comment(const std::string& text);
    GifBuilder& Loop(int count);
    GifBuilder& Descriptor(int left, int top, int w, int h, int localBits = 0,
                           bool interlaced = false);
    // LZW data: minimum code size, then the codes with their widths, packed LSB first,
    // then `afterCodes` in the same sub-blocks.
    GifBuilder& Codes(int minCodeSize, const std::vector<std::pair<int, int>>& codesAndWidths,
                      const std::vector<uint8_t>& afterCodes = {});
    // Pixels compressed as an encoder does. When the code table is full, a clear code
    // follows after `frozenCodes` more codes (0: at once, as most encoders do; a larger
    // number: the table stays frozen that long, a "deferred clear"; -1: never).
    // `afterEnd` goes into the sub-blocks behind the end code.
    GifBuilder& Compressed(int minCodeSize, const std::vector<uint8_t>& pixels, int frozenCodes = 0,
                           const std::vector<uint8_t>& afterEnd = {});
    // Pixels encoded simply: a clear code before every pixel, so the width never grows.
    GifBuilder& Pixels(int minCodeSize, const std::vector<uint8_t>& pixels);
    GifBuilder& Raw(const std::vector<uint8_t>& bytes);
    GifBuilder& Trailer();
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::string WriteTo(const std::string& path) const;

  private:
    std::vector<uint8_t> bytes_;
};

// The pixels of a frame as a vector (top-down, no padding).
std::vector<uint8_t> FramePixels(FrameRecord& frame);
// The colours of the palette in force for a frame: first n entries.
std::vector<uint32_t> FrameColours(const FrameRecord& frame, size_t n);

}  // namespace gif_test
