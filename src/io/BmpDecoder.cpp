#include "io/BmpDecoder.h"

#include <algorithm>
#include <array>
#include <new>

#include "colour/CreateFrameFromPicture.h"
#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "document/PixelPlanes.h"
#include "host/Host.h"
#include "io/FileBytes.h"

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct BitField {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    static BitField From(uint32_t mask) {
        BitField f;
        f.mask = mask;
        if (!mask) return f;
        while (!((mask >> f.shift) & 1u)) ++f.shift;
        while (f.shift + f.bits < 32 && ((mask >> (f.shift + f.bits)) & 1u)) ++f.bits;
        return f;
    }
    // The component scaled to 0-255.
    uint32_t Extract(uint32_t v) const {
        if (!bits) return 0;
        const uint32_t raw = (v & mask) >> shift;
        if (bits >= 8) return raw >> (bits - 8);
        // Bit replication, as every other reader widens 5- and 6-bit components.
        uint32_t out = 0;
        for (int pos = 8 - bits;; pos -= bits) {
            out |= pos >= 0 ? raw << pos : raw >> -pos;
            if (pos <= 0) break;
        }
        return out & 0xFFu;
    }
};

struct DibLayout {
    int width = 0;
    int height = 0;  // rows of colour data
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kRgb;
    size_t headerSize = 0;
    size_t colourCount = 0;
    size_t entrySize = 4;
    size_t tableOffset = 0;
    BitField red, green, blue, alphaField;
};

uint64_t StrideOf(int width, int bits) {
    return ((uint64_t(width) * uint64_t(bits) + 31u) / 32u) * 4u;
}

bool ReadLayout(const uint8_t* data, size_t size, bool iconImage, DibLayout& l) {
    if (size < 12) return false;
    l.headerSize = ReadLe32(data);
    int64_t height = 0;
    int planes = 0;
    if (l.headerSize == 12) {
        l.width = ReadLe16(data + 4);
        height = int16_t(ReadLe16(data + 6));
        planes = ReadLe16(data + 8);
        l.bits = ReadLe16(data + 10);
        l.entrySize = 3;
    } else {
        if (l.headerSize < 40 || l.headerSize > 124 || size < l.headerSize) return false;
        l.width = int32_t(ReadLe32(data + 4));
        height = int32_t(ReadLe32(data + 8));
        planes = ReadLe16(data + 12);
        l.bits = ReadLe16(data + 14);
        l.compression = ReadLe32(data + 16);
        l.colourCount = ReadLe32(data + 32);
    }
    if (planes != 1 || l.width <= 0 || height == 0 || height == INT32_MIN) return false;
    if (iconImage) {
        if (height < 0) return false;
        height /= 2;
        if (height == 0) return false;
    }
    l.topDown = height < 0;
    l.height = int(height < 0 ? -height : height);
    if (!IsPlaneSizeAcceptable(l.width, l.height)) return false;
    switch (l.bits) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    switch (l.compression) {
        case kRgb:
            break;
        case kRle8:
            if (l.bits != 8 || l.topDown) return false;
            break;
        case kRle4:
            if (l.bits != 4 || l.topDown) return false;
            break;
        case kBitFields:
        case kAlphaBitFields:
            if (l.bits != 16 && l.bits != 32) return false;
            break;
        default:
            return false;
    }
    // Colour table: the count must fit the 256-entry table.
    if (l.colourCount > 256) return false;
    if (l.bits <= 8 && l.colourCount == 0) l.colourCount = size_t(1) << l.bits;
    size_t afterHeader = l.headerSize;
    uint32_t masks[4] = {0, 0, 0, 0};
    if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
        const size_t maskCount = l.compression == kAlphaBitFields ? 4 : 3;
        if (l.headerSize == 40) {
            if (size < 40 + 4 * maskCount) return false;
            afterHeader = 40 + 4 * maskCount;
        } else if (l.headerSize < 40 + 4 * maskCount) {
            return false;
        }
        for (size_t i = 0; i < maskCount; ++i) masks[i] = ReadLe32(data + 40 + 4 * i);
        if (l.headerSize >= 56 && maskCount == 3) masks[3] = ReadLe32(data + 52);
    } else if (l.bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (l.bits == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
        masks[3] = iconImage ? 0xFF000000u : 0;
    }
    l.red = BitField::From(masks[0]);
    l.green = BitField::From(masks[1]);
    l.blue = BitField::From(masks[2]);
    l.alphaField = BitField::From(masks[3]);
    l.tableOffset = afterHeader;
    if (l.tableOffset + l.colourCount * l.entrySize > size) return false;
    return true;
}

