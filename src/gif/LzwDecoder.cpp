#include "gif/LzwDecoder.h"

#include <algorithm>
#include <cstring>

#include "gif/GifResult.h"

namespace {
constexpr uint32_t kTableSize = 4096;
constexpr uint32_t kMaxStringLength = 4096;
}  // namespace

uint64_t MaxLzwPixels(size_t dataBytes, int minCodeSize) {
    const uint64_t codes = uint64_t(dataBytes) * 8u / uint64_t(std::max(1, minCodeSize + 1));
    if (codes <= kMaxStringLength) return codes * (codes + 1) / 2;
    return uint64_t(kMaxStringLength) * (kMaxStringLength + 1) / 2 +
           (codes - kMaxStringLength) * kMaxStringLength;
}

int LzwDecoder::Decode(const uint8_t* data, size_t size, int minCodeSize, uint8_t* out,
                       size_t capacity) {
    offset_.resize(kTableSize);
    length_.resize(kTableSize);
    produced_ = 0;

    const uint32_t clearCode = 1u << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    const uint32_t firstFree = clearCode + 2;
    int width = minCodeSize + 1;
    uint32_t mask = (1u << width) - 1;
    uint32_t nextFree = firstFree;
    bool havePrevious = false;
    uint64_t prevPos = 0;  // where the previous code's string was written
    uint32_t prevLen = 0;
    uint64_t pos = 0;

    uint64_t acc = 0;
    int count = 0;
    const uint8_t* p = data;
    const uint8_t* const end = data + size;

    for (;;) {
        if (count < width) {
            if (end - p >= 8) {
                // Eight bytes in one load; the bits above `count` are the stream's own
                // next bits, so loading them again later changes nothing.
                uint64_t v;
                std::memcpy(&v, p, 8);
                acc |= v << count;
                const int bytes = (63 - count) >> 3;
                p += bytes;
                count += bytes * 8;
            } else {
                while (count <= 56 && p != end) {
                    acc |= uint64_t(*p++) << count;
                    count += 8;
                }
                if (count < width) break;
            }
        }
        const uint32_t code = uint32_t(acc) & mask;
        acc >>= width;
        count -= width;

        if (code == clearCode) {
            width = minCodeSize + 1;
            mask = (1u << width) - 1;
            nextFree = firstFree;
            havePrevious = false;
            continue;
        }
        // Encoders may pad the last sub-block or leave bytes after the end code; the
        // image ends here whatever follows.
        if (code == endCode) break;
        if (code > nextFree || (code == nextFree && !havePrevious)) return kGifCorruptLzw;

        uint32_t len;
        if (code == nextFree) {
            // Not yet in the table: the previous string plus its own first byte, which
            // sits right behind it in the output.
            len = prevLen + 1;
            if (pos < capacity) {
                const size_t room = size_t(std::min<uint64_t>(len, capacity - pos));
                const size_t head = std::min<size_t>(room, prevLen);
                std::memcpy(out + pos, out + prevPos, head);
                if (room > head) out[pos + head] = out[prevPos];
            }
        } else if (code < firstFree) {
            len = 1;  // a root
            if (pos < capacity) out[pos] = uint8_t(code);
        } else {
            len = length_[code];
            if (len <= 8 && pos < capacity && capacity - pos >= 8) {
                // Short strings: one 8-byte move (the source ends before pos; bytes
                // past len are overwritten by the strings that follow).
                uint64_t v;
                std::memcpy(&v, out + offset_[code], 8);
                std::memcpy(out + pos, &v, 8);
            } else if (pos < capacity) {
                const size_t room = size_t(std::min<uint64_t>(len, capacity - pos));
                std::memcpy(out + pos, out + offset_[code], room);
            }
        }

        // A full table is frozen until the next clear code: encoders may go on with
        // 12-bit codes of the strings already there ("deferred clear").
        if (havePrevious && nextFree < kTableSize) {
            // The new string is the previous one plus the first byte of this one: exactly
            // the bytes from the previous string's start up to this string's first byte.
            offset_[nextFree] = uint32_t(std::min<uint64_t>(prevPos, UINT32_MAX));
            length_[nextFree] = uint16_t(prevLen + 1);
            ++nextFree;
            if ((nextFree & mask) == 0 && nextFree < kTableSize) {
                ++width;
                mask = mask * 2 + 1;
            }
        }
        havePrevious = true;
        prevPos = pos;
        prevLen = len;
        pos += len;
    }
    produced_ = pos;
    return kGifOk;
}
