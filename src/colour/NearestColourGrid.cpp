#include "colour/NearestColourGrid.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

NearestColourGrid::NearestColourGrid(const Palette& palette, int colours,
                                     const ColourTreeOrder& order)
    : order_(order), colours_(std::clamp(colours, 0, 256)) {
    for (int i = 0; i < colours_; ++i) {
        const PaletteEntry& e = palette[size_t(i)];
        palette_[size_t(i)] = {float(e.red), float(e.green), float(e.blue), i};
        all_[size_t(i)] = uint8_t(i);
    }
    // Short lists are padded with this entry, so that their loops have a fixed length.
    palette_[kPadding] = {1e9f, 1e9f, 1e9f, kPadding};
    for (int level = 0; level < kOuterLevels; ++level) {
        const size_t perAxis = size_t(256 >> kBoxBits[size_t(level)]);
        boxes_[size_t(level)].assign(perAxis * perAxis * perAxis, List{});
    }
    const size_t cellsPerAxis = size_t(256 >> kCellBits);
    cellIds_.assign(cellsPerAxis * cellsPerAxis * cellsPerAxis, kNoCell);
    cells_.reserve(4096);
    pool_.reserve(size_t(colours_) * 64);
    scratch_.reserve(256);
}

namespace {

// Nearest and farthest distance along one axis from v to [lo, hi].
inline float Below(float v, float lo, float hi) {
    return v < lo ? lo - v : (v > hi ? v - hi : 0.0f);
}
inline float Beyond(float v, float lo, float hi) {
    return std::max(v - lo, hi - v);
}

size_t BoxIndex(int bits, int r, int g, int b) {
    const int shift = 8 - bits;
    return size_t(((r >> bits) << (2 * shift)) | ((g >> bits) << shift) | (b >> bits));
}

}  // namespace

void NearestColourGrid::Gather(int r, int g, int b, int bits, const uint8_t* from, int n,
                               std::vector<uint8_t>& out) {
    const float r0 = float(r >> bits << bits), g0 = float(g >> bits << bits),
                b0 = float(b >> bits << bits);
    const float side = float((1 << bits) - 1);
    const float r1 = r0 + side, g1 = g0 + side, b1 = b0 + side;
    // Every point of the box lies within `bound` of some colour, so a colour whose
    // nearest point of the box is farther than that is never the nearest there.
    float bound = FLT_MAX;
    for (int k = 0; k < n; ++k) {
        const Colour& c = palette_[from[k]];
        const float dr = Beyond(c.red, r0, r1), dg = Beyond(c.green, g0, g1),
                    db = Beyond(c.blue, b0, b1);
        bound = std::min(bound, dr * dr + dg * dg + db * db);
    }
    for (int k = 0; k < n; ++k) {
        const Colour& c = palette_[from[k]];
        const float dr = Below(c.red, r0, r1), dg = Below(c.green, g0, g1),
                    db = Below(c.blue, b0, b1);
        if (dr * dr + dg * dg + db * db <= bound) out.push_back(from[k]);
    }
}

// A box's candidates are among those of the box around it: whatever can be nearest
// somewhere in a small box can be nearest somewhere in the large one.
NearestColourGrid::List NearestColourGrid::OuterBox(int level, int r, int g, int b) {
    List& box = boxes_[size_t(level)][BoxIndex(kBoxBits[size_t(level)], r, g, b)];
    if (box.start >= 0) return box;
    const int32_t start = int32_t(pool_.size());
    if (level == 0) {
        Gather(r, g, b, kBoxBits[0], all_.data(), colours_, pool_);
    } else {
        const List outer = OuterBox(level - 1, r, g, b);
        // Gather appends to the pool it would read from: copy the outer list first.
        scratch_.assign(pool_.begin() + outer.start, pool_.begin() + outer.start + outer.count);
        Gather(r, g, b, kBoxBits[size_t(level)], scratch_.data(), outer.count, pool_);
    }
    box.start = start;
    box.count = int32_t(pool_.size()) - start;
    return box;
}

