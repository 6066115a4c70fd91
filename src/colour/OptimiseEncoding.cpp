#include "colour/OptimiseEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "colour/ScreenPicture.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "gif/LzwEncoder.h"

namespace {

// Table bits for `entries` colours; never 1, which some readers refuse.
int BitsFor(int entries) {
    int bits = 2;
    while (bits < 8 && (1 << bits) < entries) ++bits;
    return bits;
}

// The smallest LZW minimum code size that holds every index of the plane.
int SmallestCodeSize(const IndexBuffer& plane) {
    uint8_t highest = 0;
    for (int y = 0; y < plane.height; ++y) {
        const uint8_t* row = plane.row(y);
        highest = std::max(highest, *std::max_element(row, row + plane.width));
    }
    return BitsFor(int(highest) + 1);
}

bool KeepsScreen(int disposal) {
    return disposal == 0 || disposal == 1;
}

// One way to write a frame.
struct Candidate {
    bool global = false;
    int bits = 8;
    // The LZW minimum code size: smaller than the table's bits when the indexes written
    // all lie low in a large table, which makes every code shorter.
    int codeSize = 8;
    bool keepFullTable = false;
    Palette palette = UnusedPalette();  // of a local table
    bool transparent = false;
    uint8_t transparentIndex = 0;
    std::shared_ptr<IndexBuffer> indexes;
    size_t bytes = SIZE_MAX;
};

// The global table as frames may use it.
struct GlobalTable {
    bool usable = false;
    int bits = 8;
    std::unordered_map<uint32_t, uint8_t> index;  // colour -> first entry with it
    uint32_t colours[256];
};

GlobalTable ReadGlobalTable(const AnimationDocument& doc) {
    GlobalTable table;
    std::fill(std::begin(table.colours), std::end(table.colours), kNotAColour);
    const FrameRecord* first = doc.firstFrame;
    if (!doc.hasGlobalPalette || !first || first->hasLocalPalette) return table;
    int used = 0;
    while (used < 256 && doc.globalPalette[size_t(used)].used()) ++used;
    table.usable = true;
    table.bits = BitsFor(std::max(used, 1));
    for (int i = 0; i < used; ++i) {
        const uint32_t c = doc.globalPalette[size_t(i)].rgb();
        table.colours[i] = c;
        table.index.emplace(c, uint8_t(i));
    }
    return table;
}

// What one frame must show, over its part of the screen.
struct FrameTarget {
    int x0 = 0, y0 = 0, w = 0, h = 0;  // the rectangle, in screen coordinates
    std::vector<uint32_t> colour;      // w x h: the colour shown after the frame
    std::vector<uint8_t> kind;         // w x h, a PixelKind
    uint32_t at(int x, int y) const { return colour[size_t(y) * size_t(w) + size_t(x)]; }
    uint8_t kindAt(int x, int y) const { return kind[size_t(y) * size_t(w) + size_t(x)]; }
};

// How a pixel may be written.
enum PixelKind : uint8_t {
    kOpaque = 0,       // in its colour
    kEither = 1,       // transparent shows the same colour
    kTransparent = 2,  // transparent as it was: nothing lies beneath, or the screen is cleared
};

// How the pixel of `frame` at screen point s = (x, y) may be written.
// Lossy coding (maxError > 0) lets a transparent pixel keep what is there when that is
// close enough: what earlier frames lost then does not have to be drawn again.
bool Close(uint32_t a, uint32_t b, int maxError) {
    if (maxError == 0) return a == b;
    for (int shift = 0; shift <= 16; shift += 8) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > maxError) return false;
    }
    return true;
}

PixelKind KindOf(const FrameRecord& frame, const IndexBuffer& plane, int x, int y, size_t s,
                 bool keeps, const ScreenPixels& before, const ScreenPixels& after,
                 const BeneathPixels& beneath, int maxError) {
    const bool transparent = frame.hasTransparency && frame.transparencyActive &&
                             plane.get(x - frame.left, y - frame.top) == frame.transparentIndex;
    // Over nothing, or over a cleared screen, a viewer shows the canvas through a
    // transparent pixel, whatever colour we compose there.
    if (!keeps || beneath[s] == kNothingBeneath) return transparent ? kTransparent : kOpaque;
    const uint32_t through = ColourShownThrough(frame, x, y, &beneath);
    return Close(before[s], after[s], maxError) && Close(through, after[s], maxError) &&
                   Close(through, before[s], maxError)
               ? kEither
               : kOpaque;
}

