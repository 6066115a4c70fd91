#include "document/Composition.h"

#include <algorithm>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "document/MemoryBudget.h"

namespace {

bool Contains(const FrameRecord& f, int x, int y) {
    return x >= f.left && y >= f.top && x < f.left + f.width && y < f.top + f.height;
}

// Does composing `frame` start from its predecessor's composed picture?
bool NeedsPredecessorPicture(const FrameRecord& frame) {
    if (!frame.prev || frame.coversScreen()) return false;
    const int disposal = frame.document.disposalBefore(frame);
    return disposal == 0 || disposal == 1;
}

// Runs or waits for the composition of one frame, assuming the frames it builds on are
// composed already (or composes them itself if that changed meanwhile).
int64_t PictureBytes(const ComposedPicture& p) {
    return int64_t(p.pixels.size()) * 4 + int64_t(p.seeThrough.size());
}

// Marks a picture as just used, outside of every frame lock.
std::shared_ptr<const ComposedPicture> Used(FrameRecord& frame,
                                            std::shared_ptr<const ComposedPicture> p) {
    if (p) frame.document.composedCache.Touch(frame, PictureBytes(*p));
    return p;
}

// A provisional picture is dropped once every frame up to this one has its reduced
// colours, so that composed again it shows them. (Under the structure lock.)
void DropProvisionalPicture(FrameRecord& frame) {
    if (!HasProvisionalPicture(frame)) return;
    for (const FrameRecord* f = &frame; f; f = f->prev) {
        if (!f->IsPaletteValid()) return;
    }
    {
        std::lock_guard lock(frame.composeLock);
        if (!frame.composedBitmap || !frame.composedBitmap->provisional) return;
        frame.composedBitmap.reset();
    }
    frame.document.composedCache.Forget(frame);
}

std::shared_ptr<const ComposedPicture> ComposeOrWait(FrameRecord& frame) {
    {
        std::unique_lock lock(frame.composeLock);
        if (frame.composedBitmap) return frame.composedBitmap;
        if (frame.composing) {
            frame.compositionEnded.wait(lock, [&] { return !frame.composing; });
            return frame.composedBitmap;
        }
    }
    ComposeFrame(frame);
    // Another thread may have started the same composition in between: wait for it.
    std::unique_lock lock(frame.composeLock);
    frame.compositionEnded.wait(lock, [&] { return !frame.composing; });
    return frame.composedBitmap;
}

}  // namespace

std::optional<uint32_t> ColourBeneath(const FrameRecord& frame, int x, int y, bool* pending) {
    // Iterative walk towards the first frame; a long animation must not cost stack.
    for (const FrameRecord* p = frame.prev; p; p = p->prev) {
        if (!p->alive) return std::nullopt;
        if (!Contains(*p, x, y)) continue;
        std::shared_ptr<IndexBuffer> indexes;
        std::shared_ptr<TrueColourBuffer> colours;
        bool valid;
        {
            std::lock_guard lock(p->paletteLock);
            valid = p->bGifPal != 0;
            indexes = p->indexBuffer;
            colours = p->ppTC;
        }
        const int px = x - p->left, py = y - p->top;
        if (!valid) {
            if (pending) *pending = true;
            if (!colours || px >= colours->width || py >= colours->height) return 0u;
            return colours->get(px, py) & kRgbMask;
        }
        const uint8_t index =
            (indexes && px < indexes->width && py < indexes->height) ? indexes->get(px, py) : 0;
        if (p->hasTransparency && index == p->transparentIndex) continue;
        return p->effectivePalette()[index].rgb();
    }
    return std::nullopt;
}

bool ComposedPictureFits(int width, int height) {
    const int64_t pixels = int64_t(std::max(width, 0)) * int64_t(std::max(height, 0));
    return pixels <= kMaxPlanePixels && FitsInMemory(pixels * int64_t(sizeof(uint32_t) + 1));
}

