#include "gif/LzwEncoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#include "document/PixelPlanes.h"

namespace {
constexpr uint32_t kMaxCode = 4096;
// How far the coder looks ahead when choosing: longer matches are rare, and the cost of
// looking grows with the distance.
constexpr size_t kLookAheadLimit = 16;
// How many table entries a lossy search may visit for one string: near colours branch,
// and the longest string is usually found long before the bound.
constexpr int kLossySearchLimit = 1024;
// The squared colour distance lossy coding accepts for one pixel, per unit of maxError:
// at the setting 80 (maxError 20), 800, a step of 16 in every channel or 28 in one.
constexpr int kSquaredErrorPerLossyStep = 40;
}  // namespace

int LossyMaxError(int lossy) {
    return std::clamp(lossy, 0, kMaxLossy) / 4;
}

LzwEncoder::LzwEncoder() = default;

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

void LzwEncoder::BeginImage(int bitsPerPixel, std::vector<uint8_t>& out) {
    out_ = &out;
    blockFill_ = 0;
    acc_ = 0;
    count_ = 0;
    minCodeSize_ = uint32_t(std::clamp(bitsPerPixel, 1, 8));
    out.push_back(uint8_t(minCodeSize_));
    codeWidth = minCodeSize_ + 1;
    table_.Clear();
    EmitCode(1u << minCodeSize_);
    next_ = (1u << minCodeSize_) + 2;
}

void LzwEncoder::EndString(uint32_t code, uint8_t following, bool keepFullTable) {
    EmitCode(code);
    // The decoder learns the string just written followed by the next one's first index.
    const bool full = next_ == kMaxCode;
    if (!full) table_.Add(code, following, next_);
    if (next_ == (1u << codeWidth) && codeWidth < 12) {
        ++codeWidth;
        ++next_;
    } else if (full && keepFullTable) {
        // The full table stays: its strings still match what follows.
    } else if (full) {
        // 3838 new strings at 8 bits per pixel: start again from the roots.
        table_.Clear();
        EmitCode(1u << minCodeSize_);
        codeWidth = minCodeSize_ + 1;
        next_ = (1u << minCodeSize_) + 2;
    } else {
        ++next_;
    }
}

void LzwEncoder::EndImage() {
    EmitCode((1u << minCodeSize_) + 1);
    EmitCode(kFlushCode);
    out_->push_back(0);
    out_ = nullptr;
}

void LzwEncoder::EncodeImage(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                             std::vector<uint8_t>& out) {
    EncodeChoosing(plane, width, height, bitsPerPixel, LzwChoices{}, out, nullptr);
}

namespace {

int Channel(uint32_t colour, int c) {
    return int((colour >> (16 - 8 * c)) & 0xFF);
}

// The largest difference in one channel.
int Distance(const int channels[3], uint32_t colour) {
    int d = 0;
    for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(channels[c] - Channel(colour, c)));
    return d;
}

// The search of lossy coding for the next string: from the pixel at `start`, the longest
// string in the table whose every pixel stands within the allowed error of the pixel it
// replaces, with the error carried along the string (three quarters of it passed on, so
// that replacements do not drift in one direction); of strings equally long, the one
// with the least error. Whole-picture error diffusion would spoil the matches the search
// looks for; carrying it along the string keeps the damage local.
class LossySearch {
  public:
    struct Found {
        uint32_t code = 0;
        size_t end = 0;  // the first pixel after the string
    };

    LossySearch(const IndexBuffer& plane, int width, size_t total, const LzwChoices& choices)
        : plane_(plane), width_(size_t(width)), total_(total), choices_(choices) {}

    uint8_t PixelAt(size_t k) const { return plane_.row(int(k / width_))[k % width_]; }

    // The string from `start` whose first index is `root`; its indexes go to `path`.
    Found Longest(const LzwStringTable& table, size_t start, uint8_t root,
                  std::vector<uint8_t>& path) {
        Found best{root, start + 1};
        int64_t bestError = 0;
        path.assign(1, root);
        steps_.clear();
        steps_.push_back(Step{root, {0, 0, 0}, 0, 0});
        current_.assign(1, root);
        int visits = 0;
        while (!steps_.empty()) {
            Step& step = steps_.back();
            const size_t k = start + steps_.size();
            std::optional<Step> child;
            if (k < total_ && visits < kLossySearchLimit) child = NextChild(table, k, step);
            if (!child) {
                steps_.pop_back();
                current_.pop_back();
                continue;
            }
            ++visits;
            current_.push_back(child->pick);
            steps_.push_back(*child);
            if (k + 1 > best.end || (k + 1 == best.end && child->error < bestError)) {
                best = Found{child->code, k + 1};
                bestError = child->error;
                path = current_;
            }
        }
        return best;
    }