// Two coders, so that the ways of coding a frame are tried on two threads.
struct Coders {
    LzwEncoder first, second;
};

// Codes the frame with one table in each of the ways the coder may treat pixels that
// can be transparent, keeping the smallest: all transparent, or either index as it
// continues a match (trying the transparent or the own index first, starting new
// strings with either).
void Encode(const FrameTarget& t, const std::unordered_map<uint32_t, uint8_t>& indexOf,
            const uint32_t* colours, int maxError, Coders& coders, Candidate& c) {
    std::shared_ptr<IndexBuffer> allTransparent = IndexBuffer::Create(nullptr, t.w, t.h);
    std::shared_ptr<IndexBuffer> own = IndexBuffer::Create(nullptr, t.w, t.h);
    std::shared_ptr<IndexBuffer> runs = IndexBuffer::Create(nullptr, t.w, t.h);
    if (!allTransparent || !own || !runs) return;
    std::vector<uint8_t> flexible(size_t(t.w) * size_t(t.h), 0);
    bool anyFlexible = false;
    for (int y = 0; y < t.h; ++y) {
        uint8_t* ownRow = own->row(y);
        uint8_t* transparentRow = allTransparent->row(y);
        for (int x = 0; x < t.w; ++x) {
            const auto it = indexOf.find(t.at(x, y));
            const uint8_t kind = t.kindAt(x, y);
            if (kind == kOpaque) {
                ownRow[x] = transparentRow[x] = it->second;
            } else if (kind == kEither && it != indexOf.end()) {
                ownRow[x] = it->second;
                transparentRow[x] = c.transparentIndex;
                flexible[size_t(y) * size_t(t.w) + size_t(x)] = 1;
                anyFlexible = true;
            } else {
                ownRow[x] = transparentRow[x] = c.transparentIndex;
            }
            // Transparent, except where the own colour goes on with the pixel before.
            uint8_t* runRow = runs->row(y);
            runRow[x] = kind == kEither && x > 0 && ownRow[x] == runRow[x - 1] ? ownRow[x]
                                                                               : transparentRow[x];
        }
    }
    struct Way {
        const IndexBuffer* plane;
        bool flexible, preferTransparent, startTransparent, lookAhead;
    };
    const Way ways[] = {{allTransparent.get(), false, false, false, false},
                        {own.get(), true, true, true, false},
                        {own.get(), true, false, false, false},
                        {own.get(), true, false, true, false},
                        {own.get(), true, false, false, true},
                        {runs.get(), false, false, false, false},
                        {runs.get(), true, false, false, true}};
    const size_t table = c.global ? 0 : size_t(3) << c.bits;
    struct Coded {
        size_t bytes = SIZE_MAX;
        std::shared_ptr<IndexBuffer> indexes;
    };
    const auto code = [&](const Way& way, bool keepFullTable, LzwEncoder& encoder) {
        LzwChoices choices;
        choices.flexible = way.flexible ? flexible.data() : nullptr;
        choices.alternative = c.transparentIndex;
        choices.preferAlternative = way.preferTransparent;
        choices.startWithAlternative = way.startTransparent;
        choices.lookAhead = way.lookAhead;
        choices.colours = colours;
        // Looking ahead codes losslessly, which lossy coding may always do too.
        choices.maxError = way.lookAhead ? 0 : maxError;
        choices.keepFullTable = keepFullTable;
        Coded coded;
        coded.indexes = IndexBuffer::Create(nullptr, t.w, t.h);
        if (!coded.indexes) return coded;
        std::vector<uint8_t> out;
        encoder.EncodeChoosing(way.plane, t.w, t.h, c.codeSize, choices, out, coded.indexes.get());
        coded.bytes = out.size() + table;
        return coded;
    };
    std::vector<const Way*> toTry;
    for (const Way& way : ways) {
        // Without pixels that may go either way, the runs are the all-transparent plane.
        if ((way.flexible || way.plane == runs.get()) && !anyFlexible) continue;
        // Lossy coding searches every continuation: which index it tries first changes nothing.
        if (maxError > 0 && way.preferTransparent) continue;
        toTry.push_back(&way);
    }
    // Each way with a table started afresh once full, half of them on a second thread.
    std::vector<Coded> coded(toTry.size());
    {
        std::jthread second([&] {
            for (size_t i = 1; i < toTry.size(); i += 2)
                coded[i] = code(*toTry[i], false, coders.second);
        });
        for (size_t i = 0; i < toTry.size(); i += 2)
            coded[i] = code(*toTry[i], false, coders.first);
    }
    size_t best = toTry.size();
    for (size_t i = 0; i < toTry.size(); ++i) {
        if (coded[i].bytes < c.bytes) {
            c.bytes = coded[i].bytes;
            c.indexes = std::move(coded[i].indexes);
            c.keepFullTable = false;
            best = i;
        }
    }
    if (best == toTry.size()) return;
    // The best way again with the full table kept, which codes smaller where the picture
    // goes on as it began.
    if (Coded kept = code(*toTry[best], true, coders.first); kept.bytes < c.bytes) {
        c.bytes = kept.bytes;
        c.indexes = std::move(kept.indexes);
        c.keepFullTable = true;
    }
}

