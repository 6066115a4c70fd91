#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The most pixels that `dataBytes` bytes of LZW data can produce: the i-th code after a
// clear stands for at most i pixels (and never more than 4096). Used to refuse image
// sizes that the data present cannot justify before anything is allocated.
uint64_t MaxLzwPixels(size_t dataBytes, int minCodeSize);

// GIF LZW decoding of the joined data sub-blocks of one image. Table entries are kept
// as (offset, length) of their first occurrence in the output, so that a string is
// produced with one copy instead of walking its prefix chain.
class LzwDecoder {
  public:
    // Decodes into out[0, capacity) up to the end code or the end of the data; pixels
    // past capacity are dropped (but the codes are still checked). A full code table
    // stays as it is until a clear code. Returns kGifOk or kGifCorruptLzw.
    // minCodeSize must be 0-8.
    int Decode(const uint8_t* data, size_t size, int minCodeSize, uint8_t* out, size_t capacity);

    // Number of pixels the last Decode produced (including dropped ones, saturating).
    uint64_t produced() const { return produced_; }

  private:
    std::vector<uint32_t> offset_;
    std::vector<uint16_t> length_;
    uint64_t produced_ = 0;
};
