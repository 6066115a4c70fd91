#include "gif/GifReader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/MemoryBudget.h"
#include "gif/LzwDecoder.h"

namespace {

// A read position in the file's bytes; -1 past the end.
class ByteCursor {
  public:
    ByteCursor(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    int get() { return p_ != end_ ? *p_++ : -1; }
    bool read(uint8_t* dst, size_t n) {
        if (size_t(end_ - p_) < n) return false;
        std::memcpy(dst, p_, n);
        p_ += n;
        return true;
    }
    bool skip(size_t n) {
        if (size_t(end_ - p_) < n) return false;
        p_ += n;
        return true;
    }
    const uint8_t* here() const { return p_; }
    void unget() { --p_; }

  private:
    const uint8_t* p_;
    const uint8_t* end_;
};

uint16_t Le16(const uint8_t* b) {
    return uint16_t(b[0] | (b[1] << 8));
}

// Reads a colour table of 2^(s+1) entries; the rest of the palette becomes unused.
bool ReadColourTable(ByteCursor& in, int s, Palette& palette) {
    const int entries = 1 << (s + 1);
    uint8_t rgb[256 * 3];
    if (!in.read(rgb, size_t(entries) * 3)) return false;
    for (int i = 0; i < 256; ++i) {
        palette[size_t(i)] =
            i < entries ? PaletteEntry{rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]} : PaletteEntry{};
    }
    return true;
}

// Appends the payload of the data sub-blocks up to the block terminator. False when the
// data ends first.
bool ReadSubBlocks(ByteCursor& in, std::vector<uint8_t>* payload) {
    for (;;) {
        const int len = in.get();
        if (len < 0) return false;
        if (len == 0) return true;
        if (payload) {
            const size_t at = payload->size();
            payload->resize(at + size_t(len));
            if (!in.read(payload->data() + at, size_t(len))) return false;
        } else if (!in.skip(size_t(len))) {
            return false;
        }
    }
}

class ImageReader {
  public:
    ImageReader(ByteCursor& in, GifFileInfo& info) : in_(in), info_(info) {}

    // Extensions, then one image into `frame`.
    int ReadImage(FrameRecord& frame);
    // After a failed ReadImage: true when the image's data was read to its end, so that
    // the image can be skipped and the next one read.
    bool canSkip() const { return canSkip_; }

  private:
    bool ReadExtension(FrameRecord& frame, int label);
    int DecodePixels(FrameRecord& frame, int minCodeSize);