// The smallest way found to write a frame: its rectangle and coding.
struct FramePlan {
    FrameTarget target;
    Candidate coding;
};

// Finds the smallest way to write `frame`. `before` and `after` are the screens around
// it, `beneath` the stack of the frames before it. Nothing when the frame stays as it is.
std::optional<FramePlan> PlanFrameEncoding(const FrameRecord& frame, const ScreenPixels& before,
                                           const ScreenPixels& after, const BeneathPixels& beneath,
                                           const GlobalTable& global, int maxError,
                                           Coders& coders) {
    const AnimationDocument& doc = frame.document;
    const int sw = doc.screenWidth, sh = doc.screenHeight;
    const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    if (!frame.IsPaletteValid() || !plane || plane->width != frame.width ||
        plane->height != frame.height || after.size() != size_t(sw) * size_t(sh) ||
        before.size() != after.size()) {
        return std::nullopt;
    }
    FrameTarget t;
    t.x0 = std::max(frame.left, 0);
    t.y0 = std::max(frame.top, 0);
    const int x1 = std::min(frame.left + frame.width, sw),
              y1 = std::min(frame.top + frame.height, sh);
    if (t.x0 >= x1 || t.y0 >= y1) return std::nullopt;
    const bool keeps = frame.prev && KeepsScreen(doc.disposalBefore(frame));
    // Shrinking the rectangle would change what a later disposal restores.
    const bool mayShrink = keeps && KeepsScreen(doc.effectiveDisposal(frame));
    if (beneath.size() != after.size()) return std::nullopt;
    const int ox = t.x0, oy = t.y0, ow = x1 - t.x0;
    std::vector<uint8_t> kinds(size_t(ow) * size_t(y1 - oy));
    int bx0 = x1, by0 = y1, bx1 = t.x0 - 1, by1 = t.y0 - 1;  // pixels that must be drawn
    for (int y = t.y0; y < y1; ++y) {
        for (int x = t.x0; x < x1; ++x) {
            const size_t s = size_t(y) * size_t(sw) + size_t(x);
            const PixelKind kind =
                KindOf(frame, *plane, x, y, s, keeps, before, after, beneath, maxError);
            kinds[size_t(y - oy) * size_t(ow) + size_t(x - ox)] = kind;
            // Where the frame keeps the screen, a transparent pixel outside it looks the same.
            if (kind != kOpaque) continue;
            bx0 = std::min(bx0, x);
            by0 = std::min(by0, y);
            bx1 = std::max(bx1, x);
            by1 = std::max(by1, y);
        }
    }
    int rx0 = t.x0, ry0 = t.y0, rx1 = x1 - 1, ry1 = y1 - 1;
    if (mayShrink) {
        if (bx1 < bx0) {
            rx1 = rx0;  // nothing changes: one transparent pixel
            ry1 = ry0;
        } else {
            rx0 = bx0, ry0 = by0, rx1 = bx1, ry1 = by1;
        }
    }
    t.x0 = rx0;
    t.y0 = ry0;
    t.w = rx1 - rx0 + 1;
    t.h = ry1 - ry0 + 1;
    t.colour.resize(size_t(t.w) * size_t(t.h));
    t.kind.resize(t.colour.size());
    // The colours that must be opaque, in order of first appearance.
    std::unordered_map<uint32_t, uint8_t> local;
    std::vector<uint32_t> localColours;
    bool anyFree = false;
    for (int y = 0; y < t.h; ++y) {
        for (int x = 0; x < t.w; ++x) {
            const size_t s = size_t(t.y0 + y) * size_t(sw) + size_t(t.x0 + x);
            const size_t i = size_t(y) * size_t(t.w) + size_t(x);
            t.colour[i] = after[s];
            t.kind[i] = kinds[size_t(t.y0 + y - oy) * size_t(ow) + size_t(t.x0 + x - ox)];
            anyFree = anyFree || t.kind[i] != kOpaque;
            if (t.kind[i] != kOpaque || local.count(after[s])) continue;
            if (localColours.size() == 256) return std::nullopt;  // more than a table holds
            local.emplace(after[s], uint8_t(localColours.size()));
            localColours.push_back(after[s]);
        }
    }
    const int n = int(localColours.size());
    if (anyFree && n == 256) return std::nullopt;

    Candidate best;
    {
        Candidate c;
        c.bits = BitsFor(n + (anyFree ? 1 : 0));
        c.codeSize = c.bits;
        c.transparent = anyFree;
        c.transparentIndex = uint8_t(std::min(n, 255));
        uint32_t colours[256];
        std::fill(std::begin(colours), std::end(colours), kNotAColour);
        for (int i = 0; i < n; ++i) {
            c.palette[size_t(i)] = PaletteEntry::FromRgb(localColours[size_t(i)]);
            colours[i] = localColours[size_t(i)];
        }
        Encode(t, local, colours, maxError, coders, c);
        if (c.bytes < best.bytes) best = std::move(c);
    }
    if (global.usable) {
        Candidate c;
        c.global = true;
        c.bits = global.bits;
        c.transparent = anyFree;
        std::unordered_map<uint32_t, uint8_t> onGlobal;
        bool taken[256] = {};
        bool fits = true;
        for (const uint32_t colour : localColours) {
            const auto it = global.index.find(colour);
            if (it == global.index.end()) {
                fits = false;
                break;
            }
            onGlobal.emplace(colour, it->second);
            taken[it->second] = true;
        }
        // The lowest free entry becomes the transparent index, so that the highest index
        // written, and with it the code size, stays as low as the colours allow.
        int slot = 0;
        while (slot < (1 << global.bits) && taken[slot]) ++slot;
        if (fits && (!anyFree || slot < (1 << global.bits))) {
            c.transparentIndex = uint8_t(anyFree ? slot : 0);
            int highest = anyFree ? slot : 0;
            for (int i = 0; i < 256; ++i) {
                if (taken[i]) highest = std::max(highest, i);
            }
            c.codeSize = std::min(BitsFor(highest + 1), c.bits);
            uint32_t colours[256];
            std::copy(std::begin(global.colours), std::end(global.colours), colours);
            if (anyFree) colours[c.transparentIndex] = kNotAColour;
            Encode(t, onGlobal, colours, maxError, coders, c);
            if (c.bytes < best.bytes) best = std::move(c);
        }
    }
    if (!best.indexes) return std::nullopt;
    return FramePlan{std::move(t), std::move(best)};
}