NearestColourGrid::Cell& NearestColourGrid::CellOf(int r, int g, int b) {
    uint16_t& id = cellIds_[BoxIndex(kCellBits, r, g, b)];
    if (id != kNoCell) return cells_[id];
    id = uint16_t(cells_.size());
    Cell& cell = cells_.emplace_back();
    const List outer = OuterBox(kOuterLevels - 1, r, g, b);
    scratch_.assign(pool_.begin() + outer.start, pool_.begin() + outer.start + outer.count);
    const size_t start = pool_.size();
    Gather(r, g, b, kCellBits, scratch_.data(), outer.count, pool_);
    const size_t n = pool_.size() - start;
    if (n <= size_t(kInline)) {
        std::fill(std::begin(cell.indexes), std::end(cell.indexes), uint8_t(kPadding));
        std::copy(pool_.begin() + ptrdiff_t(start), pool_.end(), cell.indexes);
        pool_.resize(start);
        cell.count = uint8_t(n);
        // Put the list in the search order at one corner; if no split that decides
        // between two of them cuts through the cell, that order holds everywhere in it.
        const int32_t lo[3] = {r >> kCellBits << kCellBits, g >> kCellBits << kCellBits,
                               b >> kCellBits << kCellBits};
        const int32_t hi[3] = {lo[0] + (1 << kCellBits) - 1, lo[1] + (1 << kCellBits) - 1,
                               lo[2] + (1 << kCellBits) - 1};
        std::sort(cell.indexes, cell.indexes + n,
                  [&](uint8_t x, uint8_t y) { return order_.Before(x, y, lo); });
        bool fixed = true;
        for (size_t i = 0; i < n && fixed; ++i) {
            for (size_t j = i + 1; j < n && fixed; ++j) {
                fixed = order_.OrderFixedIn(cell.indexes[i], cell.indexes[j], lo, hi);
            }
        }
        cell.fixedOrder = fixed ? 1 : 0;
    } else {
        const uint32_t at = uint32_t(start);
        std::memcpy(cell.indexes, &at, sizeof at);
        cell.pooledCount = uint8_t(n - 1);  // 15 to 256 colours
        cell.count = kPooled;
    }
    return cell;
}

int NearestColourGrid::Nearest(uint32_t rgb) {
    if (colours_ == 0) return 0;
    const int32_t r = int32_t((rgb >> 16) & 0xFF), g = int32_t((rgb >> 8) & 0xFF),
                  b = int32_t(rgb & 0xFF);
    const Cell& cell = CellOf(r, g, b);
    const uint8_t* list = cell.indexes;
    int n = cell.count;
    if (cell.count == kPooled) {
        uint32_t at;
        std::memcpy(&at, cell.indexes, sizeof at);
        list = pool_.data() + at;
        n = int(cell.pooledCount) + 1;
    }
    const float fr = float(r), fg = float(g), fb = float(b);
    // Lists are short (a handful of colours): one pass without branches, over a fixed
    // length where the list is padded.
    float best = FLT_MAX;
    int first = 0;
    bool tie = false;
    auto measure = [&](int k) {
        const Colour& c = palette_[list[k]];
        const float dr = fr - c.red, dg = fg - c.green, db = fb - c.blue;
        const float d = dr * dr + dg * dg + db * db;
        const bool nearer = d < best;
        tie = nearer ? false : (tie || d == best);
        first = nearer ? k : first;
        best = nearer ? d : best;
    };
    if (n <= kShortList) {
        for (int k = 0; k < kShortList; ++k) measure(k);
    } else if (n <= kInline) {
        for (int k = 0; k < kInline; ++k) measure(k);
    } else {
        for (int k = 0; k < n; ++k) measure(k);
    }
    int winner = list[first];
    if (!tie || cell.fixedOrder) return winner;
    // Equally near: the tree's search would take the one it meets first.
    const int32_t q[3] = {r, g, b};
    for (int k = first + 1; k < n; ++k) {
        const Colour& c = palette_[list[k]];  // padding is never as near
        const float dr = fr - c.red, dg = fg - c.green, db = fb - c.blue;
        if (dr * dr + dg * dg + db * db == best && order_.Before(list[k], winner, q))
            winner = list[k];
    }
    return winner;
}