    ByteCursor& in_;
    GifFileInfo& info_;
    LzwDecoder decoder_;
    std::vector<uint8_t> data_;
    std::vector<uint8_t> scratch_;
    bool canSkip_ = false;
};

bool ImageReader::ReadExtension(FrameRecord& frame, int label) {
    switch (label) {
        case 0xF9: {
            const int len = in_.get();
            if (len < 0) return false;
            if (len == 4) {
                uint8_t b[4];
                if (!in_.read(b, 4)) return false;
                frame.hasTransparency = b[0] & 1u;
                frame.disposal = (b[0] >> 2) & 7;
                frame.delay = Le16(b + 1);
                frame.transparentIndex = b[3];
            } else if (len > 0 && !in_.skip(size_t(len))) {
                return false;
            }
            return len == 0 || ReadSubBlocks(in_, nullptr);
        }
        case 0xFE: {
            std::vector<uint8_t> text;
            if (!ReadSubBlocks(in_, &text)) return false;
            frame.comments.push_back(CommentNode{std::string(text.begin(), text.end())});
            return true;
        }
        case 0xFF: {
            // Identifier and authentication code are not checked: a first data block of
            // 3 bytes beginning with 1 carries the loop count.
            const int idLen = in_.get();
            if (idLen < 0) return false;
            if (idLen == 0) return true;
            if (!in_.skip(size_t(idLen))) return false;
            const int len = in_.get();
            if (len < 0) return false;
            if (len == 0) return true;
            std::vector<uint8_t> block(static_cast<size_t>(len));
            if (!in_.read(block.data(), block.size())) return false;
            if (len == 3 && block[0] == 1) {
                info_.hasLoopCount = true;
                info_.loopCount = Le16(block.data() + 1);
            }
            return ReadSubBlocks(in_, nullptr);
        }
        default:
            return ReadSubBlocks(in_, nullptr);
    }
}

int ImageReader::ReadImage(FrameRecord& frame) {
    canSkip_ = false;
    int b = in_.get();
    while (b == 0x21) {
        const int label = in_.get();
        if (label < 0 || !ReadExtension(frame, label)) return kGifUnexpectedBlock;
        b = in_.get();
    }
    if (b != 0x2C) return kGifUnexpectedBlock;

    uint8_t d[9];
    if (!in_.read(d, 9)) return kGifUnexpectedBlock;
    frame.left = Le16(d);
    frame.top = Le16(d + 2);
    frame.width = Le16(d + 4);
    frame.height = Le16(d + 6);
    const int packed = d[8];
    const int s = packed & 7;
    frame.interlaced = (packed >> 6) & 1u;
    frame.hasLocalPalette = (packed >> 7) & 1;
    if (frame.hasLocalPalette) {
        if (!ReadColourTable(in_, s, frame.palette)) return kGifUnexpectedBlock;
    } else if (info_.hasGlobalPalette) {
        // The frame's own palette keeps the colours its indexes show, so that it stays
        // right when another file's global table later replaces the document's.
        frame.palette = info_.globalPalette;
    }

    int minCodeSize = in_.get();
    if (minCodeSize < 0) return kGifCorruptLzw;
    if (minCodeSize > 8) minCodeSize = s + 1;
    const int result = DecodePixels(frame, minCodeSize);
    if (result != kGifOk) return result;
    frame.bitsPerPixel = 8;
    return kGifOk;
}

int ImageReader::DecodePixels(FrameRecord& frame, int minCodeSize) {
    data_.clear();
    try {
        if (!ReadSubBlocks(in_, &data_)) return kGifCorruptLzw;
    } catch (const std::bad_alloc&) {
        return kGifNoMemory;
    }
    // From here on the file is positioned at the next block whatever becomes of this
    // image.
    canSkip_ = true;
    const int w = frame.width, h = frame.height;
    if (w <= 0 || h <= 0) return kGifCorruptLzw;
    // The size must be one the data present can fill, and one we can hold.
    const uint64_t pixels = uint64_t(w) * uint64_t(h);
    if (pixels > MaxLzwPixels(data_.size(), minCodeSize)) return kGifCorruptLzw;
    // Data that compresses well can still claim large images; large planes (and the
    // scratch copy) go through the memory budget. Small ones are not worth the asking.
    constexpr uint64_t kUncheckedPixels = uint64_t(1) << 20;
    if (pixels > kUncheckedPixels && !FitsInMemory(int64_t(pixels) * 2)) return kGifNoMemory;
    if (!frame.CreateIndexBuffer(w, h)) return kGifNoMemory;
    IndexBuffer& plane = *frame.indexPlane();

    // Straight into the plane when its rows are contiguous and in order; else through a
    // scratch buffer whose rows are then put in place.
    const bool direct = !frame.interlaced && plane.stride == w;
    uint8_t* target = plane.row(0);
    if (!direct) {
        try {
            scratch_.resize(size_t(pixels));
        } catch (const std::bad_alloc&) {
            return kGifNoMemory;
        }
        target = scratch_.data();
    }
    int result;
    try {
        result = decoder_.Decode(data_.data(), data_.size(), minCodeSize, target, size_t(pixels));
    } catch (const std::bad_alloc&) {
        return kGifNoMemory;
    }
    if (result != kGifOk) return result;
    if (direct) return kGifOk;

    // Row r of the data goes to row y: in order, or by the four interlace passes (start
    // row, step): (0, 8), (4, 8), (2, 4), (1, 2). Passes that start below the image are
    // skipped, so each row is placed once for every height.
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    int pass = 0;
    int y = 0;
    for (int r = 0; r < h; ++r) {
        if (frame.interlaced) {
            while (y >= h && pass < 3) {
                ++pass;
                y = kStart[pass];
            }
            if (y >= h) break;
        } else {
            y = r;
        }
        std::memcpy(plane.row(y), scratch_.data() + size_t(r) * size_t(w), size_t(w));
        if (frame.interlaced) y += kStep[pass];
    }
    return kGifOk;
}

// A new frame behind `current`: it starts with the previous image's palette, size and
// colour depth, and (from the constructor) its hasLocalPalette and delay.
std::unique_ptr<FrameRecord> NextFrame(FrameRecord& current, const std::string& path) {
    std::unique_ptr<FrameRecord> next =
        FrameRecord::Construct(current.document, &current, current.next);
    if (!next) return nullptr;
    next->palette = current.palette;
    next->width = current.width;
    next->height = current.height;
    next->bitsPerPixel = current.bitsPerPixel;
    next->fileName = FitFileName(path);
    next->SetPaletteValid(true);
    return next;
}

// What reading an image changes in a frame, kept so that a skipped image leaves the
// frame as it was.
struct ImageFields {
    explicit ImageFields(const FrameRecord& f)
        : left(f.left),
          top(f.top),
          width(f.width),
          height(f.height),
          hasLocalPalette(f.hasLocalPalette),
          palette(f.palette),
          delay(f.delay),
          disposal(f.disposal),
          transparentIndex(f.transparentIndex),
          hasTransparency(f.hasTransparency),
          interlaced(f.interlaced),
          bitsPerPixel(f.bitsPerPixel),
          comments(f.comments),
          plane(f.indexPlane()) {}