// Rewrites the frame as planned.
void ApplyFrameEncoding(FrameRecord& frame, FramePlan plan) {
    AnimationDocument& doc = frame.document;
    const FrameTarget& t = plan.target;
    Candidate& best = plan.coding;
    AnimationDocument::StructureWriteLock lock(doc);
    best.indexes->owner = &frame;
    frame.ReplaceIndexPlane(std::move(best.indexes));
    frame.ReplaceTrueColourPlane(nullptr);
    frame.left = t.x0;
    frame.top = t.y0;
    frame.width = t.w;
    frame.height = t.h;
    frame.hasLocalPalette = best.global ? 0 : 1;
    frame.palette = best.global ? doc.globalPalette : best.palette;
    frame.bitsPerPixel = uint8_t(best.bits);
    frame.lzwCodeSize = uint8_t(best.codeSize < best.bits ? best.codeSize : 0);
    frame.lzwKeepsFullTable = best.keepFullTable;
    frame.hasTransparency = best.transparent ? 1 : 0;
    frame.transparentIndex = best.transparentIndex;
    frame.transparencyActive = 1;
}

// True when the frame covers the whole screen with opaque pixels: what shows after it is
// the frame alone, whatever was there before.
bool CoversScreen(const FrameRecord& frame) {
    const AnimationDocument& doc = frame.document;
    const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    if (!frame.IsPaletteValid() || !plane || frame.left != 0 || frame.top != 0 ||
        frame.width != doc.screenWidth || frame.height != doc.screenHeight ||
        plane->width != frame.width || plane->height != frame.height) {
        return false;
    }
    if (!frame.hasTransparency || !frame.transparencyActive || frame.transparentIndex > 255)
        return true;
    for (int y = 0; y < plane->height; ++y) {
        const uint8_t* row = plane->row(y);
        if (std::find(row, row + plane->width, uint8_t(frame.transparentIndex)) !=
            row + plane->width)
            return false;
    }
    return true;
}

