#include "colour/NearestColourGrid.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__)
#define NOINLINE __attribute__((noinline))
#define ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define NOINLINE
#define ALWAYS_INLINE inline
#endif

namespace {

// Pads short lists: farther from every point of the cube than any palette colour, yet
// small enough that its squared distance stays finite.
constexpr float kFarAway = 1.0e6f;

#if !defined(__SSE2__)
// Nearest and farthest distance along one axis from v to [lo, hi]; branch-free, as the
// side v lies on is anyone's guess.
inline float Below(float v, float lo, float hi) {
    return std::max(std::max(lo - v, v - hi), 0.0f);
}
inline float Beyond(float v, float lo, float hi) {
    return std::max(v - lo, hi - v);
}
#endif

size_t BoxIndex(int bits, int r, int g, int b) {
    const int shift = 8 - bits;
    return size_t(((r >> bits) << (2 * shift)) | ((g >> bits) << shift) | (b >> bits));
}

}  // namespace

NearestColourGrid::NearestColourGrid(const Palette& palette, int colours,
                                     const ColourTreeOrder& order)
    : order_(order), colours_(std::clamp(colours, 0, 256)) {
    for (int i = 0; i < colours_; ++i) {
        const PaletteEntry& e = palette[size_t(i)];
        palette_[size_t(i)] = {float(e.red), float(e.green), float(e.blue)};
        all_[size_t(i)] = uint8_t(i);
    }
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

void NearestColourGrid::Gather(int r, int g, int b, int bits, const uint8_t* from, int n,
                               std::vector<uint8_t>& out) {
    const float r0 = float(r >> bits << bits), g0 = float(g >> bits << bits),
                b0 = float(b >> bits << bits);
    const float side = float((1 << bits) - 1);
    const float r1 = r0 + side, g1 = g0 + side, b1 = b0 + side;
    // Every point of the box lies within `bound` of some colour, so a colour whose
    // nearest point of the box is farther than that is never the nearest there.
#if defined(__SSE2__)
    // The candidates side by side, padded to whole vectors with a colour that neither
    // lowers the bound nor passes it.
    alignas(16) float red[256], green[256], blue[256];
    const int padded = (n + 3) & ~3;
    for (int k = 0; k < padded; ++k) {
        const Colour c = k < n ? palette_[from[k]] : Colour{kFarAway, kFarAway, kFarAway};
        red[k] = c.red;
        green[k] = c.green;
        blue[k] = c.blue;
    }
    const __m128 lr = _mm_set1_ps(r0), lg = _mm_set1_ps(g0), lb = _mm_set1_ps(b0);
    const __m128 hr = _mm_set1_ps(r1), hg = _mm_set1_ps(g1), hb = _mm_set1_ps(b1);
    const __m128 zero = _mm_setzero_ps();
    __m128 bound = _mm_set1_ps(FLT_MAX);
    for (int k = 0; k < padded; k += 4) {
        const __m128 cr = _mm_load_ps(red + k), cg = _mm_load_ps(green + k),
                     cb = _mm_load_ps(blue + k);
        const __m128 dr = _mm_max_ps(_mm_sub_ps(cr, lr), _mm_sub_ps(hr, cr));
        const __m128 dg = _mm_max_ps(_mm_sub_ps(cg, lg), _mm_sub_ps(hg, cg));
        const __m128 db = _mm_max_ps(_mm_sub_ps(cb, lb), _mm_sub_ps(hb, cb));
        bound = _mm_min_ps(bound, _mm_add_ps(_mm_add_ps(_mm_mul_ps(dr, dr), _mm_mul_ps(dg, dg)),
                                             _mm_mul_ps(db, db)));
    }
    bound = _mm_min_ps(bound, _mm_shuffle_ps(bound, bound, _MM_SHUFFLE(2, 3, 0, 1)));
    bound = _mm_min_ps(bound, _mm_shuffle_ps(bound, bound, _MM_SHUFFLE(1, 0, 3, 2)));
    for (int k = 0; k < padded; k += 4) {
        const __m128 cr = _mm_load_ps(red + k), cg = _mm_load_ps(green + k),
                     cb = _mm_load_ps(blue + k);
        const __m128 dr = _mm_max_ps(_mm_max_ps(_mm_sub_ps(lr, cr), _mm_sub_ps(cr, hr)), zero);
        const __m128 dg = _mm_max_ps(_mm_max_ps(_mm_sub_ps(lg, cg), _mm_sub_ps(cg, hg)), zero);
        const __m128 db = _mm_max_ps(_mm_max_ps(_mm_sub_ps(lb, cb), _mm_sub_ps(cb, hb)), zero);
        const __m128 d =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(dr, dr), _mm_mul_ps(dg, dg)), _mm_mul_ps(db, db));
        for (unsigned in = unsigned(_mm_movemask_ps(_mm_cmple_ps(d, bound))); in != 0; in &= in - 1)
            out.push_back(from[k + std::countr_zero(in)]);
    }
