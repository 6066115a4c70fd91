#include "io/AviExport.h"

#include <algorithm>
#include <memory>
#include <new>

#include "colour/ColourReduction.h"
#include "document/AnimationDocument.h"
#include "host/Host.h"
#include "io/ExportTiming.h"
#include "io/FileBytes.h"

namespace {

// The stream runs at a constant rate whose tick is the delays' greatest common divisor,
// at most 50 frames per second (a tick of at least 2 hundredths) and at most a million
// ticks; a frame that lasts several ticks is repeated by empty chunks, which readers
// take as "the picture stays", so repeats cost 24 bytes each.
constexpr uint32_t kShortestTick = 2;
constexpr uint64_t kMostTicks = 1000000;
constexpr uint32_t kKeyFrame = 0x10, kNoTime = 0x100, kHasIndex = 0x10;
// The stream header's flag that announces palette-change ("00pc") chunks.
constexpr uint32_t kPaletteChanges = 0x10000;

void PutId(std::vector<uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

// Starts a chunk (or list) and returns the position of its size field.
size_t BeginChunk(std::vector<uint8_t>& out, const char* id, const char* listType = nullptr) {
    PutId(out, id);
    const size_t sizeAt = out.size();
    PutLe32(out, 0);
    if (listType) PutId(out, listType);
    return sizeAt;
}

void EndChunk(std::vector<uint8_t>& out, size_t sizeAt) {
    const uint32_t size = uint32_t(out.size() - sizeAt - 4);
    for (int i = 0; i < 4; ++i) out[sizeAt + size_t(i)] = uint8_t(size >> (8 * i));
    if (size & 1u) out.push_back(0);
}

// One picture of the stream: screen-sized indexes (top-down) and their palette.
struct StreamPicture {
    std::vector<uint8_t> indexes;
    Palette palette;
};

// Follows the animation as a viewer sees it, so that frames that do not cover the
// screen (or let it show through) can be written as whole pictures.
class ScreenComposer {
  public:
    ScreenComposer(AnimationDocument& doc)
        : doc_(doc), width_(doc.screenWidth), height_(doc.screenHeight) {
        screen_.assign(size_t(width_) * size_t(height_), doc.backgroundColour());
    }

    // Draws the frame; `self` tells whether its own indexes already make the whole
    // picture. Applies its disposal afterwards. Returns the picture to write.
    bool Draw(FrameRecord& frame, StreamPicture& picture) {
        frame.WaitForReduction();
        const std::shared_ptr<IndexBuffer> plane = frame.indexPlane();
        if (!plane) return false;
        const Palette& palette = frame.effectivePalette();
        const bool transparent = frame.hasTransparency != 0;
        const int disposal = doc_.effectiveDisposal(frame);
        std::vector<uint32_t> saved;
        if (disposal == 3) saved = screen_;
        bool usesTransparency = false;
        for (int y = 0; y < frame.height; ++y) {
            const int sy = frame.top + y;
            if (sy < 0 || sy >= height_) continue;
            for (int x = 0; x < frame.width; ++x) {
                const int sx = frame.left + x;
                if (sx < 0 || sx >= width_) continue;
                const uint8_t index = plane->get(x, y);
                if (transparent && index == frame.transparentIndex) {
                    usesTransparency = true;
                    continue;
                }
                screen_[size_t(sy) * size_t(width_) + size_t(sx)] = palette[index].rgb();
            }
        }
        bool ok = true;
        if (frame.coversScreen() && !usesTransparency) {
            picture.palette = palette;
            picture.indexes.resize(size_t(width_) * size_t(height_));
            for (int y = 0; y < height_; ++y)
                std::copy(plane->row(y), plane->row(y) + width_,
                          picture.indexes.begin() + ptrdiff_t(y) * width_);
        } else {
            ok = ReduceScreen(picture);
        }
        if (disposal == 2) {
            const uint32_t background = doc_.backgroundColour();
            for (int y = std::max(0, frame.top); y < std::min(height_, frame.top + frame.height);
                 ++y)
                for (int x = std::max(0, frame.left);
                     x < std::min(width_, frame.left + frame.width); ++x)
                    screen_[size_t(y) * size_t(width_) + size_t(x)] = background;
        } else if (disposal == 3) {
            screen_ = std::move(saved);
        }
        return ok;
    }

  private:
    bool ReduceScreen(StreamPicture& picture) {
        auto plane = TrueColourBuffer::Create(width_, height_);
        auto indexes = IndexBuffer::Create(nullptr, width_, height_);
        if (!plane || !indexes) return false;
        std::copy(screen_.begin(), screen_.end(), plane->data());
        std::array<uint32_t, 5> none{kNoReservedColour, kNoReservedColour, kNoReservedColour,
                                     kNoReservedColour, kNoReservedColour};
        const PaletteResult result = CountPalette(*plane, none, nullptr);
        bool transparencyActive = false;
        if (!MapToPalette(*plane, result.palette, result.colours, *indexes, transparencyActive,
                          nullptr))
            return false;
        picture.palette = result.palette;
        picture.indexes.resize(size_t(width_) * size_t(height_));
        for (int y = 0; y < height_; ++y)
            std::copy(indexes->row(y), indexes->row(y) + width_,
                      picture.indexes.begin() + ptrdiff_t(y) * width_);
        return true;
    }

    AnimationDocument& doc_;
    int width_, height_;
    std::vector<uint32_t> screen_;
};

void PutPaletteBgr(std::vector<uint8_t>& out, const Palette& palette) {
    for (const PaletteEntry& e : palette) {
        const uint32_t rgb = e.rgb();
        out.insert(out.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0});
    }
}

}  // namespace

