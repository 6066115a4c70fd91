#include "io/TargaImage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "colour/CreateFrameFromPicture.h"
#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "host/Host.h"
#include "io/BmpDecoder.h"
#include "io/FileBytes.h"

namespace {

// 5-5-5 to 0x00RRGGBB, each component scaled to 0-255.
uint32_t From555(uint32_t v) {
    auto scale = [](uint32_t c) { return (c << 3) | (c >> 2); };
    return (scale((v >> 10) & 31u) << 16) | (scale((v >> 5) & 31u) << 8) | scale(v & 31u);
}

}  // namespace

TargaImage::TargaImage(const std::string& fileName) : DibImage(fileName) {
    typeTag_ = 18;
}

bool TargaImage::ReadFile(std::vector<uint8_t>& file) {
    return ReadFileBytes(fileName_, file, kMaxImageFileBytes);
}

int32_t TargaImage::EnsureHeader() {
    if (hasHeader_) return 1;
    std::vector<uint8_t> file;
    if (!ReadFile(file)) return UpdateValid(0);
    return UpdateValid(ReadHeader(file));
}

int32_t TargaImage::EnsurePixels() {
    if (hasPixels_) return 1;
    FreePixels();
    std::vector<uint8_t> file;
    if (!ReadFile(file)) return UpdateValid(0);
    int32_t result = hasHeader_ ? 1 : ReadHeader(file);
    if (result) result = AllocatePixels();
    if (result) result = ReadPixels(file);
    if (!result) FreePixels();
    return UpdateValid(result);
}

bool TargaImage::LoadFromBytes(const std::vector<uint8_t>& file) {
    hasHeader_ = hasPixels_ = 0;
    FreePixels();
    if (!ReadHeader(file) || !AllocatePixels() || !ReadPixels(file)) {
        FreePixels();
        UpdateValid(0);
        return false;
    }
    return true;
}

int32_t TargaImage::ReadHeader(const std::vector<uint8_t>& file) {
    if (file.size() < 18) return 0;
    std::memcpy(header_.data(), file.data(), 18);
    imageType_ = header_[2];
    fileDepth_ = header_[16];
    originX_ = originY_ = 0;
    width_ = ReadLe16(&header_[12]);
    height_ = ReadLe16(&header_[14]);
    topDown_ = (header_[17] & 0x20) ? 1 : 0;
    rightToLeft_ = (header_[17] & 0x10) != 0;
    coloursUsed_ = 0;
    switch (imageType_) {
        case 1:
        case 9:
            if (header_[1] != 1 || fileDepth_ != 8) return 0;
            bitsPerPixel_ = 8;
            coloursUsed_ = 256;
            break;
        case 2:
        case 10:
            if (fileDepth_ == 15 || fileDepth_ == 16)
                bitsPerPixel_ = 16;
            else if (fileDepth_ == 24 || fileDepth_ == 32)
                bitsPerPixel_ = fileDepth_;
            else
                return 0;
            break;
        case 3:
        case 11:
            if (fileDepth_ != 8) return 0;
            bitsPerPixel_ = 8;
            coloursUsed_ = 256;
            break;
        default:
            return 0;
    }
    if (width_ < 1 || height_ < 1 || width_ > kMaxSide || height_ > kMaxSide) return 0;
    ComputeLayout();
    hasHeader_ = 1;
    return 1;
}