#else
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
#endif
}

// A box's candidates are among those of the box around it: whatever can be nearest
// somewhere in a small box can be nearest somewhere in the large one.
NearestColourGrid::List NearestColourGrid::OuterBox(int level, int r, int g, int b) {
    List& box = boxes_[size_t(level)][BoxIndex(kBoxBits[size_t(level)], r, g, b)];
    if (box.start >= 0) return box;
    int32_t start = 0;
    if (level == 0) {
        start = int32_t(pool_.size());
        Gather(r, g, b, kBoxBits[0], all_.data(), colours_, pool_);
    } else {
        // The outer box may be built just now and append its own list to the pool:
        // this box's list starts only behind it, or it would hold both lists.
        const List outer = OuterBox(level - 1, r, g, b);
        // Gather appends to the pool it would read from: copy the outer list first.
        scratch_.assign(pool_.begin() + outer.start, pool_.begin() + outer.start + outer.count);
        start = int32_t(pool_.size());
        Gather(r, g, b, kBoxBits[size_t(level)], scratch_.data(), outer.count, pool_);
    }
    box.start = start;
    box.count = int32_t(pool_.size()) - start;
    return box;
}

template <int Lanes>
void NearestColourGrid::FillLanes(LaneList<Lanes>& lanes, const uint8_t* indexes, int n,
                                  const int32_t* lo, const int32_t* hi) const {
    std::copy(indexes, indexes + n, lanes.indexes);
    lanes.count = uint8_t(n);
    // Put the list in the search order at one corner; if no split that decides
    // between two of them cuts through the cell, that order holds everywhere in it.
    std::sort(lanes.indexes, lanes.indexes + n,
              [&](uint8_t x, uint8_t y) { return order_.Before(x, y, lo); });
    bool fixed = true;
    for (int i = 0; i < n && fixed; ++i) {
        for (int j = i + 1; j < n && fixed; ++j)
            fixed = order_.OrderFixedIn(lanes.indexes[i], lanes.indexes[j], lo, hi);
    }
    lanes.fixedOrder = fixed ? 1 : 0;
    for (int k = 0; k < Lanes; ++k) {
        const Colour c = k < n ? palette_[lanes.indexes[k]] : Colour{kFarAway, kFarAway, kFarAway};
        lanes.red[k] = c.red;
        lanes.green[k] = c.green;
        lanes.blue[k] = c.blue;
    }
}

NearestColourGrid::Cell NearestColourGrid::BuildCell(int r, int g, int b) {
    Cell cell;
    const List outer = OuterBox(kOuterLevels - 1, r, g, b);
    scratch_.assign(pool_.begin() + outer.start, pool_.begin() + outer.start + outer.count);
    const size_t start = pool_.size();
    Gather(r, g, b, kCellBits, scratch_.data(), outer.count, pool_);
    const int n = int(pool_.size() - start);
    if (n > kWide) {
        cell.kind = kPooled;
        cell.more = {int32_t(start), n};
        return cell;
    }
    const int32_t lo[3] = {r >> kCellBits << kCellBits, g >> kCellBits << kCellBits,
                           b >> kCellBits << kCellBits};
    const int32_t hi[3] = {lo[0] + (1 << kCellBits) - 1, lo[1] + (1 << kCellBits) - 1,
                           lo[2] + (1 << kCellBits) - 1};
    const uint8_t* indexes = pool_.data() + start;
    if (n > kNarrow) {
        cell.kind = kWideList;
        cell.more = {int32_t(wide_.size()), n};
        FillLanes(wide_.emplace_back(), indexes, n, lo, hi);
    } else {
        FillLanes(cell.narrow, indexes, n, lo, hi);
    }
    pool_.resize(start);
    return cell;
}

// Once per cell: kept out of the per-pixel path.
NOINLINE uint16_t NearestColourGrid::AddCell(int r, int g, int b) {
    cells_.push_back(BuildCell(r, g, b));
    const uint16_t id = uint16_t(cells_.size() - 1);
    cellIds_[BoxIndex(kCellBits, r, g, b)] = id;
    return id;
}

// Rare and long: kept out of the per-pixel path.
NOINLINE int NearestColourGrid::FirstMet(const uint8_t* list, uint32_t near,
                                         const int32_t* q) const {
    int winner = list[std::countr_zero(near)];
    for (near &= near - 1; near != 0; near &= near - 1) {
        const int candidate = list[std::countr_zero(near)];
        if (order_.Before(candidate, winner, q)) winner = candidate;
    }
    return winner;
}

