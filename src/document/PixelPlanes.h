#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class FrameRecord;

// Bit 24 of a true-colour pixel marks it transparent; the top 7 bits are always 0.
constexpr uint32_t kTransparentMarker = 0x01000000u;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;

// Largest plane we agree to allocate (pixels). A GIF can claim 65535 x 65535; the
// loaders check what a file can justify, this is the last line of defence.
constexpr int64_t kMaxPlanePixels = int64_t(1) << 28;

// The 8-bit plane of palette indexes. Rows are top-down and padded to 4 bytes.
class IndexBuffer {
  public:
    // nullptr when the size is invalid or the memory cannot be had.
    static std::unique_ptr<IndexBuffer> Create(FrameRecord* owner, int width, int height);
    virtual ~IndexBuffer() = default;

    uint8_t get(int x, int y) const { return pixels_[size_t(y) * size_t(stride) + size_t(x)]; }
    void set(int x, int y, uint8_t index) {
        pixels_[size_t(y) * size_t(stride) + size_t(x)] = index;
    }
    uint8_t* row(int y) { return pixels_.data() + size_t(y) * size_t(stride); }
    const uint8_t* row(int y) const { return pixels_.data() + size_t(y) * size_t(stride); }
    void fill(uint8_t index);

    FrameRecord* owner = nullptr;
    const int width;
    const int height;
    const int stride;

  private:
    IndexBuffer(FrameRecord* owner, int width, int height);
    std::vector<uint8_t> pixels_;
};

// The 32-bit working plane: pixels 0x00RRGGBB plus the transparent marker, top-down.
class TrueColourBuffer {
  public:
    static std::unique_ptr<TrueColourBuffer> Create(int width, int height);
    virtual ~TrueColourBuffer();
    TrueColourBuffer(const TrueColourBuffer&) = delete;
    TrueColourBuffer& operator=(const TrueColourBuffer&) = delete;

    // How many planes are alive, and the most there were since ResetPeak: true colour is
    // the memory that grows with a video, so imports are checked against these.
    static int64_t LiveCount();
    static int64_t PeakCount();
    static void ResetPeak();

    uint32_t get(int x, int y) const { return pixels_[size_t(y) * size_t(width) + size_t(x)]; }
    void set(int x, int y, uint32_t pixel) {
        pixels_[size_t(y) * size_t(width) + size_t(x)] = pixel;
    }
    uint32_t* row(int y) { return pixels_.data() + size_t(y) * size_t(width); }
    const uint32_t* row(int y) const { return pixels_.data() + size_t(y) * size_t(width); }
    uint32_t* data() { return pixels_.data(); }
    const uint32_t* data() const { return pixels_.data(); }
    void fill(uint32_t pixel);

    const int width;
    const int height;

  private:
    TrueColourBuffer(int width, int height);
    std::vector<uint32_t> pixels_;
};

// The logical screen as the viewer sees it after one frame: 0x00RRGGBB, top-down.
struct ComposedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    // 1 where no frame has put an opaque pixel (a viewer shows what lies behind the
    // animation there); empty when the whole screen is opaque.
    std::vector<uint8_t> seeThrough;
    // Made from the true colour of a frame whose colour reduction had not ended: the
    // reduced colours differ, so it is composed again when next asked for.
    bool provisional = false;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool isSeeThrough(int x, int y) const {
        return !seeThrough.empty() && seeThrough[size_t(y) * size_t(width) + size_t(x)] != 0;
    }
};

// True when width x height is a plane size we can allocate.
bool IsPlaneSizeAcceptable(int width, int height);