// True when coding the plane with a full code table kept takes fewer bytes than starting
// a new table whenever it fills.
bool FullTableCodesSmaller(const IndexBuffer& plane, int codeSize, LzwEncoder& encoder) {
    std::vector<uint8_t> afresh, kept;
    LzwChoices keep;
    keep.keepFullTable = true;
    encoder.EncodeChoosing(&plane, plane.width, plane.height, codeSize, LzwChoices{}, afresh,
                           nullptr);
    encoder.EncodeChoosing(&plane, plane.width, plane.height, codeSize, keep, kept, nullptr);
    return kept.size() < afresh.size();
}

// The first frame stays on its table; lossy coding may still change its pixels.
void CodeFirstFrame(FrameRecord& frame, const GlobalTable& global, int maxError,
                    LzwEncoder& encoder) {
    if (global.usable && !frame.hasLocalPalette) frame.bitsPerPixel = uint8_t(global.bits);
    std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    if (!frame.IsPaletteValid() || !plane || plane->width != frame.width ||
        plane->height != frame.height) {
        return;
    }
    const int bits = std::clamp(int(frame.bitsPerPixel), 1, 8);
    const int codeSize = std::min(SmallestCodeSize(*plane), bits);
    frame.lzwCodeSize = uint8_t(codeSize < bits ? codeSize : 0);
    if (maxError > 0) {
        uint32_t colours[256];
        const Palette& palette = frame.effectivePalette();
        for (int i = 0; i < 256; ++i) {
            colours[i] = i < (1 << bits) && palette[size_t(i)].used() ? palette[size_t(i)].rgb()
                                                                      : kNotAColour;
        }
        if (frame.hasTransparency && frame.transparentIndex < 256)
            colours[frame.transparentIndex] = kNotAColour;
        LzwChoices choices;
        choices.colours = colours;
        choices.maxError = maxError;
        // The strings found differ once the table is full: kept or started afresh, the
        // smaller coding wins.
        std::shared_ptr<IndexBuffer> chosen;
        size_t smallest = SIZE_MAX;
        for (const bool keep : {false, true}) {
            choices.keepFullTable = keep;
            std::shared_ptr<IndexBuffer> indexes =
                IndexBuffer::Create(&frame, frame.width, frame.height);
            if (!indexes) return;
            std::vector<uint8_t> out;
            encoder.EncodeChoosing(plane.get(), frame.width, frame.height, codeSize, choices, out,
                                   indexes.get());
            if (out.size() < smallest) {
                smallest = out.size();
                chosen = std::move(indexes);
            }
        }
        AnimationDocument::StructureWriteLock lock(frame.document);
        frame.ReplaceIndexPlane(chosen);
        frame.ReplaceTrueColourPlane(nullptr);
        plane = std::move(chosen);
    }
    frame.lzwKeepsFullTable = FullTableCodesSmaller(*plane, codeSize, encoder);
}

