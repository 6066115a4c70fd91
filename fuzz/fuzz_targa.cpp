// Targa reading through the image class, down to the picture it yields.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/TargaImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TargaImage image("");
    if (image.LoadFromBytes(std::vector<uint8_t>(data, data + size))) {
        std::vector<uint32_t> pixels = image.CreateBitmap();
        image.TrimBorder(pixels.empty() ? 0 : pixels[0]);
    }
    return 0;
}
