#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class IndexBuffer;

// What may vary while one image is coded. Without any of it the coding is plain LZW.
struct LzwChoices {
    // Pixels flagged here (width x height, row by row) may be written as `alternative`
    // instead of their own index: the pixel looks the same either way (a transparent
    // pixel over an equal colour). The coder takes whichever continues the current match.
    const uint8_t* flexible = nullptr;
    uint8_t alternative = 0;
    // Try the alternative before the pixel's own index.
    bool preferAlternative = false;
    // Where neither continues a match: start the next string with the alternative.
    bool startWithAlternative = false;
    // Lossless only: where both the own index and the alternative continue the match,
    // or neither does, take the one from which the longer match follows (looking ahead
    // along the table) instead of a fixed preference.
    bool lookAhead = false;
    // Lossy coding: the colour of every index (0x00RRGGBB, kNotAColour for indexes that
    // must not stand in for others) and how far a colour written may be from a pixel's
    // own. Each string is the longest in the table whose colours stand within the error:
    // at most 2 x maxError in any channel, and at most 40 x maxError as squared distance
    // (summed over the channels) once the error carried along the string is counted.
    const uint32_t* colours = nullptr;
    int maxError = 0;
    // Once the code table is full, go on with it instead of starting a new one.
    bool keepFullTable = false;
};
constexpr uint32_t kNotAColour = 0xFF000000u;

// The lossy setting runs from 0 (lossless) to this.
constexpr int kMaxLossy = 200;
// The error unit of lossy coding at `lossy` (a quarter of it): how close in every channel an
// unchanged pixel must stay to be left transparent; the coder's bounds are multiples of it.
int LossyMaxError(int lossy);

// The strings an LZW coder has learnt: (prefix code, index) -> code, in an open-addressing
// hash table of 64 KiB, which stays in the processor's cache where a direct 4096 x 256
// table would not; and each string's longer strings as a list, for the lossy search.
class LzwStringTable {
  public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    LzwStringTable()
        : slots_(kSlots, kEmpty),
          firstLonger_(kCodes, kNoCode),
          nextSibling_(kCodes),
          lastIndex_(kCodes) {}
    void Clear() {
        std::fill(slots_.begin(), slots_.end(), kEmpty);
        std::fill(firstLonger_.begin(), firstLonger_.end(), kNoCode);
    }
    // The code of the string `prefix` followed by `index`, or kNone.
    uint32_t Find(uint32_t prefix, uint32_t index) const {
        const uint32_t key = prefix << 8 | index;
        for (uint32_t s = Slot(key);; s = (s + 1) & (kSlots - 1)) {
            const uint32_t entry = slots_[s];
            if (entry == kEmpty) return kNone;
            if (entry >> 12 == key) return entry & 0xFFFu;
        }
    }
    // Learns a string not yet in the table (code below 4096).
    void Add(uint32_t prefix, uint32_t index, uint32_t code) {
        const uint32_t key = prefix << 8 | index;
        uint32_t s = Slot(key);
        while (slots_[s] != kEmpty) s = (s + 1) & (kSlots - 1);
        slots_[s] = key << 12 | code;
        nextSibling_[code] = firstLonger_[prefix];
        firstLonger_[prefix] = uint16_t(code);
        lastIndex_[code] = uint8_t(index);
    }
    // The strings one index longer than `code`: the first, then each one's sibling, until
    // kNone; and the index that ends each.
    uint32_t FirstLonger(uint32_t code) const { return Code(firstLonger_[code]); }
    uint32_t NextSibling(uint32_t code) const { return Code(nextSibling_[code]); }
    uint8_t LastIndex(uint32_t code) const { return lastIndex_[code]; }

  private:
    // Four times the 4096 codes, so that probes stay short. An entry is key << 12 | code;
    // all ones would be the string of code 4095 learnt again, which never happens.
    static constexpr uint32_t kSlots = 1u << 14;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    static constexpr uint32_t kCodes = 4096;
    static constexpr uint16_t kNoCode = 0xFFFF;
    static uint32_t Slot(uint32_t key) { return (key * 2654435761u) >> 18; }
    static uint32_t Code(uint16_t stored) { return stored == kNoCode ? kNone : stored; }

    std::vector<uint32_t> slots_;
    std::vector<uint16_t> firstLonger_, nextSibling_;
    std::vector<uint8_t> lastIndex_;
};

// GIF LZW coding of one image after another.
class LzwEncoder {
  public:
    static constexpr uint32_t kFlushCode = 0xFFFF;

    LzwEncoder();

    // Appends to `out`: the minimum code size byte, the data sub-blocks and the block
    // terminator, for `width` x `height` pixels of `plane` (all 0 when plane is null).
    void EncodeImage(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                     std::vector<uint8_t>& out);

    // As EncodeImage, taking the choices; the indexes written go to `chosen` (of the
    // image's size) when given. Coding `chosen` again plainly gives the same bytes.
    void EncodeChoosing(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                        const LzwChoices& choices, std::vector<uint8_t>& out, IndexBuffer* chosen);

    // Appends one code at the current width; kFlushCode writes the partial byte and the
    // partial sub-block.
    void EmitCode(uint32_t code);

    uint32_t codeWidth = 9;

  private:
    // The minimum code size byte and the first clear code.
    void BeginImage(int bitsPerPixel, std::vector<uint8_t>& out);
    // Writes `code` and learns it followed by `following`, widening the codes or starting
    // the table again as it fills.
    void EndString(uint32_t code, uint8_t following, bool keepFullTable);
    // The end code, the last partial byte and sub-block, and the block terminator.
    void EndImage();
    void EncodeLossy(const IndexBuffer& plane, int width, int height, int bitsPerPixel,
                     const LzwChoices& choices, std::vector<uint8_t>& out, IndexBuffer* chosen);
    void PutByte(uint8_t b);

    LzwStringTable table_;
    uint32_t minCodeSize_ = 8;
    uint32_t next_ = 0;  // the code the next string learnt gets
    std::vector<uint8_t>* out_ = nullptr;
    size_t blockStart_ = 0;  // index of the current sub-block's length byte
    uint32_t blockFill_ = 0;
    uint64_t acc_ = 0;
    int count_ = 0;
};