int32_t TargaImage::ReadPixels(const std::vector<uint8_t>& file) {
    if (!bits_ || imageSize_ <= 0 || !hasHeader_) return 0;
    std::memset(bits_, 0, size_t(imageSize_));
    const size_t idLength = header_[0];
    const size_t mapFirst = ReadLe16(&header_[3]);
    const size_t mapLength = ReadLe16(&header_[5]);
    const size_t mapEntryBits = header_[7];
    const size_t mapEntryBytes = (mapEntryBits + 7) / 8;
    size_t pos = 18 + idLength;
    const uint8_t* map = nullptr;
    if (header_[1] == 1) {
        if (mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 && mapEntryBits != 32)
            return 0;
        if (pos + mapLength * mapEntryBytes > file.size()) return 0;
        map = file.data() + pos;
        pos += mapLength * mapEntryBytes;
    }
    if (pos > file.size()) return 0;

    // Colour table for the 8-bit kinds.
    if (imageType_ == 3 || imageType_ == 11) {
        for (int i = 0; i < 256; ++i) SetColour(i, uint32_t(i) * 0x010101u);
    } else if (imageType_ == 1 || imageType_ == 9) {
        for (size_t i = 0; i < 256; ++i) {
            uint32_t rgb = 0;
            if (i >= mapFirst && i - mapFirst < mapLength) {
                const uint8_t* e = map + (i - mapFirst) * mapEntryBytes;
                rgb = mapEntryBytes == 2 ? From555(ReadLe16(e))
                                         : (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
            }
            SetColour(int(i), rgb);
        }
    }

    // Pixels in file order, unpadded, then laid into the padded rows.
    const size_t pixelBytes = size_t(fileDepth_ + 7) / 8;
    const size_t total = size_t(width_) * size_t(height_);
    if (!FitsInMemory(int64_t(total * pixelBytes))) return 0;
    std::vector<uint8_t> plain;
    try {
        plain.resize(total * pixelBytes);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const uint8_t* in = file.data() + pos;
    const size_t available = file.size() - pos;
    if (imageType_ >= 9) {
        size_t i = 0, done = 0;
        while (done < total) {
            if (i >= available) return 0;
            const uint8_t packet = in[i++];
            const size_t count = std::min(size_t(packet & 0x7F) + 1, total - done);
            if (packet & 0x80) {
                if (i + pixelBytes > available) return 0;
                for (size_t k = 0; k < count; ++k)
                    std::memcpy(&plain[(done + k) * pixelBytes], in + i, pixelBytes);
                i += pixelBytes;
            } else {
                if (i + count * pixelBytes > available) return 0;
                std::memcpy(&plain[done * pixelBytes], in + i, count * pixelBytes);
                i += count * pixelBytes;
            }
            done += count;
        }
    } else {
        if (plain.size() > available) return 0;
        std::memcpy(plain.data(), in, plain.size());
    }

    // File row r is stored row r: the origin bit says whether that is the top or the
    // bottom row, which topDown already tells.
    const size_t rowBytes = size_t(width_) * pixelBytes;
    for (int32_t r = 0; r < height_; ++r) {
        uint8_t* out = bits_ + size_t(stride_) * size_t(r);
        const uint8_t* src = plain.data() + size_t(r) * rowBytes;
        if (!rightToLeft_) {
            std::memcpy(out, src, rowBytes);
        } else {
            for (int32_t x = 0; x < width_; ++x)
                std::memcpy(out + size_t(x) * pixelBytes, src + size_t(width_ - 1 - x) * pixelBytes,
                            pixelBytes);
        }
        if (bitsPerPixel_ == 16) {  // the attribute bit is no colour
            for (int32_t x = 0; x < width_; ++x) out[2 * x + 1] &= 0x7F;
        }
    }
    hasPixels_ = 1;
    infoFilled_ = 0;
    return 1;
}

int LoadTargaFile(AnimationDocument& doc, const std::string& path) {
    TargaImage image(path);
    const std::vector<uint32_t> pixels = image.CreateBitmap();
    if (pixels.empty()) {
        doc.host.message("Couldn't Load Bitmap", "Error", MessageIcon::Exclamation);
        return -1;
    }
    // CreateBitmap already yields the picture right side up.
    return CreateFrameFromPicture(doc, pixels.data(), image.GetWidth(), image.GetHeight(), false,
                                  path, true) == 0
               ? 0
               : -1;
}