int NearestColourGrid::NearestInPool(const List& list, int32_t r, int32_t g, int32_t b) const {
    const uint8_t* indexes = pool_.data() + list.start;
    const float fr = float(r), fg = float(g), fb = float(b);
    float best = FLT_MAX;
    int first = 0;
    bool tie = false;
    for (int k = 0; k < list.count; ++k) {
        const Colour& c = palette_[indexes[k]];
        const float dr = fr - c.red, dg = fg - c.green, db = fb - c.blue;
        const float d = dr * dr + dg * dg + db * db;
        const bool nearer = d < best;
        tie = nearer ? false : (tie || d == best);
        first = nearer ? k : first;
        best = nearer ? d : best;
    }
    if (!tie) return indexes[first];
    const int32_t q[3] = {r, g, b};
    int winner = indexes[first];
    for (int k = first + 1; k < list.count; ++k) {
        const Colour& c = palette_[indexes[k]];
        const float dr = fr - c.red, dg = fg - c.green, db = fb - c.blue;
        if (dr * dr + dg * dg + db * db == best && order_.Before(indexes[k], winner, q))
            winner = indexes[k];
    }
    return winner;
}

template <int Lanes>
ALWAYS_INLINE int NearestColourGrid::NearestIn(const LaneList<Lanes>& lanes, int32_t r, int32_t g,
                                               int32_t b) const {
    // Each lane's key is its squared distance times 16 plus its position, exact in a
    // float (at most 3 * 255^2 * 16 + 15 < 2^24): the smallest key is the nearest
    // colour, the first in the list among equally near ones.
    constexpr int kVectors = Lanes / 4;
#if defined(__SSE2__)
    const __m128 qr = _mm_set1_ps(float(r)), qg = _mm_set1_ps(float(g)), qb = _mm_set1_ps(float(b));
    const __m128 sixteen = _mm_set1_ps(16.0f);
    __m128 keys[kVectors];
    __m128 position = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
    __m128 smallest = _mm_set1_ps(FLT_MAX);
    for (int v = 0; v < kVectors; ++v) {
        const __m128 dr = _mm_sub_ps(qr, _mm_load_ps(lanes.red + 4 * v));
        const __m128 dg = _mm_sub_ps(qg, _mm_load_ps(lanes.green + 4 * v));
        const __m128 db = _mm_sub_ps(qb, _mm_load_ps(lanes.blue + 4 * v));
        const __m128 d =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(dr, dr), _mm_mul_ps(dg, dg)), _mm_mul_ps(db, db));
        keys[v] = _mm_add_ps(_mm_mul_ps(d, sixteen), position);
        smallest = _mm_min_ps(smallest, keys[v]);
        position = _mm_add_ps(position, _mm_set1_ps(4.0f));
    }
    smallest = _mm_min_ps(smallest, _mm_shuffle_ps(smallest, smallest, _MM_SHUFFLE(2, 3, 0, 1)));
    smallest = _mm_min_ps(smallest, _mm_shuffle_ps(smallest, smallest, _MM_SHUFFLE(1, 0, 3, 2)));
    const uint32_t key = uint32_t(_mm_cvtss_f32(smallest));
    const int first = int(key & 15u);
    if (lanes.fixedOrder) return lanes.indexes[first];
    // Lanes as near as the first nearest one.
    const __m128 limit = _mm_set1_ps(float((key | 15u) + 1u));
    uint32_t near = 0;
    for (int v = 0; v < kVectors; ++v)
        near |= uint32_t(_mm_movemask_ps(_mm_cmplt_ps(keys[v], limit))) << (4 * v);
#else
    float keys[Lanes];
    float best = FLT_MAX;
    for (int k = 0; k < Lanes; ++k) {
        const float dr = float(r) - lanes.red[k], dg = float(g) - lanes.green[k],
                    db = float(b) - lanes.blue[k];
        keys[k] = (dr * dr + dg * dg + db * db) * 16.0f + float(k);
        best = std::min(best, keys[k]);
    }
    const uint32_t key = uint32_t(best);
    const int first = int(key & 15u);
    if (lanes.fixedOrder) return lanes.indexes[first];
    const float limit = float((key | 15u) + 1u);
    uint32_t near = 0;
    for (int k = 0; k < Lanes; ++k) near |= (keys[k] < limit ? 1u : 0u) << k;
#endif
    if ((near & (near - 1)) == 0) return lanes.indexes[first];
    // Another colour as near, in a cell where the search order may change: ask the
    // order at this very point.
    const int32_t q[3] = {r, g, b};
    return FirstMet(lanes.indexes, near, q);
}

int NearestColourGrid::Nearest(uint32_t rgb) {
    if (colours_ == 0) return 0;
    const int32_t r = int32_t((rgb >> 16) & 0xFF), g = int32_t((rgb >> 8) & 0xFF),
                  b = int32_t(rgb & 0xFF);
    uint16_t id = cellIds_[BoxIndex(kCellBits, r, g, b)];
    if (id == kNoCell) id = AddCell(r, g, b);
    const Cell& cell = cells_[id];
    if (cell.kind == 0) return NearestIn(cell.narrow, r, g, b);
    if (cell.kind == kWideList) return NearestIn(wide_[size_t(cell.more.start)], r, g, b);
    return NearestInPool(cell.more, r, g, b);
}
