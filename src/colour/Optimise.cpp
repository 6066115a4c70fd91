#include "colour/Optimise.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "colour/OptimiseEncoding.h"
#include "colour/ScreenPicture.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/FrameRecord.h"
#include "host/Host.h"

namespace {

constexpr uint32_t kQualityMasks[kQualityLevels] = {0xFCFCFC, 0xF8F8F8, 0xF0F0F0, 0xE0E0E0,
                                                    0xC0C0C0};
constexpr const char* kQualityNames[kQualityLevels] = {"Highest Quality", "High Quality", "Medium",
                                                       "Small Size", "Smallest Size"};

void DiscardPicturesFrom(FrameRecord* frame) {
    for (FrameRecord* f = frame; f; f = f->next) DiscardComposedBitmap(*f);
}

bool KeepsScreen(int disposal) {
    return disposal == 0 || disposal == 1;
}

// Gives a frame a transparent slot so that unchanged pixels can become transparent.
// An index no pixel uses serves as it is. A frame that uses every index of its table
// gets the slot of a colour all of whose pixels repeat exactly what shows beneath (they
// become transparent and look the same); without one it stays opaque, since reducing
// it again to free an index would change its pixels. `beneath` is the stack of the
// frames before it.
void GainTransparentSlot(FrameRecord& frame, const BeneathPixels& beneath) {
    frame.WaitForReduction();
    if (!frame.prev || frame.hasTransparency || !frame.IsPaletteValid()) return;
    const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    if (!plane || plane->width != frame.width || plane->height != frame.height) return;
    bool used[256] = {};
    for (int y = 0; y < plane->height; ++y) {
        const uint8_t* row = plane->row(y);
        for (int x = 0; x < plane->width; ++x) used[row[x]] = true;
    }
    // Within the colour table the frame is written with.
    const int tableSize = 1 << std::clamp(int(frame.bitsPerPixel), 1, 8);
    int slot = -1;
    for (int i = tableSize - 1; i >= 0 && slot < 0; --i) {
        if (!used[i]) slot = i;
    }
    // After a restore to the background no colour repeats what every viewer shows: some
    // show the cleared screen in the background colour, others show nothing there.
    if (slot < 0 && KeepsScreen(frame.document.disposalBefore(frame))) {
        const AnimationDocument& doc = frame.document;
        const Palette& colours = frame.effectivePalette();
        bool repeats[256];
        std::fill(std::begin(repeats), std::end(repeats), true);
        for (int y = 0; y < plane->height; ++y) {
            const int sy = frame.top + y;
            if (sy < 0 || sy >= doc.screenHeight) continue;  // never shown
            const uint8_t* row = plane->row(y);
            for (int x = 0; x < plane->width; ++x) {
                const int sx = frame.left + x;
                if (sx < 0 || sx >= doc.screenWidth || !repeats[row[x]]) continue;
                repeats[row[x]] =
                    colours[row[x]].rgb() == ColourShownThrough(frame, sx, sy, &beneath);
            }
        }
        for (int i = 0; i < tableSize && slot < 0; ++i) {
            if (repeats[i]) slot = i;
        }
    }
    if (slot < 0) return;
    AnimationDocument::StructureWriteLock lock(frame.document);
    frame.transparentIndex = uint32_t(slot);
    frame.hasTransparency = 1;
    frame.transparencyActive = 1;
}

// Does a row (or column) of differing pixels count as changed? Isolated pixels do not.
bool LineChanges(const uint8_t* diff, int length, ptrdiff_t step, int limit) {
    int count = 0;
    int previous = -kChangeGap;
    for (int k = 0; k < length; ++k) {
        if (!diff[ptrdiff_t(k) * step]) continue;
        if (++count > limit || k - previous < kChangeGap) return true;
        previous = k;
    }
    return false;
}

// Crops `frame` against the screen before it. Returns true when it was cropped.
bool CropAgainst(FrameRecord& frame, const ScreenPixels& before, const BeneathPixels& beneath,
                 uint32_t mask) {
    AnimationDocument& doc = frame.document;
    const int sw = doc.screenWidth, sh = doc.screenHeight;
    if (before.size() != size_t(std::max(sw, 0)) * size_t(std::max(sh, 0))) return false;
    const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    if (!plane || plane->width != frame.width || plane->height != frame.height) return false;
    // Only the part of the frame on the screen can change anything.
    const int vx0 = std::max(frame.left, 0), vy0 = std::max(frame.top, 0);
    const int vx1 = std::min(frame.left + frame.width, sw);
    const int vy1 = std::min(frame.top + frame.height, sh);
    if (vx0 >= vx1 || vy0 >= vy1) return false;
    const int vw = vx1 - vx0, vh = vy1 - vy0;

    ScreenPixels after = before;
    DrawFrameOnScreen(frame, after, &beneath);
    // After a restore to the background, viewers show the cleared screen in the
    // background colour or show nothing there: only the pixels the frame leaves
    // transparent look the same in all of them, even where it draws that colour.
    const bool restored = !KeepsScreen(doc.disposalBefore(frame));
    const bool transparency = frame.hasTransparency && frame.transparencyActive;
    std::vector<uint8_t> diff(size_t(vw) * size_t(vh));
    for (int y = 0; y < vh; ++y) {
        const size_t at = size_t(vy0 + y) * size_t(sw) + size_t(vx0);
        const uint8_t* row = plane->row(vy0 + y - frame.top) + (vx0 - frame.left);
        for (int x = 0; x < vw; ++x) {
            const bool same =
                restored ? transparency && row[x] == frame.transparentIndex
                         : SameUnderMask(after[at + size_t(x)], before[at + size_t(x)], mask);
            diff[size_t(y) * size_t(vw) + size_t(x)] = same ? 0 : 1;
        }
    }
    // Every differing pixel counts at the highest quality (the pictures change only
    // within the mask), and every pixel drawn after a restore (else it would be gone).
    const int limit = mask == QualityMask(1) || restored ? -1 : frame.width / 20;
    int top = -1, bottom = -1;
    for (int y = 0; y < vh && top < 0; ++y) {
        if (LineChanges(&diff[size_t(y) * size_t(vw)], vw, 1, limit)) top = y;
    }
    if (top < 0) return false;  // nothing changes: the frame stays as it is
    for (int y = vh - 1; y >= top && bottom < 0; --y) {
        if (LineChanges(&diff[size_t(y) * size_t(vw)], vw, 1, limit)) bottom = y;
    }
    int left = -1, right = -1;
    for (int x = 0; x < vw && left < 0; ++x) {
        if (LineChanges(&diff[size_t(x)], vh, vw, limit)) left = x;
    }
    for (int x = vw - 1; x >= std::max(left, 0) && right < 0; --x) {
        if (LineChanges(&diff[size_t(x)], vh, vw, limit)) right = x;
    }
    if (left < 0) {
        // Rows change through many scattered pixels while no column does: keep every
        // differing pixel of those rows rather than an empty width.
        for (int y = top; y <= bottom; ++y) {
            for (int x = 0; x < vw; ++x) {
                if (!diff[size_t(y) * size_t(vw) + size_t(x)]) continue;
                left = left < 0 ? x : std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (left < 0) return false;
    }
    // Back to frame coordinates.
    const int fx = vx0 + left - frame.left, fy = vy0 + top - frame.top;
    const int nw = right - left + 1, nh = bottom - top + 1;
    if (fx == 0 && fy == 0 && nw == frame.width && nh == frame.height) return false;

    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&frame, nw, nh);
    if (!indexes) return false;
    for (int y = 0; y < nh; ++y) {
        std::copy_n(plane->row(fy + y) + fx, nw, indexes->row(y));
    }
    std::shared_ptr<TrueColourBuffer> colours;
    const std::shared_ptr<TrueColourBuffer> oldColours = frame.trueColourPlane();
    if (oldColours && oldColours->width == frame.width && oldColours->height == frame.height) {
        colours = TrueColourBuffer::Create(nw, nh);
        if (!colours) return false;
        for (int y = 0; y < nh; ++y) {
            std::copy_n(oldColours->row(fy + y) + fx, nw, colours->row(y));
        }
    }
    AnimationDocument::StructureWriteLock lock(doc);
    frame.ReplaceIndexPlane(std::move(indexes));
    frame.ReplaceTrueColourPlane(std::move(colours));
    frame.left += fx;
    frame.top += fy;
    frame.width = nw;
    frame.height = nh;
    return true;
}

// One pass of cropping over every frame, front to back. False when aborted.
bool CropPass(AnimationDocument& doc, int count, OptimiseProgress& progress) {
    const uint32_t mask = doc.settings.gifCompression;
    ScreenPixels screen;
    BeneathPixels beneath = NothingBeneath(doc);
    int done = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        ScreenPixels before = ScreenBefore(*f, screen);
        if (f->prev) CropAgainst(*f, before, beneath, mask);
        DrawFrameOnScreen(*f, before, &beneath);
        StackFrame(*f, beneath);
        screen = std::move(before);
        ++done;
        progress.ProcessEvents();
        progress.SetPosition(count > 0 ? std::min(100, done * 100 / count) : 100);
        if (progress.Aborted()) return false;
    }
    return true;
}

bool CloseEnough(const PaletteEntry& entry, uint32_t colour, uint32_t mask) {
    const uint32_t e = entry.rgb();
    return std::abs(int(e >> 16) - int(colour >> 16)) <= kGlobalColourTolerance &&
           std::abs(int((e >> 8) & 0xFF) - int((colour >> 8) & 0xFF)) <= kGlobalColourTolerance &&
           std::abs(int(e & 0xFF) - int(colour & 0xFF)) <= kGlobalColourTolerance &&
           SameUnderMask(e, colour, mask);
}

// The frame keeps its local palette and takes the indexes with unchanged pixels made
// transparent; the true-colour copy, when kept, gets the same transparent pixels.
void KeepLocalPalette(FrameRecord& frame, std::shared_ptr<IndexBuffer> indexes) {
    std::shared_ptr<TrueColourBuffer> colours;
    const std::shared_ptr<TrueColourBuffer> old = frame.trueColourPlane();
    if (old && old->width == indexes->width && old->height == indexes->height &&
        frame.hasTransparency && frame.transparencyActive) {
        colours = TrueColourBuffer::Create(old->width, old->height);
        if (colours) {
            for (int y = 0; y < old->height; ++y) {
                for (int x = 0; x < old->width; ++x) {
                    uint32_t c = old->get(x, y);
                    if (indexes->get(x, y) == frame.transparentIndex) c |= kTransparentMarker;
                    colours->set(x, y, c);
                }
            }
        }
    }
    AnimationDocument::StructureWriteLock lock(frame.document);
    frame.ReplaceIndexPlane(std::move(indexes));
    if (colours) frame.ReplaceTrueColourPlane(std::move(colours));
}

// Maps the frame's pixels onto `global` (g entries used, appending new colours).
// Transparent pixels get an index none of the frame's colours uses, so the frame looks
// the same on the global palette as it did on its own. False when the palette is full.
bool MapOntoGlobal(FrameRecord& frame, const IndexBuffer& plane, Palette& global, int& g,
                   uint32_t mask, IndexBuffer& out, uint32_t& transparentIndex) {
    const Palette& own = frame.palette;
    const bool hasTransparentPixels =
        frame.hasTransparency && frame.transparencyActive && frame.transparentIndex < 256;
    int mapped[256];
    std::fill(std::begin(mapped), std::end(mapped), -1);
    bool used[256] = {};
    std::vector<uint8_t> transparent;
    if (hasTransparentPixels) transparent.assign(size_t(plane.width) * size_t(plane.height), 0);
    // Column by column: new colours enter the global palette in that order.
    for (int x = 0; x < plane.width; ++x) {
        for (int y = 0; y < plane.height; ++y) {
            const uint8_t i = plane.get(x, y);
            if (hasTransparentPixels && i == frame.transparentIndex) {
                transparent[size_t(y) * size_t(plane.width) + size_t(x)] = 1;
                continue;
            }
            if (mapped[i] < 0) {
                const uint32_t colour = own[i].rgb();
                int j = 0;
                while (j < g && !CloseEnough(global[size_t(j)], colour, mask)) ++j;
                if (j == g) {
                    if (g == 256) return false;
                    global[size_t(g++)] = PaletteEntry::FromRgb(colour);
                }
                mapped[i] = j;
                used[j] = true;
            }
            out.set(x, y, uint8_t(mapped[i]));
        }
    }
    transparentIndex = frame.transparentIndex;
    if (frame.hasTransparency) {
        // The next free global slot when there is one, else any index the frame's
        // colours leave free (a frame has at most 255 opaque colours).
        int t = g < 256 ? g : 0;
        while (t < 256 && used[t]) ++t;
        transparentIndex = uint32_t(std::min(t, 255));
    }
    if (hasTransparentPixels) {
        for (int y = 0; y < plane.height; ++y) {
            for (int x = 0; x < plane.width; ++x) {
                if (transparent[size_t(y) * size_t(plane.width) + size_t(x)]) {
                    out.set(x, y, uint8_t(transparentIndex));
                }
            }
        }
    }
    return true;
}

}  // namespace

