#include "io/AnimatedCursor.h"

#include <algorithm>
#include <cstring>

#include "colour/CreateFrameFromPicture.h"
#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "host/Host.h"
#include "io/FileBytes.h"
#include "io/IconCursor.h"

namespace {

bool IdIs(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// Calls visit(id, offset, size) for each chunk in [begin, end); nested lists are not
// entered. Chunks that overrun the range end the walk.
template <typename Visit>
void WalkChunks(const uint8_t* data, size_t begin, size_t end, Visit visit) {
    size_t pos = begin;
    while (pos + 8 <= end) {
        const uint32_t size = ReadLe32(data + pos + 4);
        if (size > end - pos - 8) return;
        visit(data + pos, pos + 8, size_t(size));
        pos += 8 + size_t(size) + (size & 1u);
    }
}

// The step's image at w x h over light grey (the image at its own size at the top left).
bool DrawStep(const uint8_t* data, const AniFile& ani, int frame, int w, int h,
              std::vector<uint32_t>& out) {
    DecodedPicture picture;
    if (!DecodeAniFrame(data, ani, frame, picture)) return false;
    const std::vector<uint32_t> drawn = DrawOverBackground(picture, kCursorBackground);
    out.assign(size_t(w) * size_t(h), kCursorBackground);
    for (int y = 0; y < std::min(h, picture.height); ++y) {
        for (int x = 0; x < std::min(w, picture.width); ++x) {
            out[size_t(y) * size_t(w) + size_t(x)] =
                drawn[size_t(y) * size_t(picture.width) + size_t(x)];
        }
    }
    return true;
}

}  // namespace

bool DecodeAniFrame(const uint8_t* data, const AniFile& ani, int frame, DecodedPicture& out) {
    out = DecodedPicture{};
    if (frame < 0 || size_t(frame) >= ani.frames.size()) return false;
    const uint8_t* chunk = data + ani.frames[size_t(frame)].first;
    const size_t size = ani.frames[size_t(frame)].second;
    if (ani.iconFrames) return DecodePreferredIconImage(chunk, size, out) >= 0;
    // A raw frame that carries its information header is a DIB; its colour rows may be
    // followed by an AND mask, as in an icon, when the header counts both.
    const uint32_t header = size >= 4 ? ReadLe32(chunk) : 0;
    if (header == 12 || (header >= 40 && header <= 124)) {
        const int64_t rows =
            header == 12 ? int16_t(ReadLe16(chunk + 6))
                         : (size >= 12 ? int64_t(int32_t(ReadLe32(chunk + 8))) : int64_t(0));
        const bool withMask = ani.height > 0 && rows == 2 * int64_t(ani.height);
        return DecodeDib(chunk, size, 0, withMask, out);
    }
    // Otherwise only the pixel rows are stored, bottom-up, at the header's size and depth.
    std::vector<uint8_t> dib;
    PutLe32(dib, 40);
    PutLe32(dib, ani.width);
    PutLe32(dib, ani.height);
    PutLe16(dib, 1);
    PutLe16(dib, ani.bitCount);
    for (int i = 0; i < 6; ++i) PutLe32(dib, 0);
    if (ani.bitCount <= 8 || ani.width > 0x7FFFFFFF || ani.height > 0x7FFFFFFF) return false;
    dib.insert(dib.end(), chunk, chunk + size);
    return DecodeDib(dib.data(), dib.size(), 0, false, out);
}

uint32_t AniFile::DelayOfStep(uint32_t step) const {
    const uint64_t jiffies = step < rates.size() ? rates[step] : displayRate;
    // Rounded to the nearest hundredth; GIF delays have 16 bits.
    return uint32_t(std::min<uint64_t>((jiffies * 100 + 30) / 60, 0xFFFF));
}

int AniFile::FrameOfStep(uint32_t step) const {
    if (step >= steps) return -1;
    const uint32_t frame =
        sequence.empty() ? step : (step < sequence.size() ? sequence[step] : UINT32_MAX);
    return frame < frames.size() ? int(frame) : -1;
}

bool ParseAni(const uint8_t* data, size_t size, AniFile& out) {
    out = AniFile{};
    if (!data || size < 12 || !IdIs(data, "RIFF") || !IdIs(data + 8, "ACON")) return false;
    const size_t end = std::min(size, size_t(ReadLe32(data + 4)) + 8);
    bool haveHeader = false;
    uint32_t declaredSteps = 0;
    WalkChunks(data, 12, end, [&](const uint8_t* chunk, size_t offset, size_t length) {
        if (IdIs(chunk, "anih") && length >= 36) {
            const uint8_t* h = data + offset;
            declaredSteps = ReadLe32(h + 8);
            out.width = ReadLe32(h + 12);
            out.height = ReadLe32(h + 16);
            out.bitCount = ReadLe32(h + 20);
            out.displayRate = ReadLe32(h + 28);
            out.iconFrames = (ReadLe32(h + 32) & 1u) != 0;
            haveHeader = true;
        } else if (IdIs(chunk, "LIST") && length >= 4 && IdIs(data + offset, "fram")) {
            WalkChunks(data, offset + 4, offset + length,
                       [&](const uint8_t* sub, size_t o, size_t l) {
                           if (IdIs(sub, "icon")) out.frames.emplace_back(o, l);
                       });
        } else if (IdIs(chunk, "seq ")) {
            for (size_t i = 0; i + 4 <= length; i += 4)
                out.sequence.push_back(ReadLe32(data + offset + i));
        } else if (IdIs(chunk, "rate")) {
            for (size_t i = 0; i + 4 <= length; i += 4)
                out.rates.push_back(ReadLe32(data + offset + i));
        }
    });
    if (!haveHeader || out.frames.empty()) return false;
    // A step needs a frame to show: the count can be no larger than what the file holds.
    const size_t available = out.sequence.empty() ? out.frames.size() : out.sequence.size();
    out.steps = uint32_t(std::min<size_t>(declaredSteps, available));
    return out.steps > 0;
}

int LoadAnimatedCursor(AnimationDocument& doc, const std::vector<uint8_t>& bytes,
                       const std::string& path) {
    AniFile ani;
    DecodedPicture first;
    if (!ParseAni(bytes.data(), bytes.size(), ani) ||
        !DecodeAniFrame(bytes.data(), ani, 0, first)) {
        doc.host.message("Couldn't Load Icon", "Error", MessageIcon::Exclamation);
        return -1;
    }
    const int w = first.width, h = first.height;
    // The answer to the one resize question holds for every step.
    const bool willAsk = !doc.empty() && (w != doc.screenWidth || h != doc.screenHeight);
    // Every step becomes a frame: the whole run must fit before the first is made.
    const int64_t frameW = willAsk ? std::max(w, doc.screenWidth) : w;
    const int64_t frameH = willAsk ? std::max(h, doc.screenHeight) : h;
    if (!FitsInMemory(ChainBytes(ani.steps, frameW, frameH))) {
        doc.host.message("Couldn't Load Cursor", "Error", MessageIcon::Exclamation);
        return -1;
    }
    int result = -1;
    for (uint32_t step = 0; step < ani.steps; ++step) {
        const int frame = ani.FrameOfStep(step);
        std::vector<uint32_t> drawn;
        if (frame < 0 || !DrawStep(bytes.data(), ani, frame, w, h, drawn)) {
            if (step == 0)
                doc.host.message("Couldn't Load Cursor", "Error", MessageIcon::Exclamation);
            break;
        }
        int width = w, height = h;
        if (step > 0 && willAsk) {
            // The first step was resized: scale this one the same way without asking.
            auto plane = TrueColourBuffer::Create(w, h);
            if (!plane) break;
            std::copy(drawn.begin(), drawn.end(), plane->data());
            auto wide = ScaleHorizontally(*plane, doc.screenWidth);
            auto scaled = wide ? ScaleVertically(*wide, doc.screenHeight) : nullptr;
            if (!scaled) break;
            width = scaled->width;
            height = scaled->height;
            drawn.assign(scaled->data(), scaled->data() + size_t(width) * size_t(height));
        }
        result = CreateFrameFromPicture(doc, drawn.data(), width, height, false, path, step == 0);
        if (result != 0) break;
        if (const uint32_t delay = ani.DelayOfStep(step)) doc.selectedFrame->delay = delay;
    }
    return result == 0 ? 0 : -1;
}
