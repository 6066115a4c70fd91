#include "gif/LzwEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "document/PixelPlanes.h"

namespace {
constexpr size_t kTableEntries = 4096 * 256;
constexpr uint32_t kMaxCode = 4096;
// How far the coder looks ahead when choosing: longer matches are rare, and the cost of
// looking grows with the distance.
constexpr size_t kLookAheadLimit = 16;
}  // namespace

int LossyMaxError(int lossy) {
    return std::clamp(lossy, 0, kMaxLossy) / 4;
}

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
    EncodeChoosing(plane, width, height, bitsPerPixel, LzwChoices{}, out, nullptr);
}

namespace {

int Channel(uint32_t colour, int c) {
    return int((colour >> (16 - 8 * c)) & 0xFF);
}

int Distance(const int want[3], uint32_t colour) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(want[c] - Channel(colour, c)));
    return d;
}

// The error a lossy coder carries from pixel to pixel (Floyd-Steinberg weights), so that
// colours written instead of others do not drift in one direction over an area.
class CarriedError {
  public:
    CarriedError(int width, int limit)
        : limit_(limit), current_(size_t(width + 2) * 3, 0), next_(size_t(width + 2) * 3, 0) {}

    // The colour wanted at x: the pixel's own plus what its neighbours left.
    void Want(int x, uint32_t colour, int want[3]) const {
        for (int c = 0; c < 3; ++c) {
            want[c] = std::clamp(Channel(colour, c) + current_[size_t(x + 1) * 3 + size_t(c)] / 16,
                                 0, 255);
        }
    }
    void Spread(int x, const int want[3], uint32_t written) {
        for (int c = 0; c < 3; ++c) {
            const int e = std::clamp(want[c] - Channel(written, c), -limit_, limit_);
            current_[size_t(x + 2) * 3 + size_t(c)] += 7 * e;
            next_[size_t(x) * 3 + size_t(c)] += 3 * e;
            next_[size_t(x + 1) * 3 + size_t(c)] += 5 * e;
            next_[size_t(x + 2) * 3 + size_t(c)] += e;
        }
    }
    void NextRow() {
        current_.swap(next_);
        std::fill(next_.begin(), next_.end(), 0);
    }

  private:
    int limit_;
    std::vector<int> current_, next_;  // sixteenths
};

}  // namespace

