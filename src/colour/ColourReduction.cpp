#include "colour/ColourReduction.h"

#include <algorithm>
#include <new>
#include <vector>

#include "colour/ColourTree.h"
#include "colour/NearestColourGrid.h"
#include "colour/QualityReduction.h"

namespace {

// The colour count list: entries in order of first appearance, with an open-addressing
// index from colour to position so that a lookup does not walk the list. The index
// always points at the first entry of a colour, as a walk from the front would find.
class ColourCounter {
  public:
    struct Entry {
        uint32_t colour;
        uint64_t count;  // wide: merged reserved colours must not wrap around
    };

    ColourCounter() {
        list_.reserve(16384);
        table_.assign(kInitialTableSize, kEmptySlot);
    }

    void AddReserved(uint32_t colour) {
        // Two reserved slots may hold one colour: both get an entry, a lookup finds the first.
        const int32_t found = Find(colour);
        list_.push_back({colour, kReservedCount});
        if (found < 0) Insert(colour, int32_t(list_.size() - 1));
        GrowTableIfNeeded();
    }

    // One pixel of (already masked) colour c. Returns true when the list reached the
    // coarsening length by appending it.
    bool Count(uint32_t c) {
        if (c == lastColour_ && lastEntry_ >= 0) {
            ++list_[size_t(lastEntry_)].count;
            return false;
        }
        int32_t at = Find(c);
        bool appended = false;
        if (at >= 0) {
            ++list_[size_t(at)].count;
        } else {
            list_.push_back({c, 1});
            at = int32_t(list_.size() - 1);
            Insert(c, at);
            GrowTableIfNeeded();
            appended = true;
        }
        lastColour_ = c;
        lastEntry_ = at;
        return appended;
    }

    // Applies a coarser mask to every entry; entries that become equal merge into the
    // first of them, with the sum of their counts.
    void Coarsen(uint32_t mask) {
        std::vector<Entry> merged;
        merged.reserve(list_.capacity());
        std::fill(table_.begin(), table_.end(), kEmptySlot);
        for (const Entry& e : list_) {
            const uint32_t c = e.colour & mask;
            const int32_t at = Find(c, merged);
            if (at >= 0) {
                merged[size_t(at)].count += e.count;
            } else {
                merged.push_back({c, e.count});
                Insert(c, int32_t(merged.size() - 1), merged);
            }
        }
        list_ = std::move(merged);
        lastEntry_ = -1;
    }

    std::vector<Entry>& entries() { return list_; }

  private:
    static constexpr int32_t kEmptySlot = -1;
    static constexpr size_t kInitialTableSize = 4096;

    size_t Slot(uint32_t c) const { return (c * 0x9E3779B1u) >> shift_; }

    int32_t Find(uint32_t c) const { return Find(c, list_); }
    int32_t Find(uint32_t c, const std::vector<Entry>& list) const {
        const size_t mask = table_.size() - 1;
        for (size_t s = Slot(c);; s = (s + 1) & mask) {
            const int32_t at = table_[s];
            if (at == kEmptySlot) return -1;
            if (list[size_t(at)].colour == c) return at;
        }
    }
    void Insert(uint32_t c, int32_t at) { Insert(c, at, list_); }
    void Insert(uint32_t c, int32_t at, const std::vector<Entry>& /*list*/) {
        const size_t mask = table_.size() - 1;
        size_t s = Slot(c);
        while (table_[s] != kEmptySlot) s = (s + 1) & mask;
        table_[s] = at;
    }
    // Keeps the index at most a quarter full. The list stays short thanks to the
    // coarsening, except on the last grid with many reserved colours; this is a guard.
    void GrowTableIfNeeded() {
        if (list_.size() * 4 < table_.size()) return;
        table_.assign(table_.size() * 2, kEmptySlot);
        --shift_;
        for (size_t i = 0; i < list_.size(); ++i) {
            if (Find(list_[i].colour) < 0) Insert(list_[i].colour, int32_t(i));
        }
    }

    std::vector<Entry> list_;
    std::vector<int32_t> table_;
    int shift_ = 32 - 12;  // log2 of kInitialTableSize
    uint32_t lastColour_ = 0xFFFFFFFFu;
    int32_t lastEntry_ = -1;
};

bool AbortRequested(const std::atomic<uint32_t>* abort) {
    return abort && abort->load(std::memory_order_relaxed) != 0;
}

}  // namespace

PaletteResult CountPalette(const TrueColourBuffer& pixels,
                           const std::array<uint32_t, 5>& reservedColours,
                           const std::atomic<uint32_t>* abort) {
    PaletteResult result;
    ColourCounter counter;
    for (const uint32_t c : reservedColours) {
        if (c != 0xFFFFFFFFu) counter.AddReserved(c);
    }
    size_t grid = 0;
    uint32_t mask = kGridMasks[grid];
    const int w = pixels.width;
    const int h = pixels.height;
    const uint32_t* data = pixels.data();
    for (int x = 0; x < w; ++x) {
        if (AbortRequested(abort)) {
            result.aborted = true;
            return result;
        }
        const uint32_t* p = data + x;
        for (int y = 0; y < h; ++y, p += w) {
            const uint32_t pixel = *p;
            if (pixel & kTransparentMarker) continue;
            if (counter.Count(pixel & mask) && counter.entries().size() >= kCoarsenAt &&
                grid + 1 < kGridMasks.size()) {
                mask = kGridMasks[++grid];
                counter.Coarsen(mask);
            }
        }
    }

    std::vector<ColourCounter::Entry>& list = counter.entries();
    if (list.size() > 256) {
        // Equal counts keep their order in the list.
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.count > b.count; });
    }
    const size_t used = std::min<size_t>(list.size(), 256);
    for (size_t i = 0; i < used; ++i) result.palette[i] = PaletteEntry::FromRgb(list[i].colour);
    result.colours = int(std::min<size_t>(list.size(), kMaxPaletteColours));
    result.palette[size_t(result.colours)] = PaletteEntry{};
    result.finalMask = mask;
    return result;
}

