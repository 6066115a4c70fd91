#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class IndexBuffer;

// GIF LZW coding of one image after another. One encoder per save: it owns the
// 4096 x 256 direct code table (index = prefix code x 256 + pixel), whose entries carry
// a generation stamp, so that starting an image or resetting the table is one
// increment instead of clearing the whole table.
class LzwEncoder {
  public:
    static constexpr uint32_t kFlushCode = 0xFFFF;

    LzwEncoder();

    // Appends to `out`: the minimum code size byte, the data sub-blocks and the block
    // terminator, for `width` x `height` pixels of `plane` (all 0 when plane is null).
    void EncodeImage(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                     std::vector<uint8_t>& out);

    // Appends one code at the current width; kFlushCode writes the partial byte and the
    // partial sub-block.
    void EmitCode(uint32_t code);

    uint32_t codeWidth = 9;

  private:
    void ResetTable();
    void PutByte(uint8_t b);

    std::vector<uint32_t> table_;  // generation << 16 | code
    uint32_t generation_ = 0;
    std::vector<uint8_t>* out_ = nullptr;
    size_t blockStart_ = 0;  // index of the current sub-block's length byte
    uint32_t blockFill_ = 0;
    uint64_t acc_ = 0;
    int count_ = 0;
};
