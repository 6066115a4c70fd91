#include "colour/FrameResize.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"

namespace {

int RoundHalfUp(double v) {
    return int(v + 0.5);
}

// One line of pixels with a stride, so that rows and columns share the scaling code.
struct Line {
    uint32_t* pixels;
    ptrdiff_t stride;
    uint32_t& operator[](int i) const { return pixels[ptrdiff_t(i) * stride]; }
};
struct ConstLine {
    const uint32_t* pixels;
    ptrdiff_t stride;
    uint32_t operator[](int i) const { return pixels[ptrdiff_t(i) * stride]; }
};

uint32_t Pack(double r, double g, double b) {
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Scales `oldCount` source pixels to `newCount` destination pixels (already zeroed).
// roundAverages: shrinking averages are rounded instead of cut.
void ScaleLine(ConstLine src, int oldCount, Line dst, int newCount, bool roundAverages,
               std::vector<uint8_t>& written) {
    const double factor = double(newCount) / double(oldCount);
    std::fill(written.begin(), written.begin() + newCount, uint8_t(0));
    auto put = [&](int d, uint32_t pixel) {
        if (d < 0 || d >= newCount) return;
        dst[d] = pixel;
        written[size_t(d)] = 1;
    };

    if (factor >= 1.0) {
        for (int x = 0; x <= oldCount - 1; ++x) {
            const int d = int(double(x) * factor);
            const uint32_t p = src[x];
            if (p & kTransparentMarker) {
                for (int j = 0; double(j) < factor; ++j) put(d + j, p);
                continue;
            }
            double r = double((p >> 16) & 0xFF), g = double((p >> 8) & 0xFF), b = double(p & 0xFF);
            double dr = 0.0, dg = 0.0, db = 0.0;
            if (x + 1 < oldCount) {
                const uint32_t q = src[x + 1];
                dr = (double((q >> 16) & 0xFF) - r) / factor;
                dg = (double((q >> 8) & 0xFF) - g) / factor;
                db = (double(q & 0xFF) - b) / factor;
            }
            for (int j = 0; double(j) < factor; ++j) {
                put(d + j, Pack(r, g, b));
                r += dr;
                g += dg;
                b += db;
            }
        }
    } else {
        const int step = std::max(1, int(1.0 / factor));
        const int boxSize = std::max(1, int(1.0 / factor + 0.5));
        for (int x = 0; x <= oldCount - step; x += step) {
            const int d = int(double(x) * factor);
            int box = boxSize;
            while (x + box > oldCount) --box;
            double r = 0.0, g = 0.0, b = 0.0;
            bool transparent = false;
            for (int i = 0; i < box; ++i) {
                const uint32_t p = src[x + i];
                if (p & kTransparentMarker) {
                    put(d, p);
                    transparent = true;
                    break;
                }
                r += double((p >> 16) & 0xFF);
                g += double((p >> 8) & 0xFF);
                b += double(p & 0xFF);
            }
            if (transparent) continue;
            const double add = roundAverages ? 0.5 : 0.0;
            put(d, Pack(r / box + add, g / box + add, b / box + add));
        }
    }

    // The source step can stop short of the far edge (11 pixels to 5: the last box
    // starts at 8 and lands on 3). Such a pixel repeats its neighbour instead of
    // staying black. The near edge is always written (x = 0 lands on 0).
    int lastWritten = -1;
    for (int d = 0; d < newCount; ++d) {
        if (written[size_t(d)]) {
            lastWritten = d;
        } else if (lastWritten >= 0) {
            dst[d] = dst[lastWritten];
        }
    }
}

int PlainResize(FrameRecord& frame, int newWidth, int newHeight) {
    if (newWidth < 1 || newHeight < 1 || !IsPlaneSizeAcceptable(newWidth, newHeight)) return 5;
    if (frame.width < 1 || frame.height < 1) return 5;
    frame.WaitForReduction();
    const int oldWidth = frame.width, oldHeight = frame.height;
    const double stepX = double(oldWidth) / double(newWidth);
    const double stepY = double(oldHeight) / double(newHeight);

    // Source column per destination column, accumulated as the steps add up.
    std::vector<int> columns(static_cast<size_t>(newWidth));
    double at = 0.0;
    for (int x = 0; x < newWidth; ++x, at += stepX)
        columns[size_t(x)] = std::min(int(at), oldWidth - 1);
    std::vector<int> rows(static_cast<size_t>(newHeight));
    at = 0.0;
    for (int y = 0; y < newHeight; ++y, at += stepY)
        rows[size_t(y)] = std::min(int(at), oldHeight - 1);

    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&frame, newWidth, newHeight);
    if (!indexes) return 5;
    const std::shared_ptr<IndexBuffer> oldIndexes = frame.indexPlane();
    for (int y = 0; y < newHeight; ++y) {
        uint8_t* out = indexes->row(y);
        if (!oldIndexes || rows[size_t(y)] >= oldIndexes->height) {
            std::fill(out, out + newWidth, uint8_t(0));
            continue;
        }
        const uint8_t* in = oldIndexes->row(rows[size_t(y)]);
        for (int x = 0; x < newWidth; ++x) {
            out[x] = columns[size_t(x)] < oldIndexes->width ? in[columns[size_t(x)]] : 0;
        }
    }
    // A kept true-colour plane must keep the frame's size, so it follows the indexes.
    std::shared_ptr<TrueColourBuffer> colours;
    const std::shared_ptr<TrueColourBuffer> oldColours = frame.trueColourPlane();
    if (oldColours) {
        colours = TrueColourBuffer::Create(newWidth, newHeight);
        if (!colours) return 5;
        for (int y = 0; y < newHeight; ++y) {
            uint32_t* out = colours->row(y);
            const int sy = std::min(rows[size_t(y)], oldColours->height - 1);
            for (int x = 0; x < newWidth; ++x) {
                out[x] = oldColours->get(std::min(columns[size_t(x)], oldColours->width - 1), sy);
            }
        }
    }
    AnimationDocument::StructureWriteLock structure(frame.document);
    frame.width = newWidth;
    frame.height = newHeight;
    frame.ReplaceIndexPlane(std::move(indexes));
    if (oldColours) frame.ReplaceTrueColourPlane(std::move(colours));
    return 0;
}

}  // namespace