bool BuildAvi(AnimationDocument& doc, FrameRecord* first, std::vector<uint8_t>& out) {
    out.clear();
    const int width = doc.screenWidth, height = doc.screenHeight;
    if (!first || width <= 0 || height <= 0 || !IsPlaneSizeAcceptable(width, height)) return false;
    const uint32_t stride = (uint32_t(width) + 3u) & ~3u;
    const uint64_t pictureBytes = uint64_t(stride) * uint64_t(height);
    const std::vector<uint32_t> delays = PlayedDelays(doc, first);
    const uint32_t frames = uint32_t(delays.size());
    const ConstantRate rate = RateForDelays(delays, kShortestTick, kMostTicks);
    uint64_t ticks = 0;
    for (const uint32_t r : rate.repeats) ticks += r;
    // The RIFF sizes are 32 bits.
    if ((pictureBytes + 1100) * frames + 24 * ticks + 4096 > 0xFFFFFFF0u) return false;

    try {
        const size_t riff = BeginChunk(out, "RIFF", "AVI ");
        const size_t hdrl = BeginChunk(out, "LIST", "hdrl");
        const size_t avih = BeginChunk(out, "avih");
        PutLe32(out, 10000u * rate.tick);  // microseconds a frame
        PutLe32(out, uint32_t(std::min<uint64_t>(pictureBytes * 100 / rate.tick, 0xFFFFFFFFu)));
        PutLe32(out, 0);
        PutLe32(out, kHasIndex);
        PutLe32(out, uint32_t(ticks));
        PutLe32(out, 0);
        PutLe32(out, 1);
        PutLe32(out, uint32_t(pictureBytes));
        PutLe32(out, uint32_t(width));
        PutLe32(out, uint32_t(height));
        for (int i = 0; i < 4; ++i) PutLe32(out, 0);
        EndChunk(out, avih);

        const size_t strl = BeginChunk(out, "LIST", "strl");
        const size_t strh = BeginChunk(out, "strh");
        PutId(out, "vids");
        PutId(out, "iv32");
        // Flags: every picture after the first comes with its palette.
        PutLe32(out, frames > 1 ? kPaletteChanges : 0);
        PutLe32(out, 0);          // priority, language
        PutLe32(out, 0);          // initial frames
        PutLe32(out, rate.tick);  // scale: the rate is 100 / tick frames per second
        PutLe32(out, 100);
        PutLe32(out, 0);                // start
        PutLe32(out, uint32_t(ticks));  // length, repeats included
        PutLe32(out, uint32_t(pictureBytes));
        PutLe32(out, 10000);  // quality
        PutLe32(out, 0);      // sample size
        PutLe16(out, 0);
        PutLe16(out, 0);
        PutLe16(out, uint32_t(width));
        PutLe16(out, uint32_t(height));
        EndChunk(out, strh);

        ScreenComposer composer(doc);
        std::vector<StreamPicture> pictures;
        StreamPicture picture;
        // The first picture's palette goes into the stream format.
        if (!composer.Draw(*first, picture)) return false;

        const size_t strf = BeginChunk(out, "strf");
        PutLe32(out, 40);
        PutLe32(out, uint32_t(width));
        PutLe32(out, uint32_t(height));  // bottom-up rows, as every reader expects
        PutLe16(out, 1);
        PutLe16(out, 8);
        PutLe32(out, 0);  // uncompressed
        PutLe32(out, uint32_t(pictureBytes));
        PutLe32(out, 0);
        PutLe32(out, 0);
        PutLe32(out, 256);
        PutLe32(out, 0);
        PutPaletteBgr(out, picture.palette);
        EndChunk(out, strf);
        EndChunk(out, strl);
        EndChunk(out, hdrl);

        struct IndexEntry {
            char id[4];
            uint32_t flags, offset, size;
        };
        std::vector<IndexEntry> index;
        const size_t movi = BeginChunk(out, "LIST", "movi");
        const size_t moviStart = movi + 4;  // offsets count from the list type "movi"
        FrameRecord* frame = first;
        for (uint32_t k = 0; k < frames; ++k, frame = frame->next) {
            if (k > 0 && !composer.Draw(*frame, picture)) return false;
            if (k > 0) {
                const size_t at = out.size();
                const size_t pc = BeginChunk(out, "00pc");
                out.push_back(0);  // first entry
                out.push_back(0);  // 0 entries means 256
                PutLe16(out, 0);
                for (const PaletteEntry& e : picture.palette) {
                    const uint32_t rgb = e.rgb();
                    out.insert(out.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 0});
                }
                EndChunk(out, pc);
                index.push_back(
                    {{'0', '0', 'p', 'c'}, kNoTime, uint32_t(at - moviStart), 4 + 1024});
            }
            const size_t at = out.size();
            const size_t db = BeginChunk(out, "00db");
            for (int y = height - 1; y >= 0; --y) {
                const uint8_t* row = picture.indexes.data() + size_t(y) * size_t(width);
                out.insert(out.end(), row, row + width);
                out.insert(out.end(), stride - uint32_t(width), 0);
            }
            EndChunk(out, db);
            index.push_back({{'0', '0', 'd', 'b'},
                             kKeyFrame,
                             uint32_t(at - moviStart),
                             uint32_t(pictureBytes)});
            // The picture stays for the rest of its delay.
            for (uint32_t r = 1; r < rate.repeats[k]; ++r) {
                const size_t empty = out.size();
                EndChunk(out, BeginChunk(out, "00db"));
                index.push_back({{'0', '0', 'd', 'b'}, 0, uint32_t(empty - moviStart), 0});
            }
        }
        EndChunk(out, movi);

        const size_t idx1 = BeginChunk(out, "idx1");
        for (const IndexEntry& e : index) {
            out.insert(out.end(), e.id, e.id + 4);
            PutLe32(out, e.flags);
            PutLe32(out, e.offset);
            PutLe32(out, e.size);
        }
        EndChunk(out, idx1);
        EndChunk(out, riff);
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
    return true;
}

int SaveAvi(AnimationDocument& doc, FrameRecord* first, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (path.empty() || !BuildAvi(doc, first, bytes) || !WriteFileReplacing(path, bytes)) {
        doc.host.message("Could not save AVI.", "Error", MessageIcon::Exclamation);
        return -1;
    }
    return 0;
}
