#include "support/GifBuilder.h"

#include <algorithm>
#include <unordered_map>

#include "io/FileBytes.h"
#include "support/UserTask.h"

namespace gif_test {

GifBuilder& GifBuilder::Header(const char* signature) {
    bytes_.insert(bytes_.end(), signature, signature + 6);
    return *this;
}

namespace {
// The screen descriptor: size, the flags of the global table, background, no aspect.
void PutScreen(std::vector<uint8_t>& b, int w, int h, int globalBits, int background) {
    PutLe16(b, uint32_t(w));
    PutLe16(b, uint32_t(h));
    b.insert(b.end(),
             {uint8_t(globalBits ? (0x80 | (globalBits - 1)) : 0), uint8_t(background), 0});
}

// Data as sub-blocks of at most 255 bytes, then the block terminator.
void PutSubBlocks(std::vector<uint8_t>& b, const std::vector<uint8_t>& data) {
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t n = std::min<size_t>(255, data.size() - at);
        b.push_back(uint8_t(n));
        b.insert(b.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    b.push_back(0);
}
}  // namespace

GifBuilder& GifBuilder::Screen(int w, int h, int globalBits, int background) {
    PutScreen(bytes_, w, h, globalBits, background);
    if (globalBits) Colours(globalBits, 1);
    return *this;
}

GifBuilder& GifBuilder::Screen(int w, int h, const std::vector<uint32_t>& colours, int background) {
    int bits = 1;
    while ((1u << bits) < colours.size()) ++bits;
    PutScreen(bytes_, w, h, bits, background);
    for (size_t i = 0; i < (size_t(1) << bits); ++i) {
        const uint32_t c = i < colours.size() ? colours[i] : 0;
        bytes_.insert(bytes_.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    return *this;
}

GifBuilder& GifBuilder::Colours(int bits, uint32_t seed) {
    for (int i = 0; i < (1 << bits); ++i) {
        bytes_.push_back(uint8_t(i * 7 + seed * 31));
        bytes_.push_back(uint8_t(i * 13 + seed * 17));
        bytes_.push_back(uint8_t(255 - i));
    }
    return *this;
}

GifBuilder& GifBuilder::Control(int flags, int delay, int transparent, int blockSize) {
    bytes_.insert(bytes_.end(), {0x21, 0xF9, uint8_t(blockSize)});
    std::vector<uint8_t> body{uint8_t(flags), uint8_t(delay & 0xFF), uint8_t(delay >> 8),
                              uint8_t(transparent)};
    body.resize(size_t(blockSize), 0);
    bytes_.insert(bytes_.end(), body.begin(), body.end());
    bytes_.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
    bytes_.insert(bytes_.end(), {0x21, 0xFE});
    PutSubBlocks(bytes_, {text.begin(), text.end()});
    return *this;
}

GifBuilder& GifBuilder::Loop(int count) {
    const char* id = "NETSCAPE2.0";
    bytes_.insert(bytes_.end(), {0x21, 0xFF, 0x0B});
    bytes_.insert(bytes_.end(), id, id + 11);
    bytes_.insert(bytes_.end(), {0x03, 0x01, uint8_t(count & 0xFF), uint8_t(count >> 8), 0x00});
    return *this;
}

GifBuilder& GifBuilder::Descriptor(int left, int top, int w, int h, int localBits,
                                   bool interlaced) {
    bytes_.push_back(0x2C);
    for (const int v : {left, top, w, h}) PutLe16(bytes_, uint32_t(v));
    bytes_.push_back(uint8_t((localBits ? (0x80 | (localBits - 1)) : 0) | (interlaced ? 0x40 : 0)));
    if (localBits) Colours(localBits, 2);
    return *this;
}

GifBuilder& GifBuilder::Codes(int minCodeSize, const std::vector<std::pair<int, int>>& codes,
                              const std::vector<uint8_t>& afterCodes) {
    bytes_.push_back(uint8_t(minCodeSize));
    std::vector<uint8_t> packed;
    uint64_t acc = 0;
    int count = 0;
    for (const auto& [code, width] : codes) {
        acc |= uint64_t(code) << count;
        count += width;
        while (count >= 8) {
            packed.push_back(uint8_t(acc));
            acc >>= 8;
            count -= 8;
        }
    }
    if (count > 0) packed.push_back(uint8_t(acc));
    packed.insert(packed.end(), afterCodes.begin(), afterCodes.end());
    PutSubBlocks(bytes_, packed);
    return *this;
}

GifBuilder& GifBuilder::Pixels(int minCodeSize, const std::vector<uint8_t>& pixels) {
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    std::vector<std::pair<int, int>> codes;
    for (uint8_t p : pixels) {
        codes.push_back({clear, width});
        codes.push_back({p, width});
    }
    codes.push_back({clear + 1, width});
    return Codes(minCodeSize, codes);
}

GifBuilder& GifBuilder::Compressed(int minCodeSize, const std::vector<uint8_t>& pixels,
                                   int frozenCodes, const std::vector<uint8_t>& afterEnd) {
    const int clear = 1 << minCodeSize;
    std::vector<std::pair<int, int>> codes;
    std::unordered_map<uint32_t, int> table;  // (prefix << 8 | pixel) -> code
    int next = clear + 2, width = minCodeSize + 1, frozen = 0;
    // A code goes out at the current width; the width grows once the next free code no
    // longer fits it (the decoder adds its entry one code later).
    auto emit = [&](int code) {
        codes.push_back({code, width});
        if (next >= (1 << width) && width < 12) ++width;
    };
    emit(clear);
    if (pixels.empty()) {
        codes.push_back({clear + 1, width});
        return Codes(minCodeSize, codes, afterEnd);
    }
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = uint32_t(prefix) << 8 | pixels[i];
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        emit(prefix);
        if (next < 4096) {
            table.emplace(key, next++);
        } else if (frozenCodes >= 0 && frozen++ >= frozenCodes) {
            emit(clear);
            table.clear();
            next = clear + 2;
            width = minCodeSize + 1;
            frozen = 0;
        }
        prefix = pixels[i];
    }
    emit(prefix);
    codes.push_back({clear + 1, width});
    return Codes(minCodeSize, codes, afterEnd);
}

GifBuilder& GifBuilder::Raw(const std::vector<uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

GifBuilder& GifBuilder::Trailer() {
    bytes_.push_back(0x3B);
    return *this;
}

std::string GifBuilder::WriteTo(const std::string& path) const {
    testing_support::WriteBytes(path, bytes_);
    return path;
}

std::vector<uint8_t> FramePixels(FrameRecord& frame) {
    std::vector<uint8_t> out;
    const auto plane = frame.indexPlane();
    if (!plane) return out;
    for (int y = 0; y < plane->height; ++y) {
        out.insert(out.end(), plane->row(y), plane->row(y) + plane->width);
    }
    return out;
}

std::vector<uint32_t> FrameColours(const FrameRecord& frame, size_t n) {
    std::vector<uint32_t> out;
    const Palette& p = frame.effectivePalette();
    for (size_t i = 0; i < n && i < 256; ++i) out.push_back(p[i].rgb());
    return out;
}

}  // namespace gif_test