void ComposeFrame(FrameRecord& frame) {
    AnimationDocument& doc = frame.document;
    if (doc.busy) return;
    {
        std::lock_guard lock(frame.composeLock);
        if (frame.composing || frame.composedBitmap) return;
        frame.composing = true;
    }
    AnimationDocument::StructureReadLock structure(doc);

    // Ends the composition without a picture; waiters see none.
    auto withoutPicture = [&frame] {
        std::lock_guard lock(frame.composeLock);
        frame.composing = false;
        frame.compositionEnded.notify_all();
    };
    const int sw = std::max(doc.screenWidth, 0), sh = std::max(doc.screenHeight, 0);
    if (!ComposedPictureFits(sw, sh)) {
        withoutPicture();
        return;
    }
    std::shared_ptr<ComposedPicture> picture;
    try {
        picture = std::make_shared<ComposedPicture>();
        picture->pixels.assign(size_t(sw) * size_t(sh), 0u);
    } catch (const std::bad_alloc&) {
        withoutPicture();
        return;
    }
    picture->width = sw;
    picture->height = sh;

    FrameRecord* const p = frame.prev;
    const int disposal = doc.disposalBefore(frame);
    const uint32_t background = doc.backgroundColour();
    // Made only once a see-through pixel turns up: most animations are opaque throughout.
    std::vector<uint8_t> seeThrough;
    auto markSeeThrough = [&](size_t i, bool clear) {
        if (clear) {
            if (seeThrough.empty()) seeThrough.assign(picture->pixels.size(), 0);
            seeThrough[i] = 1;
        } else if (!seeThrough.empty()) {
            seeThrough[i] = 0;
        }
    };
    if (!frame.coversScreen()) {
        bool fromBase = false;
        if ((disposal == 0 || disposal == 1) && p) {
            std::shared_ptr<const ComposedPicture> base = GetComposedBitmap(*p);
            if (base && base->width == sw && base->height == sh) {
                picture->pixels = base->pixels;
                seeThrough = base->seeThrough;
                picture->provisional = base->provisional;
                fromBase = true;
            }
        } else if (disposal >= 0 && disposal <= 3) {
            std::fill(picture->pixels.begin(), picture->pixels.end(), background);
        }
        // Restored to the background (or never drawn): nothing opaque shows there.
        if (!fromBase) seeThrough.assign(picture->pixels.size(), 1);
    }

    // What a transparent pixel shows; `clear` tells that no frame put an opaque one there.
    auto beneath = [&](int sx, int sy, bool& clear) -> uint32_t {
        clear = true;
        if (disposal == 2 || disposal == 3) return background;
        if (!p) return kGreyBeneath;
        const std::optional<uint32_t> c = ColourBeneath(frame, sx, sy, &picture->provisional);
        clear = !c;
        return c.value_or(kGreyBeneath);
    };
    const bool replacesTransparent = disposal >= 0 && disposal <= 3;

    std::shared_ptr<IndexBuffer> indexes;
    std::shared_ptr<TrueColourBuffer> colours;
    bool valid;
    {
        std::lock_guard lock(frame.paletteLock);
        valid = frame.bGifPal != 0;
        indexes = frame.indexBuffer;
        colours = frame.ppTC;
    }
    // The frame is drawn where it lies on the screen; what falls outside is clipped.
    const int x0 = std::max(0, -frame.left), y0 = std::max(0, -frame.top);
    const bool drawable = valid ? indexes != nullptr : colours != nullptr;
    if (!valid) picture->provisional = true;
    if (drawable) {
        const int w = valid ? indexes->width : colours->width;
        const int h = valid ? indexes->height : colours->height;
        const int x1 = std::min(w, sw - frame.left), y1 = std::min(h, sh - frame.top);
        if (valid) {
            const Palette& pal = frame.effectivePalette();
            const bool transparent = frame.transparencyActive && frame.hasTransparency;
            uint32_t lut[256];
            for (int i = 0; i < 256; ++i) lut[i] = pal[size_t(i)].rgb();
            for (int y = y0; y < y1; ++y) {
                const uint8_t* in = indexes->row(y);
                const size_t rowStart = size_t(frame.top + y) * size_t(sw) + size_t(frame.left);
                uint32_t* out = picture->pixels.data() + rowStart;
                for (int x = x0; x < x1; ++x) {
                    const uint8_t i = in[x];
                    bool clear = false;
                    if (transparent && i == frame.transparentIndex && replacesTransparent) {
                        out[x] = beneath(frame.left + x, frame.top + y, clear);
                    } else {
                        out[x] = lut[i];
                    }
                    markSeeThrough(rowStart + size_t(x), clear);
                }
            }
        } else {
            const bool transparent = frame.transparencyActive != 0;
            for (int y = y0; y < y1; ++y) {
                const uint32_t* in = colours->row(y);
                const size_t rowStart = size_t(frame.top + y) * size_t(sw) + size_t(frame.left);
                uint32_t* out = picture->pixels.data() + rowStart;
                for (int x = x0; x < x1; ++x) {
                    const uint32_t c = in[x];
                    bool clear = false;
                    out[x] = (transparent && (c & kTransparentMarker))
                                 ? beneath(frame.left + x, frame.top + y, clear)
                                 : (c & kRgbMask);
                    markSeeThrough(rowStart + size_t(x), clear);
                }
            }
        }
    }
    picture->seeThrough = std::move(seeThrough);

    const int64_t bytes = PictureBytes(*picture);
    {
        std::lock_guard lock(frame.composeLock);
        // A frame with neither plane (true colour missing while the palette is not
        // ready) stays without picture; it is composed again once its reduction ended.
        if (drawable) frame.composedBitmap = std::move(picture);
        frame.composing = false;
        frame.compositionEnded.notify_all();
    }
    if (drawable) doc.composedCache.Touch(frame, bytes);
}