    void RestoreInto(FrameRecord& f) const {
        f.left = left;
        f.top = top;
        f.width = width;
        f.height = height;
        f.hasLocalPalette = hasLocalPalette;
        f.palette = palette;
        f.delay = delay;
        f.disposal = disposal;
        f.transparentIndex = transparentIndex;
        f.hasTransparency = hasTransparency;
        f.interlaced = interlaced;
        f.bitsPerPixel = bitsPerPixel;
        f.comments = comments;
        f.ReplaceIndexPlane(plane);
    }

    int32_t left, top, width, height, hasLocalPalette;
    Palette palette;
    uint32_t delay;
    int32_t disposal;
    uint32_t transparentIndex, hasTransparency, interlaced;
    uint8_t bitsPerPixel;
    CommentList comments;
    std::shared_ptr<IndexBuffer> plane;
};

// How many skipped images are named one by one.
constexpr size_t kSkippedListed = 8;

void NoteSkipped(GifFileInfo& info, const FrameRecord& frame, int result) {
    ++info.skippedCount;
    if (info.skipped.size() < kSkippedListed) {
        info.skipped.push_back(
            SkippedImage{info.imageCount + info.skippedCount, frame.width, frame.height, result});
    }
}

const char* SkipReason(const SkippedImage& image) {
    if (image.width <= 0 || image.height <= 0) return "no pixels";
    if (image.result == kGifNoMemory) return "too large for the memory";
    return "data too short or corrupt";
}

}  // namespace

std::string DescribeSkippedImages(const GifFileInfo& info, const std::string& fileName) {
    if (info.skippedCount == 0) return {};
    std::string text = std::to_string(info.skippedCount) +
                       (info.skippedCount == 1 ? " image" : " images") + " of " + fileName +
                       " could not be read and " + (info.skippedCount == 1 ? "was" : "were") +
                       " left out:";
    for (size_t i = 0; i < info.skipped.size(); ++i) {
        const SkippedImage& image = info.skipped[i];
        text += (i ? ", image " : " image ") + std::to_string(image.number) + " (" +
                std::to_string(image.width) + "x" + std::to_string(image.height) + ", " +
                SkipReason(image) + ")";
    }
    if (size_t(info.skippedCount) > info.skipped.size()) text += ", ...";
    return text;
}

struct GifFrameStream::State {
    State(const uint8_t* data, size_t size, GifFileInfo& info) : in(data, size), reader(in, info) {}
    ByteCursor in;
    ImageReader reader;
};

GifFrameStream::GifFrameStream() = default;
GifFrameStream::~GifFrameStream() = default;

int GifFrameStream::Open(FrameRecord& first, const std::string& path, GifFileInfo& info) {
    first.fileName = FitFileName(path);
    first.SetPaletteValid(true);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kGifCannotOpen;
    bool ok = true;
    try {
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            if (size > 0) bytes_.reserve(size_t(size));
            std::rewind(file);
        }
        uint8_t chunk[1 << 16];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            bytes_.insert(bytes_.end(), chunk, chunk + n);
        }
        ok = !std::ferror(file);
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return kGifNoMemory;
    }
    std::fclose(file);
    if (!ok) return kGifCannotOpen;
    return OpenData(first, bytes_.data(), bytes_.size(), path, info);
}

