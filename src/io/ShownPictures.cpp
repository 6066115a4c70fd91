#include "io/ShownPictures.h"

#include <algorithm>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"

ShownPictures::ShownPictures(const AnimationDocument& doc)
    : doc_(doc), beneath_(NothingBeneath(doc)) {}

bool ShownPictures::Next(FrameRecord& frame, std::vector<uint32_t>& picture) {
    frame.WaitForReduction();
    const int sw = std::max(doc_.screenWidth, 0), sh = std::max(doc_.screenHeight, 0);
    const size_t size = size_t(sw) * size_t(sh);
    const bool valid = frame.IsPaletteValid();
    const std::shared_ptr<IndexBuffer> indexes = frame.indexPlane();
    const std::shared_ptr<TrueColourBuffer> colours = frame.trueColourPlane();
    if (valid ? !indexes : !colours) return false;

    // The screen keeps what was there only where the previous frame's disposal keeps it.
    const int disposal = doc_.disposalBefore(frame);
    const bool keeps = (disposal == 0 || disposal == 1) && frame.prev && screen_.size() == size;
    screen_ = ScreenBefore(frame, screen_);
    if (!keeps || covered_.size() != size) covered_.assign(size, 0);
    DrawFrameOnScreen(frame, screen_, &beneath_);

    // Which points of the frame drew: its opaque pixels, and its transparent ones where an
    // earlier frame shows through.
    const int w = valid ? indexes->width : colours->width;
    const int h = valid ? indexes->height : colours->height;
    const int x0 = std::max(0, -frame.left), y0 = std::max(0, -frame.top);
    const int x1 = std::min(w, sw - frame.left), y1 = std::min(h, sh - frame.top);
    const bool indexTransparent = frame.transparencyActive && frame.hasTransparency;
    for (int y = y0; y < y1; ++y) {
        const size_t row = size_t(frame.top + y) * size_t(sw) + size_t(frame.left);
        for (int x = x0; x < x1; ++x) {
            const bool transparent =
                valid ? indexTransparent && indexes->get(x, y) == frame.transparentIndex
                      : frame.transparencyActive && (colours->get(x, y) & kTransparentMarker);
            const size_t at = row + size_t(x);
            covered_[at] = !transparent ||
                           (keeps && beneath_.size() == size && beneath_[at] != kNothingBeneath);
        }
    }
    StackFrame(frame, beneath_);

    picture.resize(size);
    for (size_t i = 0; i < size; ++i)
        picture[i] = (screen_[i] & kRgbMask) | (covered_[i] ? 0xFF000000u : 0u);
    return true;
}
