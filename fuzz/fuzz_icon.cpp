// Icons, cursors and animated cursors: directories, bitmap and PNG entries, RIFF chunks.
#include <cstddef>
#include <cstdint>

#include "io/AnimatedCursor.h"
#include "io/IconCursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedPicture picture;
    const int count = CountIconImages(data, size);
    for (int i = 0; i < count && i < 4; ++i) {
        if (DecodeIconImage(data, size, i, picture)) DrawOverBackground(picture, kCursorBackground);
    }
    DecodePreferredIconImage(data, size, picture);
    AniFile ani;
    if (ParseAni(data, size, ani)) {
        for (uint32_t step = 0; step < ani.steps && step < 16; ++step) {
            const int frame = ani.FrameOfStep(step);
            if (frame < 0) break;
            if (DecodeAniFrame(data, ani, frame, picture))
                DrawOverBackground(picture, kCursorBackground);
            ani.DelayOfStep(step);
        }
    }
    return 0;
}