int GifFrameStream::OpenData(FrameRecord& first, const uint8_t* data, size_t size,
                             const std::string& path, GifFileInfo& info) {
    info = GifFileInfo{};
    info_ = &info;
    path_ = path;
    done_ = true;
    first.fileName = FitFileName(path);
    first.SetPaletteValid(true);

    state_ = std::make_unique<State>(data, size, info);
    ByteCursor& in = state_->in;
    uint8_t header[13];
    if (!in.read(header, 6) || std::memcmp(header, "GIF", 3) != 0) return kGifNotGif;
    // The version bytes are not checked.
    if (!in.read(header + 6, 7)) return kGifNotGif;
    info.screenWidth = Le16(header + 6);
    info.screenHeight = Le16(header + 8);
    const int packed = header[10];
    info.backgroundIndex = header[11];
    first.width = info.screenWidth;
    first.height = info.screenHeight;
    first.bitsPerPixel = uint8_t((packed & 7) + 1);
    if (packed & 0x80) {
        if (!ReadColourTable(in, packed & 7, info.globalPalette)) return kGifUnexpectedBlock;
        info.hasGlobalPalette = true;
        first.palette = info.globalPalette;
    }

    // Images that cannot be decoded are skipped until one can.
    for (;;) {
        const ImageFields before(first);
        const int result = state_->reader.ReadImage(first);
        if (result == kGifOk) break;
        if (!state_->reader.canSkip()) return info.skippedCount ? info.skipped[0].result : result;
        NoteSkipped(info, first, result);
        before.RestoreInto(first);
    }
    info.imageCount = 1;
    done_ = false;
    return kGifOk;
}

std::unique_ptr<FrameRecord> GifFrameStream::ReadNext(FrameRecord& current) {
    if (done_) return nullptr;
    ByteCursor& in = state_->in;
    // Every pass consumes at least an image descriptor, so this ends with the data.
    for (;;) {
        const int b = in.get();
        if (b == 0x3B) {
            done_ = true;
            return nullptr;
        }
        if (b >= 0) in.unget();
        std::unique_ptr<FrameRecord> next = NextFrame(current, path_);
        if (!next) {
            done_ = true;  // the images read so far stand
            return nullptr;
        }
        const int result = state_->reader.ReadImage(*next);
        if (result == kGifOk) {
            ++info_->imageCount;
            return next;
        }
        next->next = next->prev = nullptr;
        if (state_->reader.canSkip()) {
            NoteSkipped(*info_, *next, result);
            continue;
        }
        // Comments after the last image belong to the animation.
        if (result == kGifUnexpectedBlock) {
            for (CommentNode& c : next->comments) info_->trailingComments.push_back(std::move(c));
        }
        done_ = true;
        return nullptr;
    }
}

namespace {

// Links the stream's remaining images behind `first`, after an opening with `opened`.
int ReadRest(GifFrameStream& stream, FrameRecord& first, int opened) {
    if (opened != kGifOk) return opened;
    FrameRecord* current = &first;
    while (std::unique_ptr<FrameRecord> next = stream.ReadNext(*current)) {
        current->next = next.release();
        current = current->next;
    }
    return kGifOk;
}

}  // namespace

int ReadGifData(FrameRecord& first, const uint8_t* data, size_t size, const std::string& path,
                GifFileInfo& info) {
    GifFrameStream stream;
    return ReadRest(stream, first, stream.OpenData(first, data, size, path, info));
}

int ReadGif(FrameRecord& first, const std::string& path, GifFileInfo& info) {
    GifFrameStream stream;
    return ReadRest(stream, first, stream.Open(first, path, info));
}

void DiscardFramesAfter(FrameRecord& first, FrameRecord* originalNext) {
    FrameRecord* f = first.next;
    while (f && f != originalNext) {
        FrameRecord* following = f->next;
        f->next = f->prev = nullptr;
        delete f;  // a chain frame is owned by its reader; no jobs run on it
        f = following;
    }
    first.next = originalNext;
}