uint32_t QualityMask(int level) {
    if (level < 1 || level > kQualityLevels) level = kDefaultQualityLevel;
    return kQualityMasks[level - 1];
}

int QualityLevel(uint32_t mask) {
    for (int i = 0; i < kQualityLevels; ++i) {
        if (kQualityMasks[i] == mask) return i + 1;
    }
    return kDefaultQualityLevel;
}

const char* QualityName(int level) {
    if (level < 1 || level > kQualityLevels) level = kDefaultQualityLevel;
    return kQualityNames[level - 1];
}

bool CropToChanges(FrameRecord& frame) {
    if (!frame.prev) return false;
    frame.WaitForReduction();
    BeneathPixels beneath = NothingBeneath(frame.document);
    for (FrameRecord* f = frame.document.firstFrame; f && f != &frame; f = f->next) {
        StackFrame(*f, beneath);
    }
    const ScreenPixels before = ScreenBefore(frame, ScreenAfter(*frame.prev));
    const bool cropped =
        CropAgainst(frame, before, beneath, frame.document.settings.gifCompression);
    if (cropped) DiscardPicturesFrom(&frame);
    return cropped;
}

namespace {

int MakeUnchangedTransparentOver(FrameRecord& frame, IndexBuffer& target,
                                 const BeneathPixels* beneath) {
    const AnimationDocument& doc = frame.document;
    if (!frame.prev || !frame.hasTransparency || frame.transparentIndex > 255) return 0;
    const int disposal = doc.disposalBefore(frame);
    if (disposal != 0 && disposal != 1) return 0;
    frame.WaitForReduction();
    const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
    if (!plane || plane->width != target.width || plane->height != target.height) return 0;
    const uint32_t mask = doc.settings.gifCompression;
    const uint8_t ti = uint8_t(frame.transparentIndex);
    const bool active = frame.transparencyActive != 0;
    if (!active) {
        // Pixels with the transparent index are shown opaque today; turning transparency
        // on would change them.
        for (int y = 0; y < plane->height; ++y) {
            const uint8_t* row = plane->row(y);
            if (std::find(row, row + plane->width, ti) != row + plane->width) return 0;
        }
    }
    const Palette& colours = frame.effectivePalette();
    int count = 0;
    for (int y = 0; y < plane->height; ++y) {
        for (int x = 0; x < plane->width; ++x) {
            const uint8_t i = plane->get(x, y);
            if (i == ti ||
                SameUnderMask(colours[i].rgb(),
                              ColourShownThrough(frame, frame.left + x, frame.top + y, beneath),
                              mask)) {
                target.set(x, y, ti);
                ++count;
            } else {
                target.set(x, y, i);
            }
        }
    }
    frame.transparencyActive = 1;
    return count;
}

}  // namespace

