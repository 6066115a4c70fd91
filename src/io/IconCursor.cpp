#include "io/IconCursor.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <tuple>

#include <png.h>

#include "colour/CreateFrameFromPicture.h"
#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "host/Host.h"
#include "io/AnimatedCursor.h"
#include "io/FileBytes.h"

namespace {

// Icons and cursors are small; a directory entry claiming more is damaged.
constexpr uint32_t kMaxIconSide = 1024;

bool DecodePng(const uint8_t* data, size_t size, DecodedPicture& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return false;
    if (image.width == 0 || image.height == 0 || image.width > kMaxIconSide ||
        image.height > kMaxIconSide) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    const int64_t count = int64_t(image.width) * int64_t(image.height);
    // The decoded RGBA, then the picture with its alpha.
    if (!FitsInMemory(count * 9)) {
        png_image_free(&image);
        return false;
    }
    std::vector<uint8_t> rgba;
    try {
        rgba.resize(PNG_IMAGE_SIZE(image));
    } catch (const std::bad_alloc&) {
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    const size_t n = size_t(count);
    try {
        out.pixels.resize(n);
        out.alpha.resize(n);
    } catch (const std::bad_alloc&) {
        out = DecodedPicture{};
        return false;
    }
    out.width = int(image.width);
    out.height = int(image.height);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = &rgba[4 * i];
        out.pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        out.alpha[i] = p[3];
    }
    return true;
}

bool EndsWithAni(const std::string& path) {
    if (path.size() < 3) return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail) c = char(std::toupper(static_cast<unsigned char>(c)));
    return tail == "ANI";
}

// What choosing among the entries of a directory looks at.
struct EntryLook {
    int index = 0;
    int side = 0;  // the larger of width and height
    int bits = 0;  // colour depth
};

// The directory's size (0 stands for 256) and the image's own depth: cursor entries
// hold the hot spot where icons hold the depth.
EntryLook LookAt(const uint8_t* data, size_t size, int index) {
    const uint8_t* entry = data + 6 + size_t(index) * 16;
    EntryLook look;
    look.index = index;
    look.side = std::max(entry[0] ? int(entry[0]) : 256, entry[1] ? int(entry[1]) : 256);
    const uint32_t bytes = ReadLe32(entry + 8), offset = ReadLe32(entry + 12);
    if (offset >= size || bytes < 16 || bytes > size - offset) return look;
    const uint8_t* image = data + offset;
    if (image[0] == 0x89 && image[1] == 'P') {
        look.bits = 32;  // PNG entries carry full colour and alpha
    } else {
        look.bits = ReadLe32(image) == 12 ? ReadLe16(image + 10) : ReadLe16(image + 14);
    }
    return look;
}

// Ranks entries as the desktop does for its standard 32 x 32 icons: that size first,
// then the nearest larger, then the nearest smaller; the most colours within a size.
bool Preferred(const EntryLook& a, const EntryLook& b) {
    constexpr int kStandard = 32;
    auto rank = [](const EntryLook& e) {
        const int group = e.side == kStandard ? 0 : e.side > kStandard ? 1 : 2;
        return std::make_tuple(group, std::abs(e.side - kStandard), -e.bits, e.index);
    };
    return rank(a) < rank(b);
}

int ReportIconFailure(AnimationDocument& doc) {
    doc.host.message("Couldn't Load Icon", "Error", MessageIcon::Exclamation);
    return -1;
}

}  // namespace

int CountIconImages(const uint8_t* data, size_t size) {
    if (!data || size < 6) return 0;
    const uint16_t reserved = ReadLe16(data), type = ReadLe16(data + 2), count = ReadLe16(data + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) return 0;
    if (6 + size_t(count) * 16 > size) return 0;
    return count;
}

bool DecodeIconImage(const uint8_t* data, size_t size, int index, DecodedPicture& out) {
    out = DecodedPicture{};
    const int count = CountIconImages(data, size);
    if (index < 0 || index >= count) return false;
    const uint8_t* entry = data + 6 + size_t(index) * 16;
    const uint32_t bytes = ReadLe32(entry + 8), offset = ReadLe32(entry + 12);
    if (offset >= size || bytes == 0 || bytes > size - offset) return false;
    const uint8_t* image = data + offset;
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes >= 8 && std::memcmp(image, kPngSignature, 8) == 0)
        return DecodePng(image, bytes, out);
    if (bytes >= 12) {
        const bool core = ReadLe32(image) == 12;
        const int64_t w = core ? ReadLe16(image + 4) : int32_t(ReadLe32(image + 4));
        const int64_t h = core ? int16_t(ReadLe16(image + 6)) : int32_t(ReadLe32(image + 8));
        if (w > kMaxIconSide || h / 2 > kMaxIconSide || -h / 2 > kMaxIconSide) return false;
    }
    return DecodeDib(image, bytes, 0, true, out);
}

int DecodePreferredIconImage(const uint8_t* data, size_t size, DecodedPicture& out) {
    out = DecodedPicture{};
    const int count = CountIconImages(data, size);
    std::vector<EntryLook> looks;
    for (int i = 0; i < count; ++i) looks.push_back(LookAt(data, size, i));
    std::sort(looks.begin(), looks.end(), Preferred);
    // A damaged entry gives way to the next best.
    for (const EntryLook& look : looks)
        if (DecodeIconImage(data, size, look.index, out)) return look.index;
    return -1;
}

std::vector<uint32_t> DrawOverBackground(const DecodedPicture& picture, uint32_t background) {
    std::vector<uint32_t> out(picture.pixels.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const uint32_t c = picture.pixels[i];
        if (!picture.alpha.empty()) {
            const uint32_t a = picture.alpha[i];
            uint32_t mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t fg = (c >> shift) & 0xFF, bg = (background >> shift) & 0xFF;
                mixed |= ((fg * a + bg * (255 - a) + 127) / 255) << shift;
            }
            out[i] = mixed;
        } else {
            const bool transparent = !picture.mask.empty() && picture.mask[i];
            out[i] = ((transparent ? background : 0u) ^ c) & 0xFFFFFFu;
        }
    }
    return out;
}

int LoadIconFile(AnimationDocument& doc, const std::string& path) {
    std::vector<uint8_t> bytes;
    DecodedPicture picture;
    if (!ReadFileBytes(path, bytes, kMaxImageFileBytes) ||
        DecodePreferredIconImage(bytes.data(), bytes.size(), picture) < 0) {
        return ReportIconFailure(doc);
    }
    return CreateFrameFromPicture(doc, picture.pixels.data(), picture.width, picture.height, false,
                                  path, true) == 0
               ? 0
               : -1;
}

int LoadCursorFile(AnimationDocument& doc, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, kMaxImageFileBytes)) return ReportIconFailure(doc);
    if (EndsWithAni(path)) return LoadAnimatedCursor(doc, bytes, path);
    DecodedPicture picture;
    if (DecodePreferredIconImage(bytes.data(), bytes.size(), picture) < 0)
        return ReportIconFailure(doc);
    const std::vector<uint32_t> drawn = DrawOverBackground(picture, kCursorBackground);
    return CreateFrameFromPicture(doc, drawn.data(), picture.width, picture.height, false, path,
                                  true) == 0
               ? 0
               : -1;
}