int BuildPalette(FrameRecord& frame) {
    const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
    if (!plane) return -1;
    const PaletteResult result = CountPalette(*plane, frame.reservedColours, &frame.abortReduce);
    if (result.aborted) return -1;
    std::lock_guard lock(frame.paletteLock);
    frame.palette = result.palette;
    frame.transparentIndex = uint32_t(result.colours);
    frame.hasTransparency = 1;
    return result.colours;
}

bool MapToPalette(const TrueColourBuffer& pixels, const Palette& palette, int colours,
                  IndexBuffer& out, bool& transparencyActive, const std::atomic<uint32_t>* abort) {
    colours = std::clamp(colours, 0, kMaxPaletteColours);
    std::array<ColourPoint, 256> points{};
    std::array<int, 256> indexes{};
    for (int i = 0; i < colours; ++i) {
        const PaletteEntry& e = palette[size_t(i)];
        points[size_t(i)] = {e.red, e.green, e.blue};
        indexes[size_t(i)] = i;
    }
    ColourTreeContext context;
    Init(context, 3, false);
    context.points = points.data();
    ColourTree tree = Build(indexes.data(), colours, context);
    if (!tree) return false;

    // One tree query per pixel gives the nearest colour, and among equally near ones
    // the first the search meets; the grid gives the same answers faster.
    const ColourTreeOrder order(tree.get(), colours);
    NearestColourGrid grid(palette, colours, order);
    const uint8_t transparentIndex = uint8_t(colours);
    const int w = std::min(pixels.width, out.width);
    const int h = std::min(pixels.height, out.height);
    bool anyTransparent = false;
    uint32_t lastRgb = 0xFFFFFFFFu;
    uint8_t lastIndex = 0;
    // Each pixel's answer depends on its colour alone, so rows may go in memory order.
    for (int y = 0; y < h; ++y) {
        const uint32_t* in = pixels.row(y);
        uint8_t* row = out.row(y);
        for (int x = 0; x < w; ++x) {
            if (AbortRequested(abort)) return false;
            const uint32_t pixel = in[x];
            uint8_t index;
            if (pixel & kTransparentMarker) {
                index = transparentIndex;
                anyTransparent = true;
            } else {
                const uint32_t rgb = pixel & kRgbMask;
                if (rgb == lastRgb) {
                    index = lastIndex;
                } else {
                    index = uint8_t(grid.Nearest(rgb));
                    lastRgb = rgb;
                    lastIndex = index;
                }
            }
            row[x] = index;
        }
    }
    Free(tree);
    FreeContext(context);
    transparencyActive = anyTransparent;
    return true;
}

bool ReduceFrame(FrameRecord& frame) {
    const std::shared_ptr<TrueColourBuffer> plane = frame.trueColourPlane();
    if (!plane) return false;
    const PaletteResult result = CountPalette(*plane, frame.reservedColours, &frame.abortReduce);
    if (result.aborted) return false;
    // A fresh plane, swapped in at the end: an aborted run leaves the old one untouched.
    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&frame, plane->width, plane->height);
    if (!indexes) return false;
    bool transparencyActive = false;
    if (!MapToPalette(*plane, result.palette, result.colours, *indexes, transparencyActive,
                      &frame.abortReduce)) {
        return false;
    }
    PublishReduction(frame, result.palette, result.colours, std::move(indexes), transparencyActive);
    return true;
}

void PublishReduction(FrameRecord& frame, const Palette& palette, int colours,
                      std::shared_ptr<IndexBuffer> indexes, bool transparencyActive) {
    // Everything the result changes, published at once: a reader holding the lock never
    // sees the new indexes with the old palette or transparent slot, or the reverse.
    std::shared_ptr<IndexBuffer> old;
    {
        std::lock_guard lock(frame.paletteLock);
        frame.palette = palette;
        frame.hasLocalPalette = 1;
        frame.transparentIndex = uint32_t(colours);
        frame.hasTransparency = 1;
        frame.transparencyActive = transparencyActive ? 1 : 0;
        old = std::move(frame.indexBuffer);
        frame.indexBuffer = std::move(indexes);
    }
}

ReductionBody DefaultReductionBody() {
    return [](FrameRecord& frame) {
        const EngineSettings& settings = frame.document.settings;
        if (settings.palette == PaletteKind::Quality)
            return ReduceFrameQuality(frame, settings.dither);
        return ReduceFrame(frame);
    };
}