// Renumbers the global table so that the colours the most frames after the first use
// come first (then the most pixels): the later frames, which mostly draw a few colours,
// then write low indexes and code them with a smaller code size. The pictures stay as
// they are: every frame on the global table, the background index and the transparent
// indexes are renumbered alike.
void OrderGlobalTableByUse(AnimationDocument& doc) {
    const FrameRecord* first = doc.firstFrame;
    if (!doc.hasGlobalPalette || !first || first->hasLocalPalette) return;
    int used = 0;
    while (used < 256 && doc.globalPalette[size_t(used)].used()) ++used;
    if (used < 2) return;
    struct Use {
        uint64_t frames = 0, pixels = 0;
    };
    const size_t count = size_t(used);
    std::vector<Use> use(count);
    std::vector<std::shared_ptr<IndexBuffer>> planes;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        const std::shared_ptr<IndexBuffer> plane = f->indexPlane();
        if (f->hasLocalPalette || !plane) {
            planes.push_back(nullptr);
            continue;
        }
        planes.push_back(plane);
        uint64_t pixels[256] = {};
        for (int y = 0; y < plane->height; ++y) {
            const uint8_t* row = plane->row(y);
            for (int x = 0; x < plane->width; ++x) ++pixels[row[x]];
        }
        const bool transparent = f->hasTransparency && f->transparencyActive;
        for (int i = 0; i < used; ++i) {
            if (pixels[i] == 0 || (transparent && uint32_t(i) == f->transparentIndex)) continue;
            use[size_t(i)].frames += f->prev ? 1 : 0;
            use[size_t(i)].pixels += pixels[i];
        }
    }
    std::vector<int> order(count);
    for (int i = 0; i < used; ++i) order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&use](int a, int b) {
        const Use &ua = use[size_t(a)], &ub = use[size_t(b)];
        return ua.frames != ub.frames ? ua.frames > ub.frames : ua.pixels > ub.pixels;
    });
    uint8_t renumber[256];
    for (int i = 0; i < 256; ++i) renumber[i] = uint8_t(i);
    Palette palette = doc.globalPalette;
    for (int i = 0; i < used; ++i) {
        renumber[order[size_t(i)]] = uint8_t(i);
        palette[size_t(i)] = doc.globalPalette[size_t(order[size_t(i)])];
    }
    std::vector<std::shared_ptr<IndexBuffer>> renumbered;
    for (size_t k = 0; k < planes.size(); ++k) {
        if (!planes[k]) {
            renumbered.push_back(nullptr);
            continue;
        }
        const IndexBuffer& from = *planes[k];
        std::shared_ptr<IndexBuffer> to = IndexBuffer::Create(nullptr, from.width, from.height);
        if (!to) return;  // no memory: the table stays as it is
        for (int y = 0; y < from.height; ++y) {
            const uint8_t* in = from.row(y);
            uint8_t* out = to->row(y);
            for (int x = 0; x < from.width; ++x) out[x] = renumber[in[x]];
        }
        renumbered.push_back(std::move(to));
    }
    AnimationDocument::StructureWriteLock lock(doc);
    doc.globalPalette = palette;
    doc.backgroundIndex = renumber[doc.backgroundIndex];
    size_t k = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next, ++k) {
        if (!renumbered[k]) continue;
        renumbered[k]->owner = f;
        f->ReplaceIndexPlane(std::move(renumbered[k]));
        f->palette = palette;
        if (f->transparentIndex < 256) f->transparentIndex = renumber[f->transparentIndex];
    }
}

}  // namespace

bool ChooseEncodings(AnimationDocument& doc, int lossy, OptimiseProgress& progress) {
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    OrderGlobalTableByUse(doc);
    const GlobalTable global = ReadGlobalTable(doc);
    const int maxError = LossyMaxError(lossy);
    Coders coders;
    // A frame that restores the background before a frame covering the whole screen
    // opaquely may as well keep the screen: every viewer then shows the same pictures.
    // Each such frame keeps the screen for now; its successor decides by size.
    std::unordered_map<FrameRecord*, int32_t> restoring;  // frame -> its own disposal
    if (!doc.useGlobalDisposal) {
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
        for (FrameRecord* f = doc.firstFrame; f && f->next; f = f->next) {
            if (!KeepsScreen(f->disposal) && CoversScreen(*f) && CoversScreen(*f->next)) {
                restoring.emplace(f, f->disposal);
            }
        }
        for (const auto& [f, disposal] : restoring) f->disposal = 1;
    }
    ScreenPixels screen;
    BeneathPixels beneath = NothingBeneath(doc);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        ScreenPixels before = ScreenBefore(*f, screen);
        if (!f->prev) {
            CodeFirstFrame(*f, global, maxError, coders.first);
        } else {
            ScreenPixels after = before;
            DrawFrameOnScreen(*f, after, &beneath);
            std::optional<FramePlan> plan =
                PlanFrameEncoding(*f, before, after, beneath, global, maxError, coders);
            if (const auto own = restoring.find(f->prev); own != restoring.end()) {
                // The frame as it came (the whole screen, opaque) after the restore, against
                // the frame written over the kept screen: the smaller wins.
                f->prev->disposal = own->second;
                ScreenPixels cleared = ScreenBefore(*f, screen);
                std::optional<FramePlan> whole =
                    PlanFrameEncoding(*f, cleared, after, beneath, global, maxError, coders);
                if (plan && (!whole || plan->coding.bytes < whole->coding.bytes)) {
                    f->prev->disposal = 1;
                } else {
                    plan = std::move(whole);
                    before = std::move(cleared);
                }
            }
            if (plan) ApplyFrameEncoding(*f, std::move(*plan));
        }
        // Lossy coding changed the picture: later frames are measured against it.
        DrawFrameOnScreen(*f, before, &beneath);
        StackFrame(*f, beneath);
        screen = std::move(before);
        progress.ProcessEvents();
        if (progress.Aborted()) return false;
    }
    return true;
}