std::shared_ptr<const ComposedPicture> GetComposedBitmap(FrameRecord& frame) {
    if (!frame.indexPlane()) return nullptr;
    AnimationDocument::StructureReadLock structure(frame.document);
    DropProvisionalPicture(frame);
    {
        std::unique_lock lock(frame.composeLock);
        if (std::shared_ptr<const ComposedPicture> p = frame.composedBitmap) {
            lock.unlock();
            return Used(frame, std::move(p));
        }
    }
    // Compose the earlier frames this one builds on, front to back, instead of
    // recursing once per frame.
    std::vector<FrameRecord*> needed;
    for (FrameRecord* g = &frame; NeedsPredecessorPicture(*g);) {
        FrameRecord* p = g->prev;
        if (!p->alive || !p->indexPlane()) break;
        DropProvisionalPicture(*p);
        if (HasComposedBitmap(*p)) break;
        needed.push_back(p);
        g = p;
    }
    for (auto it = needed.rbegin(); it != needed.rend(); ++it) ComposeOrWait(**it);
    return ComposeOrWait(frame);
}

bool HasComposedBitmap(FrameRecord& frame) {
    std::lock_guard lock(frame.composeLock);
    return frame.composedBitmap != nullptr;
}

bool HasProvisionalPicture(FrameRecord& frame) {
    std::lock_guard lock(frame.composeLock);
    return frame.composedBitmap && frame.composedBitmap->provisional;
}

void ResumeCompositions(AnimationDocument& doc) {
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        if (!HasComposedBitmap(*f)) StartComposition(*f);
    }
}

void DiscardComposedBitmap(FrameRecord& frame) {
    // Also when the picture had already left the cache: views made from it are stale.
    frame.pictureVersion = NextPictureVersion();
    {
        std::unique_lock lock(frame.composeLock);
        if (!frame.composedBitmap && !frame.composing) return;
        frame.compositionEnded.wait(lock, [&] { return !frame.composing; });
        frame.composedBitmap.reset();
    }
    frame.document.composedCache.Forget(frame);
}