int MakeUnchangedTransparent(FrameRecord& frame, IndexBuffer& target) {
    return MakeUnchangedTransparentOver(frame, target, nullptr);
}

bool OptimisePalette(AnimationDocument& doc, int count, OptimiseProgress& progress,
                     bool everyFrame) {
    const uint32_t mask = doc.settings.gifCompression;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    Palette global = UnusedPalette();
    int g = 0;
    {
        AnimationDocument::StructureWriteLock lock(doc);
        // The background colour keeps its place so that what shows through disposals
        // stays the same colour.
        global[0] = PaletteEntry::FromRgb(doc.backgroundColour());
        g = 1;
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
            if (!f->hasLocalPalette) f->palette = doc.globalPalette;
            f->hasLocalPalette = 1;
            f->bitsPerPixel = 8;
        }
        doc.hasGlobalPalette = false;
        doc.globalPalette = global;
        doc.backgroundIndex = 0;
    }
    BeneathPixels beneath = NothingBeneath(doc);
    int done = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        const std::shared_ptr<IndexBuffer> plane = f->indexPlane();
        if (plane && f->IsPaletteValid() && plane->width == f->width &&
            plane->height == f->height) {
            std::shared_ptr<IndexBuffer> withTransparency =
                IndexBuffer::Create(f, plane->width, plane->height);
            std::shared_ptr<IndexBuffer> onGlobal =
                IndexBuffer::Create(f, plane->width, plane->height);
            if (withTransparency && onGlobal) {
                for (int y = 0; y < plane->height; ++y) {
                    std::copy_n(plane->row(y), plane->width, withTransparency->row(y));
                }
                const int t = MakeUnchangedTransparentOver(*f, *withTransparency, &beneath);
                bool onGlobalPalette = false;
                uint32_t transparentIndex = f->transparentIndex;
                // For the smallest file every frame's colours join the global palette
                // while there is room: the last phase decides by coded size between it
                // and a local table.
                if (everyFrame || t <= plane->width * plane->height / 3) {
                    const int gBefore = g;
                    onGlobalPalette =
                        MapOntoGlobal(*f, *plane, global, g, mask, *onGlobal, transparentIndex);
                    if (!onGlobalPalette) {
                        for (int j = gBefore; j < 256; ++j) global[size_t(j)] = PaletteEntry{};
                        g = gBefore;
                    }
                }
                if (onGlobalPalette) {
                    AnimationDocument::StructureWriteLock lock(doc);
                    doc.globalPalette = global;
                    doc.hasGlobalPalette = true;
                    f->palette = global;
                    f->hasLocalPalette = 0;
                    f->transparentIndex = transparentIndex;
                    f->ReplaceIndexPlane(std::move(onGlobal));
                } else {
                    KeepLocalPalette(*f, std::move(withTransparency));
                }
            }
        }
        StackFrame(*f, beneath);
        ++done;
        progress.ProcessEvents();
        progress.SetPosition(count > 0 ? std::min(100, done * 100 / count) : 100);
        if (progress.Aborted()) {
            DiscardPicturesFrom(doc.firstFrame);
            return false;
        }
    }
    {
        // Frames on the global palette carry a copy of all of it.
        AnimationDocument::StructureWriteLock lock(doc);
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
            if (!f->hasLocalPalette) f->palette = global;
        }
    }
    DiscardPicturesFrom(doc.firstFrame);
    return true;
}

