// JPEG decoding through libjpeg: headers, every coding and colour space, data that ends
// early. Pictures are decoded row by row without being kept.
#include <cstddef>
#include <cstdint>

#include "host/Host.h"
#include "io/Jpeg.h"

namespace {

// Refuses pictures far beyond what a fuzz input can describe, as the memory budget
// refuses them on a smaller machine, so that runs stay within the fuzzer's memory limit.
class CheckingSink : public JpegRowSink {
  public:
    int64_t BytesFor(int width, int height) const override {
        return int64_t(width) * int64_t(height) * 3;
    }
    bool Begin(int width, int height) override {
        width_ = width;
        height_ = height;
        return int64_t(width) * int64_t(height) <= (int64_t(1) << 22);
    }
    void Row(int y, const uint8_t* rgb) override {
        if (y < 0 || y >= height_) __builtin_trap();
        volatile uint8_t last = rgb[3 * size_t(width_) - 1];
        (void)last;
    }

  private:
    int width_ = 0, height_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentHost host;
    CheckingSink sink;
    int width = 0, height = 0;
    JpegDecode(host, data, size, sink, width, height);
    return 0;
}
