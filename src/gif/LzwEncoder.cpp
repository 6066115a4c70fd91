#include "gif/LzwEncoder.h"

#include <algorithm>

#include "document/PixelPlanes.h"

namespace {
constexpr size_t kTableEntries = 4096 * 256;
constexpr uint32_t kMaxCode = 4096;
}  // namespace

LzwEncoder::LzwEncoder() : table_(kTableEntries, 0) {}

void LzwEncoder::ResetTable() {
    // Stamp 0 never marks a live entry; after 65535 resets the table is cleared for real.
    if (++generation_ > 0xFFFF) {
        std::fill(table_.begin(), table_.end(), 0);
        generation_ = 1;
    }
}

void LzwEncoder::PutByte(uint8_t b) {
    std::vector<uint8_t>& out = *out_;
    if (blockFill_ == 0) {
        blockStart_ = out.size();
        out.push_back(0);  // length, set when the block ends
    }
    out.push_back(b);
    if (++blockFill_ == 255) {
        out[blockStart_] = 255;
        blockFill_ = 0;
    }
}

void LzwEncoder::EmitCode(uint32_t code) {
    if (code == kFlushCode) {
        if (count_ > 0) PutByte(uint8_t(acc_));
        if (blockFill_ > 0) (*out_)[blockStart_] = uint8_t(blockFill_);
        blockFill_ = 0;
        acc_ = 0;
        count_ = 0;
        return;
    }
    // Least significant bit first.
    acc_ |= uint64_t(code) << count_;
    count_ += int(codeWidth);
    while (count_ >= 8) {
        PutByte(uint8_t(acc_));
        acc_ >>= 8;
        count_ -= 8;
    }
}

void LzwEncoder::EncodeImage(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                             std::vector<uint8_t>& out) {
    out_ = &out;
    blockFill_ = 0;
    acc_ = 0;
    count_ = 0;
    const int b = std::clamp(bitsPerPixel, 1, 8);
    out.push_back(uint8_t(b));
    const uint32_t clearCode = 1u << b;
    codeWidth = uint32_t(b + 1);

    ResetTable();
    uint32_t stamp = generation_ << 16;
    EmitCode(clearCode);
    uint32_t next = clearCode + 2;

    uint32_t prefix = plane ? plane->get(0, 0) : 0;
    uint32_t* const table = table_.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = plane ? plane->row(y) : nullptr;
        for (int x = (y == 0 ? 1 : 0); x < width; ++x) {
            const uint32_t p = row ? row[x] : 0;
            uint32_t& entry = table[prefix * 256 + p];
            if ((entry & 0xFFFF0000u) == stamp) {
                prefix = entry & 0xFFFFu;
                continue;
            }
            entry = stamp | next;
            EmitCode(prefix);
            if (next == (1u << codeWidth) && codeWidth < 12) {
                ++codeWidth;
                ++next;
            } else if (next == kMaxCode) {
                // 3838 new strings at 8 bits per pixel: start again from the roots.
                ResetTable();
                stamp = generation_ << 16;
                EmitCode(clearCode);
                codeWidth = uint32_t(b + 1);
                next = clearCode + 2;
            } else {
                ++next;
            }
            prefix = p;
        }
    }
    EmitCode(prefix);
    EmitCode(clearCode + 1);
    EmitCode(kFlushCode);
    out.push_back(0);
    out_ = nullptr;
}