  private:
    struct Step {
        uint32_t code;
        int carried[3];
        int64_t error;
        // Candidates for the next pixel: 0 own index, 1 the alternative, 2 the longer
        // strings from `cursor` on.
        uint32_t stage;
        uint32_t cursor = LzwStringTable::kNone;
        uint8_t pick = 0;
    };

    // Whether `index` is near the pixel's own `p` (within twice the error in every channel).
    bool IsNear(uint8_t p, uint8_t index) {
        if (!nearKnown_[p]) {
            const uint32_t own = choices_.colours[p];
            const int ownChannels[3] = {Channel(own, 0), Channel(own, 1), Channel(own, 2)};
            for (uint32_t k = 0; k < 256; ++k) {
                near_[p][k] = k != p && !(choices_.colours[k] & kNotAColour) &&
                              Distance(ownChannels, choices_.colours[k]) <= 2 * choices_.maxError;
            }
            nearKnown_[p] = true;
        }
        return near_[p][index];
    }

    // The next untried index that continues `step`'s string at pixel k, as a step.
    std::optional<Step> NextChild(const LzwStringTable& table, size_t k, Step& step) {
        const uint8_t p = PixelAt(k);
        const bool flexible = choices_.flexible && choices_.flexible[k];
        const uint8_t alternative = choices_.alternative;
        // Own index, or the alternative that shows the same: exact, the carried error fades.
        while (step.stage < 2) {
            const uint32_t candidate = step.stage++;
            const uint8_t index = candidate == 0 ? p : alternative;
            if (candidate == 1 && (!flexible || index == p)) continue;
            const uint32_t code = table.Find(step.code, index);
            if (code == LzwStringTable::kNone) continue;
            Step next{code, {}, step.error, 0};
            next.pick = index;
            for (int c = 0; c < 3; ++c) next.carried[c] = step.carried[c] * 3 / 4;
            return next;
        }
        const uint32_t own = choices_.colours[p];
        if (own & kNotAColour) return std::nullopt;
        // A near colour: its squared distance to the own colour plus the error carried here
        // (or half of it, where a full correction would overshoot) must stay within the
        // limit; the error passed on is this step's plus three quarters of what came.
        const int limit = kSquaredErrorPerLossyStep * choices_.maxError;
        if (step.stage == 2) {
            step.cursor = table.FirstLonger(step.code);
            step.stage = 3;
        }
        while (step.cursor != LzwStringTable::kNone) {
            const uint32_t code = step.cursor;
            step.cursor = table.NextSibling(code);
            const uint8_t index = table.LastIndex(code);
            if (index == p || (flexible && index == alternative) || !IsNear(p, index)) continue;
            const uint32_t colour = choices_.colours[index];
            int full = 0, half = 0, error[3];
            for (int c = 0; c < 3; ++c) {
                error[c] = Channel(own, c) - Channel(colour, c);
                full += (error[c] + step.carried[c]) * (error[c] + step.carried[c]);
                half += (error[c] + step.carried[c] / 2) * (error[c] + step.carried[c] / 2);
            }
            const int d = std::min(full, half);
            if (d > limit) continue;
            Step next{code, {}, step.error + d, 0};
            next.pick = index;
            for (int c = 0; c < 3; ++c) next.carried[c] = error[c] + step.carried[c] * 3 / 4;
            return next;
        }
        return std::nullopt;
    }

    const IndexBuffer& plane_;
    size_t width_, total_;
    const LzwChoices& choices_;
    std::vector<Step> steps_;
    std::vector<uint8_t> current_;
    std::vector<std::array<bool, 256>> near_ = std::vector<std::array<bool, 256>>(256);
    bool nearKnown_[256] = {};
};

}  // namespace