void ScaleResizeGeometry(FrameRecord& frame, int& newWidth, int& newHeight, int& left, int& top) {
    AnimationDocument& doc = frame.document;
    const int screenWidth = doc.screenWidth, screenHeight = doc.screenHeight;
    if (doc.resizeReferenceWidth <= 0 || doc.resizeReferenceHeight <= 0) {
        doc.resizeReferenceWidth = screenWidth;
        doc.resizeReferenceHeight = screenHeight;
    }
    if (frame.left == 0 && frame.top == 0) {
        if (&frame == doc.firstFrame) {
            doc.resizeReferenceWidth = screenWidth;
            doc.resizeReferenceHeight = screenHeight;
        } else if (!doc.resizingInProgress) {
            doc.resizeReferenceWidth = frame.width;
            doc.resizeReferenceHeight = frame.height;
        }
    }
    const double referenceWidth = doc.resizeReferenceWidth;
    const double referenceHeight = doc.resizeReferenceHeight;
    const double frameWidth = frame.width, frameHeight = frame.height;
    const int requestedWidth = newWidth, requestedHeight = newHeight;
    const int oldLeft = left, oldTop = top;

    if (oldLeft == 0 && frame.width != screenWidth && newWidth != screenWidth && screenWidth > 0) {
        newWidth = RoundHalfUp(frameWidth * newWidth / screenWidth);
    }
    if (oldLeft != 0 && referenceWidth > 0) {
        newWidth = RoundHalfUp(frameWidth * requestedWidth / referenceWidth);
        left = int(double(oldLeft) * requestedWidth / referenceWidth - 0.5);
    }
    if (oldTop != 0 && referenceHeight > 0) {
        newHeight = RoundHalfUp(frameHeight * requestedHeight / referenceHeight);
        top = int(double(oldTop) * requestedHeight / referenceHeight + 0.5);
    }
    if (oldTop == 0 && frame.height != screenHeight) {
        if (newHeight != screenHeight && screenHeight > 0) {
            newHeight = RoundHalfUp(frameHeight * newHeight / screenHeight);
        } else if (newHeight == screenHeight && referenceHeight > 0) {
            newHeight = RoundHalfUp(frameHeight * newHeight / referenceHeight);
        }
    }
    // A sliver of a frame must not vanish: a size of 0 cannot be scaled or saved.
    newWidth = std::max(newWidth, 1);
    newHeight = std::max(newHeight, 1);
}

std::unique_ptr<TrueColourBuffer> ScaleHorizontally(const TrueColourBuffer& source, int newWidth) {
    std::unique_ptr<TrueColourBuffer> out = TrueColourBuffer::Create(newWidth, source.height);
    if (!out) return nullptr;
    out->fill(0);
    std::vector<uint8_t> written(static_cast<size_t>(newWidth));
    for (int y = 0; y < source.height; ++y) {
        ScaleLine({source.row(y), 1}, source.width, {out->row(y), 1}, newWidth, false, written);
    }
    return out;
}

