// libFuzzer target: the GIF reader on arbitrary bytes must never crash, hang or
// allocate without bound, and every frame it returns must be complete.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "document/AnimationDocument.h"
#include "gif/GifReader.h"
#include "host/Host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentHost host;
    static AnimationDocument doc(host, 1);
    FrameRecord* first = AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
    GifFileInfo info;
    if (ReadGifData(*first, data, size, "fuzz.gif", info) == kGifOk) {
        int count = 0;
        for (FrameRecord* f = first; f; f = f->next, ++count) {
            const auto plane = f->indexPlane();
            if (!plane || plane->width != f->width || plane->height != f->height) std::abort();
            volatile uint8_t sink = plane->get(f->width - 1, f->height - 1);
            (void)sink;
        }
        if (count != info.imageCount) std::abort();
    }
    DiscardFramesAfter(*first, nullptr);
    delete first;
    return 0;
}
