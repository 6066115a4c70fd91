#include "io/DibImage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "document/MemoryBudget.h"
#include "io/FileBytes.h"

namespace {

void PutLe32At(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

DibImage::DibImage(const std::string& fileName) : fileName_(fileName.substr(0, 259)) {
    typeTag_ = 4;
}

DibImage::~DibImage() {
    FreePixels();
}

bool DibImage::Create(int32_t width, int32_t height, int32_t bitsPerPixel, bool topDown,
                      int32_t coloursUsed) {
    originX_ = originY_ = 0;
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    topDown_ = topDown ? 1 : 0;
    coloursUsed_ = std::clamp(coloursUsed, 0, 256);
    hasHeader_ = 1;
    ComputeLayout();
    if (!AllocatePixels()) return false;
    hasPixels_ = 1;
    return true;
}

int32_t DibImage::TableEntries() const {
    if (bitsPerPixel_ != 1 && bitsPerPixel_ != 4 && bitsPerPixel_ != 8) return 0;
    return coloursUsed_ ? coloursUsed_ : (1 << bitsPerPixel_);
}

void DibImage::SetColour(int index, uint32_t rgb) {
    const int n = TableEntries();
    if (!bits_ || index < 0 || index >= n) return;
    uint8_t* e = bits_ - 4 * n + 4 * index;
    e[0] = uint8_t(rgb);
    e[1] = uint8_t(rgb >> 8);
    e[2] = uint8_t(rgb >> 16);
    e[3] = 0;
    infoFilled_ = 0;
}

int32_t DibImage::GetOriginX() {
    EnsureHeader();
    return originX_;
}
int32_t DibImage::GetOriginY() {
    EnsureHeader();
    return originY_;
}
int32_t DibImage::GetWidth() {
    EnsureHeader();
    return width_;
}
int32_t DibImage::GetHeight() {
    EnsureHeader();
    return height_;
}
int32_t DibImage::GetBitsPerPixel() {
    EnsureHeader();
    return bitsPerPixel_;
}
int32_t DibImage::IsTopDown() {
    EnsureHeader();
    return topDown_;
}

uint8_t* DibImage::GetBits() {
    EnsurePixels();
    return bits_;
}

uint8_t* DibImage::GetBitmapInfo() {
    uint8_t* bits = GetBits();
    const int32_t infoSize = GetInfoSize();
    if (!bits || infoSize == 0) return nullptr;
    uint8_t* info = bits - infoSize;
    if (!infoFilled_) {
        if (!FillBitmapInfo(info)) return nullptr;
        infoFilled_ = 1;
    }
    return info;
}

std::vector<uint32_t> DibImage::CreateBitmap() {
    std::vector<uint32_t> out;
    if (!GetBitmapInfo()) return out;
    if (!FitsInMemory(int64_t(width_) * int64_t(height_) * 4)) return out;
    try {
        out.resize(size_t(width_) * size_t(height_));
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (int32_t y = 0; y < height_; ++y) {
        for (int32_t x = 0; x < width_; ++x) {
            const uint32_t bgr = GetPixel(x, y);
            out[size_t(y) * size_t(width_) + size_t(x)] =
                ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
        }
    }
    return out;
}

int32_t DibImage::GetInfoSize() {
    if (!hasHeader_) return 0;
    switch (bitsPerPixel_) {
        case 1:
        case 4:
        case 8:
            return 40 + 4 * TableEntries();
        case 16:
        case 24:
        case 32:
            return 40;
        default:
            return 0;
    }
}

int32_t DibImage::FillBitmapInfo(uint8_t* target) {
    if (!target || !hasHeader_ || !bits_) return 0;
    if (!FillInfoHeader(target)) return 0;
    const int n = TableEntries();
    uint8_t* table = bits_ - 4 * n;
    if (n > 0 && target + 40 != table) std::memmove(target + 40, table, size_t(4 * n));
    return 1;
}

int32_t DibImage::FillInfoHeader(uint8_t* target) {
    switch (bitsPerPixel_) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return 0;
    }
    std::memset(target, 0, 40);
    PutLe32At(target, 40);
    PutLe32At(target + 4, uint32_t(width_));
    PutLe32At(target + 8, uint32_t(topDown_ ? -height_ : height_));
    target[12] = 1;
    target[14] = uint8_t(bitsPerPixel_);
    PutLe32At(target + 32, uint32_t(coloursUsed_));
    return 1;
}

uint32_t DibImage::GetPixel(int32_t x, int32_t y) {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFFu;
    const int32_t r = topDown_ ? y : height_ - 1 - y;
    const uint8_t* row = bits_ + size_t(stride_) * size_t(r);
    auto entry = [&](uint32_t i) -> uint32_t {
        const int n = TableEntries();
        if (int(i) >= n) return 0;
        const uint8_t* e = bits_ - 4 * n + 4 * int(i);
        return (uint32_t(e[0]) << 16) | (uint32_t(e[1]) << 8) | e[2];
    };
    switch (bitsPerPixel_) {
        case 1:
            return entry((row[x / 8] >> (7 - x % 8)) & 1u);
        case 4:
            return entry((x & 1) ? (row[x / 2] & 0x0Fu) : uint32_t(row[x / 2] >> 4));
        case 8:
            return entry(row[x]);
        case 16: {
            // 5-5-5 components scaled to the full 0-255 range.
            const uint32_t v = ReadLe16(row + 2 * x);
            auto scale = [](uint32_t c) { return (c << 3) | (c >> 2); };
            return (scale(v & 31u) << 16) | (scale((v >> 5) & 31u) << 8) | scale((v >> 10) & 31u);
        }
        case 24:
            return (uint32_t(row[3 * x]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x + 2];
        case 32: {
            const uint8_t* p = bits_ + 4 * (size_t(paddedWidth_) * size_t(r) + size_t(x));
            return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
        default:
            return 0xFFFFFFFFu;
    }
}

int32_t DibImage::CropTo(const DibRect& rect) {
    const int32_t left = std::max(rect.left, originX_);
    const int32_t top = std::max(rect.top, originY_);
    const int32_t right = std::min(rect.right, originX_ + width_);
    const int32_t bottom = std::min(rect.bottom, originY_ + height_);
    if (left >= right || top >= bottom) {
        FreeBlock(bits_);
        bits_ = nullptr;
        hasPixels_ = 0;
        infoFilled_ = 0;
        width_ = height_ = 0;
        ComputeLayout();
        return 0;
    }
    // Cropping copies pixels: an image read lazily reads them now, one without pixels
    // cannot be cropped.
    if (!EnsurePixels() || !bits_) return 0;
    std::vector<uint8_t> oldBlock = std::move(block_);
    block_.clear();
    uint8_t* const oldBits = bits_;
    const int32_t oldStride = stride_, oldHeight = height_, oldX = originX_, oldY = originY_;
    const int oldEntries = TableEntries();
    originX_ = left;
    originY_ = top;
    width_ = right - left;
    height_ = bottom - top;
    bits_ = nullptr;
    ComputeLayout();
    if (!AllocatePixels()) return UpdateValid(0);
    const int32_t dx = left - oldX, dy = top - oldY;
    for (int32_t y = 0; y < height_; ++y) {
        const int32_t oldRow = topDown_ ? y + dy : oldHeight - 1 - (y + dy);
        const int32_t newRow = topDown_ ? y : height_ - 1 - y;
        const uint8_t* in = oldBits + size_t(oldStride) * size_t(oldRow);
        uint8_t* out = bits_ + size_t(stride_) * size_t(newRow);
        if (bitsPerPixel_ == 1) {
            for (int32_t x = 0; x < width_; ++x) {
                const int sx = x + dx;
                if ((in[sx / 8] >> (7 - sx % 8)) & 1u) out[x / 8] |= uint8_t(0x80u >> (x % 8));
            }
        } else if (bitsPerPixel_ == 4) {
            for (int32_t x = 0; x < width_; ++x) {
                const int sx = x + dx;
                const uint8_t v = (sx & 1) ? (in[sx / 2] & 0x0F) : uint8_t(in[sx / 2] >> 4);
                out[x / 2] |= (x & 1) ? v : uint8_t(v << 4);
            }
        } else {
            std::memcpy(out, in + size_t(dx) * size_t(bytesPerPixel_),
                        size_t(width_) * size_t(bytesPerPixel_));
        }
    }
    if (oldEntries > 0) {
        std::memcpy(bits_ - 4 * oldEntries, oldBits - 4 * oldEntries, size_t(4 * oldEntries));
    }
    hasPixels_ = 1;
    infoFilled_ = 0;
    return 1;
}

int32_t DibImage::TrimBorder(uint32_t colour) {
    if (!hasPixels_ || !bits_ || !hasHeader_) return 0;
    auto differs = [&](int32_t x, int32_t y) {
        const uint32_t p = GetPixel(x, y);
        return p != 0xFFFFFFFFu && (p & 0xFFFFFFu) != (colour & 0xFFFFFFu);
    };
    auto rowDiffers = [&](int32_t y) {
        for (int32_t x = 0; x < width_; ++x)
            if (differs(x, y)) return true;
        return false;
    };
    auto columnDiffers = [&](int32_t x, int32_t top, int32_t bottom) {
        for (int32_t y = top; y <= bottom; ++y)
            if (differs(x, y)) return true;
        return false;
    };
    int32_t top = 0;
    while (top < height_ && !rowDiffers(top)) ++top;
    if (top == height_) return CropTo(DibRect{originX_, originY_, originX_, originY_});
    int32_t bottom = height_ - 1;
    while (bottom > top && !rowDiffers(bottom)) --bottom;
    int32_t left = 0;
    while (left < width_ - 1 && !columnDiffers(left, top, bottom)) ++left;
    int32_t right = width_ - 1;
    while (right > left && !columnDiffers(right, top, bottom)) --right;
    return CropTo(
        DibRect{originX_ + left, originY_ + top, originX_ + right + 1, originY_ + bottom + 1});
}

void DibImage::ComputeLayout() {
    switch (bitsPerPixel_) {
        case 1:
            paddedWidth_ = (width_ + 31) / 32 * 32;
            bytesPerPixel_ = 0;
            break;
        case 4:
            paddedWidth_ = (width_ + 7) / 8 * 8;
            bytesPerPixel_ = 0;
            break;
        case 8:
            paddedWidth_ = (width_ + 3) / 4 * 4;
            bytesPerPixel_ = 1;
            break;
        case 16:
            paddedWidth_ = (width_ + 1) / 2 * 2;
            bytesPerPixel_ = 2;
            break;
        case 24:
            paddedWidth_ = width_;
            bytesPerPixel_ = 3;
            break;
        case 32:
            paddedWidth_ = width_;
            bytesPerPixel_ = 4;
            break;
        default:
            paddedWidth_ = bytesPerPixel_ = stride_ = imageSize_ = 0;
            return;
    }
    if (width_ < 0 || height_ < 0 || width_ > kMaxSide || height_ > kMaxSide) {
        paddedWidth_ = bytesPerPixel_ = stride_ = imageSize_ = 0;
        return;
    }
    stride_ = (width_ * bitsPerPixel_ + 31) / 32 * 4;
    imageSize_ = height_ * stride_;
}

int32_t DibImage::AllocatePixels() {
    FreePixels();
    bits_ = AllocBlock();
    return UpdateValid(bits_ != nullptr);
}

void DibImage::FreePixels() {
    FreeBlock(bits_);
    bits_ = nullptr;
    hasPixels_ = 0;
    infoFilled_ = 0;
}

int32_t DibImage::EnsureHeader() {
    return hasHeader_;
}

int32_t DibImage::ReloadHeader() {
    hasHeader_ = 0;
    return EnsureHeader();
}

int32_t DibImage::EnsurePixels() {
    return hasPixels_;
}

void DibImage::DiscardPixels() {
    FreePixels();
}

uint8_t* DibImage::AllocBlock() {
    if (width_ < 1 || height_ < 1 || width_ > kMaxSide || height_ > kMaxSide ||
        bitsPerPixel_ == 0 || imageSize_ <= 0) {
        return nullptr;
    }
    if (!FitsInMemory(int64_t(imageSize_) + int64_t(kInfoBytes))) return nullptr;
    try {
        block_.assign(size_t(imageSize_) + kInfoBytes, 0);
    } catch (const std::bad_alloc&) {
        block_.clear();
        return nullptr;
    }
    return block_.data() + kInfoBytes;
}

void DibImage::FreeBlock(uint8_t* bits) {
    if (bits && !block_.empty() && bits == block_.data() + kInfoBytes) {
        block_.clear();
        block_.shrink_to_fit();
    }
}
