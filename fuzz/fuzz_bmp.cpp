// BMP/DIB decoding: files and the bitmap images inside icons.
#include <cstddef>
#include <cstdint>

#include "io/BmpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedPicture picture;
    if (DecodeBmpFile(data, size, picture)) {
        volatile uint32_t sink = picture.pixels.empty() ? 0 : picture.pixels.back();
        (void)sink;
    }
    DecodeDib(data, size, 0, true, picture);
    return 0;
}