std::unique_ptr<TrueColourBuffer> ScaleVertically(const TrueColourBuffer& source, int newHeight) {
    std::unique_ptr<TrueColourBuffer> out = TrueColourBuffer::Create(source.width, newHeight);
    if (!out) return nullptr;
    out->fill(0);
    std::vector<uint8_t> written(static_cast<size_t>(newHeight));
    for (int x = 0; x < source.width; ++x) {
        ScaleLine({source.data() + x, source.width}, source.height, {out->data() + x, out->width},
                  newHeight, true, written);
    }
    return out;
}

int Resize(FrameRecord& frame, int newWidth, int newHeight, bool smooth, bool skipGeometry,
           bool restartReduction) {
    if (!smooth) return PlainResize(frame, newWidth, newHeight);
    if (frame.reduceThread && (!frame.trueColourPlane() || !frame.reduceFinished)) {
        frame.WaitForReduction();
    }
    if (frame.width < 1 || frame.height < 1) return 5;
    int left = frame.left, top = frame.top;
    if (!skipGeometry) ScaleResizeGeometry(frame, newWidth, newHeight, left, top);
    if (newWidth < 1 || newHeight < 1 || !IsPlaneSizeAcceptable(newWidth, newHeight)) return 5;

    if (!ToTrueColour(frame, true)) return 5;
    const std::shared_ptr<TrueColourBuffer> source = frame.trueColourPlane();
    if (!source || source->width != frame.width || source->height != frame.height) return 5;
    const std::unique_ptr<TrueColourBuffer> horizontal = ScaleHorizontally(*source, newWidth);
    if (!horizontal) return 5;
    std::shared_ptr<TrueColourBuffer> scaled = ScaleVertically(*horizontal, newHeight);
    if (!scaled) return 5;
    std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(&frame, newWidth, newHeight);
    if (!indexes) return 5;
    indexes->fill(0);
    {
        AnimationDocument::StructureWriteLock structure(frame.document);
        frame.left = left;
        frame.top = top;
        frame.width = newWidth;
        frame.height = newHeight;
        frame.ReplaceIndexPlane(std::move(indexes));
        frame.ReplaceTrueColourPlane(std::move(scaled));
    }
    if (restartReduction) StartReduction(&frame, 1);
    return 0;
}

namespace {

// One frame of a whole-animation resize: the plain form keeps its offsets by itself, so
// they and its size are scaled here as the smooth form scales them.
int ResizeInScreen(FrameRecord& frame, int newWidth, int newHeight, bool smooth) {
    if (smooth) return Resize(frame, newWidth, newHeight, true, false, false);
    if (frame.width < 1 || frame.height < 1) return 5;
    int left = frame.left, top = frame.top;
    ScaleResizeGeometry(frame, newWidth, newHeight, left, top);
    if (const int result = Resize(frame, newWidth, newHeight, false, true, false); result != 0)
        return result;
    AnimationDocument::StructureWriteLock structure(frame.document);
    frame.left = left;
    frame.top = top;
    return 0;
}

}  // namespace

int ResizeAnimation(AnimationDocument& doc, int newWidth, int newHeight, bool smooth) {
    if (!IsPlaneSizeAcceptable(newWidth, newHeight)) return 5;
    // What a frame was, so that a refusal further down the chain can put it back.
    struct Kept {
        FrameRecord* frame;
        int32_t left, top, width, height;
        std::shared_ptr<IndexBuffer> indexes;
        std::shared_ptr<TrueColourBuffer> colours;
        bool paletteValid;
    };
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    const int32_t referenceWidth = doc.resizeReferenceWidth;
    const int32_t referenceHeight = doc.resizeReferenceHeight;
    std::vector<Kept> kept;
    // Frames at an offset scale against the screen, not against a partial frame at
    // (0,0) before them, which stretched them out of place.
    doc.resizingInProgress = true;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        kept.push_back(Kept{f, f->left, f->top, f->width, f->height, f->indexPlane(),
                            f->trueColourPlane(), f->IsPaletteValid()});
        if (ResizeInScreen(*f, newWidth, newHeight, smooth) == 0) continue;
        doc.resizingInProgress = false;
        AnimationDocument::StructureWriteLock structure(doc);
        for (Kept& k : kept) {
            k.frame->left = k.left;
            k.frame->top = k.top;
            k.frame->width = k.width;
            k.frame->height = k.height;
            k.frame->ReplaceIndexPlane(std::move(k.indexes));
            k.frame->ReplaceTrueColourPlane(std::move(k.colours));
            k.frame->SetPaletteValid(k.paletteValid);
        }
        doc.resizeReferenceWidth = referenceWidth;
        doc.resizeReferenceHeight = referenceHeight;
        return 5;
    }
    doc.resizingInProgress = false;
    {
        AnimationDocument::StructureWriteLock structure(doc);
        doc.screenWidth = newWidth;
        doc.screenHeight = newHeight;
    }
    // The smooth form left true colour behind; the plain one kept the palettes.
    if (smooth)
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) StartReduction(f, 1);
    return 0;
}