namespace {

int RunPhases(AnimationDocument& doc, OptimiseProgress& progress, bool smallest) {
    int count = 0;
    BeneathPixels beneath = NothingBeneath(doc);
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        ++count;
        GainTransparentSlot(*f, beneath);
        StackFrame(*f, beneath);
    }
    progress.SetLabel("Optimizing Rects");
    progress.SetPosition(0);
    bool aborted = !CropPass(doc, count, progress);
    progress.SetLabel("Optimizing Palette");
    if (!aborted) aborted = !OptimisePalette(doc, count, progress, smallest);
    progress.SetLabel("Final Run");
    if (!aborted) aborted = !CropPass(doc, count, progress);
    if (!aborted && smallest) aborted = !ChooseEncodings(doc, doc.settings.lossy, progress);
    DiscardPicturesFrom(doc.firstFrame);
    progress.Close();
    return aborted ? -1 : 0;
}

}  // namespace

int Optimise(AnimationDocument& doc, OptimiseProgress& progress) {
    return RunPhases(doc, progress, false);
}

int OptimiseForSize(AnimationDocument& doc, OptimiseProgress& progress) {
    return RunPhases(doc, progress, true);
}

void HostOptimiseProgress::SetLabel(const std::string& text) {
    label_ = text;
    host_.showProgress(label_, 0);
}

void HostOptimiseProgress::SetPosition(int position) {
    host_.showProgress(label_, position);
}

void HostOptimiseProgress::Close() {
    host_.showProgress("", 0);
}