void LzwEncoder::EncodeChoosing(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                                const LzwChoices& choices, std::vector<uint8_t>& out,
                                IndexBuffer* chosen) {
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

    const uint8_t* const flexible = choices.flexible;
    const uint32_t alternative = choices.alternative;
    const uint32_t* const colours = choices.colours;
    const bool lossy = colours && choices.maxError > 0 && width > 0;
    std::unique_ptr<CarriedError> carried;
    std::vector<std::vector<uint8_t>> near;  // per index: the indexes that may stand in
    std::vector<bool> nearKnown;
    if (lossy) {
        carried = std::make_unique<CarriedError>(width, choices.maxError);
        near.resize(256);
        nearKnown.assign(256, false);
    }

    uint32_t prefix = 0;
    bool started = false;
    uint32_t* const table = table_.data();
    const bool lookAhead = choices.lookAhead && flexible && plane && !lossy;
    const size_t total = size_t(width) * size_t(std::max(height, 0));
    // How many pixels after `start` extend the string `code`, taking the own index where
    // it continues and else the alternative where allowed.
    const auto matchLength = [&](uint32_t code, size_t start) {
        size_t k = start;
        const size_t limit = std::min(total, start + kLookAheadLimit);
        for (; k < limit; ++k) {
            const int ky = int(k / size_t(width)), kx = int(k % size_t(width));
            const uint32_t own = plane->row(ky)[kx];
            if (const uint32_t e = table[code * 256 + own]; (e & 0xFFFF0000u) == stamp) {
                code = e & 0xFFFFu;
            } else if (const uint32_t a = table[code * 256 + alternative];
                       flexible[k] && (a & 0xFFFF0000u) == stamp) {
                code = a & 0xFFFFu;
            } else {
                break;
            }
        }
        return k - start;
    };
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = plane ? plane->row(y) : nullptr;
        const uint8_t* flexRow = flexible ? flexible + size_t(y) * size_t(width) : nullptr;
        uint8_t* chosenRow = chosen ? chosen->row(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row ? row[x] : 0;
            const bool mayAlter = flexRow && flexRow[x];
            int want[3] = {0, 0, 0};
            const bool hasColour = lossy && !(colours[p] & kNotAColour);
            if (hasColour) carried->Want(x, colours[p], want);
            uint32_t pick = p;
            bool matched = false;
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            if (lookAhead && mayAlter && started) {
                const uint32_t e = table[prefix * 256 + p], a = table[prefix * 256 + alternative];
                const bool ownGoesOn = (e & 0xFFFF0000u) == stamp,
                           altGoesOn = (a & 0xFFFF0000u) == stamp;
                if (ownGoesOn && altGoesOn) {
                    const bool useAlt =
                        matchLength(a & 0xFFFFu, at + 1) > matchLength(e & 0xFFFFu, at + 1);
                    pick = useAlt ? alternative : p;
                    prefix = (useAlt ? a : e) & 0xFFFFu;
                    matched = true;
                } else if (!ownGoesOn && !altGoesOn) {
                    // The next string starts here: with the root that leads further.
                    pick =
                        matchLength(alternative, at + 1) > matchLength(p, at + 1) ? alternative : p;
                }
            }
            if (matched) {
                // Chosen by looking ahead.
            } else if (!started) {
                pick = mayAlter && choices.startWithAlternative ? alternative : p;
                prefix = pick;
                started = true;
                matched = true;
            } else if (const uint32_t a = table[prefix * 256 + alternative];
                       mayAlter && choices.preferAlternative && (a & 0xFFFF0000u) == stamp) {
                pick = alternative;
                prefix = a & 0xFFFFu;
                matched = true;
            } else if (const uint32_t e = table[prefix * 256 + p]; (e & 0xFFFF0000u) == stamp) {
                prefix = e & 0xFFFFu;
                matched = true;
            } else if (mayAlter && (a & 0xFFFF0000u) == stamp) {
                pick = alternative;
                prefix = a & 0xFFFFu;
                matched = true;
            } else if (hasColour) {
                if (!nearKnown[p]) {
                    for (uint32_t k = 0; k < 256; ++k) {
                        if (k == p || (colours[k] & kNotAColour)) continue;
                        const int own[3] = {Channel(colours[p], 0), Channel(colours[p], 1),
                                            Channel(colours[p], 2)};
                        if (Distance(own, colours[k]) <= 2 * choices.maxError)
                            near[p].push_back(uint8_t(k));
                    }
                    nearKnown[p] = true;
                }
                int best = choices.maxError + 1;
                for (const uint8_t k : near[p]) {
                    const uint32_t e = table[prefix * 256 + k];
                    if ((e & 0xFFFF0000u) != stamp) continue;
                    const int d = Distance(want, colours[k]);
                    if (d < best) {
                        best = d;
                        pick = k;
                    }
                }
                if (pick != p) {
                    prefix = table[prefix * 256 + pick] & 0xFFFFu;
                    matched = true;
                }
            }
            if (!matched) {
                if (!lookAhead || !mayAlter) {
                    pick = mayAlter && choices.startWithAlternative ? alternative : p;
                }
                const bool full = next == kMaxCode;
                if (!full || !choices.keepFullTable) table[prefix * 256 + pick] = stamp | next;
                EmitCode(prefix);
                if (next == (1u << codeWidth) && codeWidth < 12) {
                    ++codeWidth;
                    ++next;
                } else if (full && choices.keepFullTable) {
                    // The full table stays: its strings still match what follows.
                } else if (full) {
                    // 3838 new strings at 8 bits per pixel: start again from the roots.
                    ResetTable();
                    stamp = generation_ << 16;
                    EmitCode(clearCode);
                    codeWidth = uint32_t(b + 1);
                    next = clearCode + 2;
                } else {
                    ++next;
                }
                prefix = pick;
            }
            if (chosenRow) chosenRow[x] = uint8_t(pick);
            if (hasColour) {
                // A flexible pixel written as the alternative still shows its own colour.
                carried->Spread(x, want,
                                pick == alternative && mayAlter ? colours[p] : colours[pick]);
            }
        }
        if (lossy) carried->NextRow();
    }
    if (started) EmitCode(prefix);
    EmitCode(clearCode + 1);
    EmitCode(kFlushCode);
    out.push_back(0);
    out_ = nullptr;
}