std::array<uint32_t, 256> ReadTable(const uint8_t* data, const DibLayout& l) {
    std::array<uint32_t, 256> table{};
    if (l.bits > 8) return table;
    for (size_t i = 0; i < l.colourCount; ++i) {
        const uint8_t* e = data + l.tableOffset + i * l.entrySize;
        table[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    return table;
}

// Run-length coded indexes into a bottom-up index plane. Pixels the codes never reach
// (after deltas and line ends) keep index 0. Returns false for codes that run past the
// data, and for data that ends before the last row without an end-of-bitmap code.
bool DecodeRle(const uint8_t* p, size_t size, const DibLayout& l, std::vector<uint8_t>& indexes) {
    const bool four = l.compression == kRle4;
    int x = 0, y = 0;  // y counts rows from the bottom
    size_t i = 0;
    auto put = [&](uint8_t v) {
        if (x < l.width && y < l.height) indexes[size_t(y) * size_t(l.width) + size_t(x)] = v;
        ++x;
    };
    while (y < l.height) {
        if (i + 2 > size) return false;  // the file was cut short
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < l.width; ++k) {
                put(four ? uint8_t((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (i + 2 > size) return false;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {  // absolute run, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
            if (i + bytes > size) return false;
            for (int k = 0; k < value; ++k) {
                const uint8_t b = p[i + size_t(four ? k / 2 : k)];
                put(four ? uint8_t((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += (bytes + 1) & ~size_t(1);
        }
    }
    return true;
}

uint32_t ToRgb(const BitField& r, const BitField& g, const BitField& b, uint32_t v) {
    return (r.Extract(v) << 16) | (g.Extract(v) << 8) | b.Extract(v);
}

}  // namespace

bool DecodeDib(const uint8_t* data, size_t size, size_t pixelOffset, bool iconImage,
               DecodedPicture& out) {
    out = DecodedPicture{};
    DibLayout l;
    if (!data || !ReadLayout(data, size, iconImage, l)) return false;
    const size_t start = pixelOffset ? pixelOffset : l.tableOffset + l.colourCount * l.entrySize;
    if (start > size) return false;
    const uint8_t* pixels = data + start;
    const size_t available = size - start;
    const uint64_t stride = StrideOf(l.width, l.bits);
    const uint64_t pixelCount = uint64_t(l.width) * uint64_t(l.height);
    const bool rle = l.compression == kRle8 || l.compression == kRle4;
    if (rle) {
        // Runs can leave most of a picture untouched; still, the picture must be one
        // that data of this size can plausibly describe.
        if (pixelCount > uint64_t(available + 1) * 4096u) return false;
    } else if (stride * uint64_t(l.height) > available) {
        return false;
    }
    const std::array<uint32_t, 256> table = ReadTable(data, l);
    auto colourAt = [&](uint32_t index) { return index < l.colourCount ? table[index] : 0u; };

    const bool withAlpha = l.alphaField.bits > 0;
    // Pixels, and at most one byte each of alpha, mask and run-length indexes.
    if (!FitsInMemory(int64_t(pixelCount) * 7)) return false;
    std::vector<uint8_t> indexes;
    try {
        out.pixels.assign(size_t(pixelCount), 0);
        if (withAlpha) out.alpha.assign(size_t(pixelCount), 0);
        if (iconImage) out.mask.assign(size_t(pixelCount), 0);
        if (rle) indexes.assign(size_t(pixelCount), 0);
    } catch (const std::bad_alloc&) {
        out = DecodedPicture{};
        return false;
    }
    out.width = l.width;
    out.height = l.height;

    if (rle) {
        if (!DecodeRle(pixels, available, l, indexes)) {
            out = DecodedPicture{};
            return false;
        }
        for (int y = 0; y < l.height; ++y) {
            const uint8_t* in = indexes.data() + size_t(l.height - 1 - y) * size_t(l.width);
            uint32_t* o = out.pixels.data() + size_t(y) * size_t(l.width);
            for (int x = 0; x < l.width; ++x) o[x] = colourAt(in[x]);
        }
    } else {
        for (int y = 0; y < l.height; ++y) {
            const int stored = l.topDown ? y : l.height - 1 - y;
            const uint8_t* row = pixels + uint64_t(stored) * stride;
            uint32_t* o = out.pixels.data() + size_t(y) * size_t(l.width);
            for (int x = 0; x < l.width; ++x) {
                switch (l.bits) {
                    case 1:
                        o[x] = colourAt((row[x / 8] >> (7 - x % 8)) & 1u);
                        break;
                    case 4:
                        o[x] = colourAt((x & 1) ? (row[x / 2] & 0x0Fu) : (row[x / 2] >> 4));
                        break;
                    case 8:
                        o[x] = colourAt(row[x]);
                        break;
                    case 16:
                        o[x] = ToRgb(l.red, l.green, l.blue, ReadLe16(row + 2 * x));
                        break;
                    case 24:
                        o[x] = (uint32_t(row[3 * x + 2]) << 16) | (uint32_t(row[3 * x + 1]) << 8) |
                               row[3 * x];
                        break;
                    default: {
                        const uint32_t v = ReadLe32(row + 4 * x);
                        o[x] = ToRgb(l.red, l.green, l.blue, v);
                        if (withAlpha)
                            out.alpha[size_t(y) * size_t(l.width) + size_t(x)] =
                                uint8_t(l.alphaField.Extract(v));
                        break;
                    }
                }
            }
        }
    }
    // An alpha channel that is zero everywhere is no alpha channel (older icons).
    if (withAlpha &&
        std::all_of(out.alpha.begin(), out.alpha.end(), [](uint8_t a) { return a == 0; })) {
        out.alpha.clear();
    }

    if (iconImage) {
        const uint64_t maskStride = StrideOf(l.width, 1);
        const uint64_t maskStart = rle ? available : stride * uint64_t(l.height);
        // Some icons omit the mask; their pixels are then all opaque.
        if (!rle && maskStart + maskStride * uint64_t(l.height) <= available) {
            for (int y = 0; y < l.height; ++y) {
                const uint8_t* row = pixels + maskStart + uint64_t(l.height - 1 - y) * maskStride;
                for (int x = 0; x < l.width; ++x) {
                    out.mask[size_t(y) * size_t(l.width) + size_t(x)] =
                        (row[x / 8] >> (7 - x % 8)) & 1u;
                }
            }
        }
    }
    return true;
}

bool DecodeBmpFile(const uint8_t* data, size_t size, DecodedPicture& out) {
    out = DecodedPicture{};
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t dataOffset = ReadLe32(data + 10);
    const uint32_t headerSize = ReadLe32(data + 14);
    if (dataOffset < 14 + headerSize || dataOffset > size) return false;
    return DecodeDib(data + 14, size - 14, dataOffset - 14, false, out);
}

int LoadBitmapFile(AnimationDocument& doc, const std::string& path) {
    std::vector<uint8_t> bytes;
    DecodedPicture picture;
    if (!ReadFileBytes(path, bytes, kMaxImageFileBytes) ||
        !DecodeBmpFile(bytes.data(), bytes.size(), picture)) {
        doc.host.message("Couldn't Load Bitmap", "Error", MessageIcon::Exclamation);
        return -1;
    }
    bytes = {};
    return CreateFrameFromPicture(doc, picture.pixels.data(), picture.width, picture.height, false,
                                  path, true) == 0
               ? 0
               : -1;
}
