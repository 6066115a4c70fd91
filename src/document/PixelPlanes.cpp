#include "document/PixelPlanes.h"

#include <algorithm>
#include <atomic>
#include <new>

bool IsPlaneSizeAcceptable(int width, int height) {
    return width > 0 && height > 0 && int64_t(width) * int64_t(height) <= kMaxPlanePixels;
}

IndexBuffer::IndexBuffer(FrameRecord* owner_, int width_, int height_)
    : owner(owner_), width(width_), height(height_), stride((width_ + 3) / 4 * 4) {
    pixels_.resize(size_t(stride) * size_t(height));
}

std::unique_ptr<IndexBuffer> IndexBuffer::Create(FrameRecord* owner, int width, int height) {
    if (!IsPlaneSizeAcceptable(width, height)) return nullptr;
    try {
        return std::unique_ptr<IndexBuffer>(new IndexBuffer(owner, width, height));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void IndexBuffer::fill(uint8_t index) {
    std::fill(pixels_.begin(), pixels_.end(), index);
}

namespace {
std::atomic<int64_t> liveTrueColour{0};
std::atomic<int64_t> peakTrueColour{0};
}  // namespace

TrueColourBuffer::TrueColourBuffer(int width_, int height_) : width(width_), height(height_) {
    pixels_.resize(size_t(width) * size_t(height));
    const int64_t live = ++liveTrueColour;
    int64_t peak = peakTrueColour.load();
    while (live > peak && !peakTrueColour.compare_exchange_weak(peak, live)) {
    }
}

TrueColourBuffer::~TrueColourBuffer() {
    --liveTrueColour;
}

int64_t TrueColourBuffer::LiveCount() {
    return liveTrueColour.load();
}

int64_t TrueColourBuffer::PeakCount() {
    return peakTrueColour.load();
}

void TrueColourBuffer::ResetPeak() {
    peakTrueColour = liveTrueColour.load();
}

std::unique_ptr<TrueColourBuffer> TrueColourBuffer::Create(int width, int height) {
    if (!IsPlaneSizeAcceptable(width, height)) return nullptr;
    try {
        return std::unique_ptr<TrueColourBuffer>(new TrueColourBuffer(width, height));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void TrueColourBuffer::fill(uint32_t pixel) {
    std::fill(pixels_.begin(), pixels_.end(), pixel);
}