void LzwEncoder::EncodeLossy(const IndexBuffer& plane, int width, int height, int bitsPerPixel,
                             const LzwChoices& choices, std::vector<uint8_t>& out,
                             IndexBuffer* chosen) {
    BeginImage(bitsPerPixel, out);

    const size_t total = size_t(width) * size_t(std::max(height, 0));
    LossySearch search(plane, width, total, choices);
    const auto rootAt = [&](size_t k) {
        const bool flexible = choices.flexible && choices.flexible[k];
        return flexible && choices.startWithAlternative ? choices.alternative : search.PixelAt(k);
    };
    std::vector<uint8_t> path;
    size_t at = 0;
    uint8_t root = total > 0 ? rootAt(0) : 0;
    while (at < total) {
        const LossySearch::Found found = search.Longest(table_, at, root, path);
        if (chosen) {
            for (size_t k = at; k < found.end; ++k)
                chosen->row(int(k / size_t(width)))[k % size_t(width)] = path[k - at];
        }
        at = found.end;
        if (at == total) {
            EmitCode(found.code);
            break;
        }
        root = rootAt(at);
        EndString(found.code, root, choices.keepFullTable);
    }
    EndImage();
}

void LzwEncoder::EncodeChoosing(const IndexBuffer* plane, int width, int height, int bitsPerPixel,
                                const LzwChoices& choices, std::vector<uint8_t>& out,
                                IndexBuffer* chosen) {
    if (plane && choices.colours && choices.maxError > 0 && width > 0) {
        EncodeLossy(*plane, width, height, bitsPerPixel, choices, out, chosen);
        return;
    }
    BeginImage(bitsPerPixel, out);

    const uint8_t* const flexible = choices.flexible;
    const uint32_t alternative = choices.alternative;

    uint32_t prefix = 0;
    bool started = false;
    const LzwStringTable& table = table_;
    constexpr uint32_t kNone = LzwStringTable::kNone;
    const bool lookAhead = choices.lookAhead && flexible && plane;
    const size_t total = size_t(width) * size_t(std::max(height, 0));
    // The string `code` extended by the pixel at k: the own index where it continues, else
    // the alternative where allowed; kNone where neither does.
    const auto extend = [&](uint32_t code, size_t k) {
        const uint32_t own = plane->row(int(k / size_t(width)))[k % size_t(width)];
        if (const uint32_t e = table.Find(code, own); e != kNone) return e;
        return flexible[k] ? table.Find(code, alternative) : kNone;
    };
    // Whether more pixels after `start` extend the string `a` than the string `b`: both
    // are followed side by side, so the walk ends where the shorter one does.
    const auto goesFurther = [&](uint32_t a, uint32_t b, size_t start) {
        const size_t limit = std::min(total, start + kLookAheadLimit);
        for (size_t k = start; k < limit; ++k) {
            a = extend(a, k);
            if (a == kNone) return false;
            b = extend(b, k);
            if (b == kNone) return true;
        }
        return false;
    };
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = plane ? plane->row(y) : nullptr;
        const uint8_t* flexRow = flexible ? flexible + size_t(y) * size_t(width) : nullptr;
        uint8_t* chosenRow = chosen ? chosen->row(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row ? row[x] : 0;
            const bool mayAlter = flexRow && flexRow[x];
            uint32_t pick = p;
            bool matched = false;
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            if (lookAhead && mayAlter && started) {
                const uint32_t e = table.Find(prefix, p), a = table.Find(prefix, alternative);
                const bool ownGoesOn = e != kNone, altGoesOn = a != kNone;
                if (ownGoesOn && altGoesOn) {
                    const bool useAlt = goesFurther(a, e, at + 1);
                    pick = useAlt ? alternative : p;
                    prefix = useAlt ? a : e;
                    matched = true;
                } else if (!ownGoesOn && !altGoesOn) {
                    // The next string starts here: with the root that leads further.
                    pick = goesFurther(alternative, p, at + 1) ? alternative : p;
                }
            }
            if (matched) {
                // Chosen by looking ahead.
            } else if (!started) {
                pick = mayAlter && choices.startWithAlternative ? alternative : p;
                prefix = pick;
                started = true;
                matched = true;
            } else if (const uint32_t a = mayAlter ? table.Find(prefix, alternative) : kNone;
                       a != kNone && choices.preferAlternative) {
                pick = alternative;
                prefix = a;
                matched = true;
            } else if (const uint32_t e = table.Find(prefix, p); e != kNone) {
                prefix = e;
                matched = true;
            } else if (a != kNone) {
                pick = alternative;
                prefix = a;
                matched = true;
            }
            if (!matched) {
                if (!lookAhead || !mayAlter) {
                    pick = mayAlter && choices.startWithAlternative ? alternative : p;
                }
                EndString(prefix, uint8_t(pick), choices.keepFullTable);
                prefix = pick;
            }
            if (chosenRow) chosenRow[x] = uint8_t(pick);
        }
    }
    if (started) EmitCode(prefix);
    EndImage();
}
