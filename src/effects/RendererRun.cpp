#include "effects/RendererRun.h"

#include <limits>
#include <new>

#include "document/FrameRecord.h"
#include "document/MemoryBudget.h"
#include "document/PixelPlanes.h"
#include "effects/EffectRegistry.h"

namespace {

// What a frame record costs besides its pixels: the record, its two plane objects with
// their shared counts, its name and the allocator's headers.
constexpr int64_t kRecordBytes =
    int64_t(sizeof(FrameRecord) + sizeof(IndexBuffer) + sizeof(TrueColourBuffer)) + 512;

}  // namespace

int64_t OutputChainBytes(int64_t n, int64_t width, int64_t height) {
    if (n <= 0 || width <= 0 || height <= 0) return 0;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    // Both planes of each frame; planes are at most kMaxPlanePixels, so this cannot wrap
    // for a plane that exists, and a larger claim saturates.
    if (width > kMax / height) return kMax;
    const int64_t pixels = width * height;
    if (pixels > kMax / 16) return kMax;
    const int64_t perFrame = pixels * 5 + kRecordBytes;
    const int64_t inputs = pixels * 4 * 2;
    if (perFrame > (kMax - inputs) / n) return kMax;
    return perFrame * n + inputs;
}

bool OutputChainFits(const FrameRecord& frame, int64_t n) {
    return FitsInMemory(OutputChainBytes(n, frame.width, frame.height));
}

FrameRecord* RunRenderer(const RegistryEntry& entry, FrameRecord* frame1, FrameRecord* frame2,
                         int n, const EffectParams& block) {
    if (!frame1 || n < 1 || !OutputChainFits(*frame1, n)) return nullptr;
    try {
        return entry.renderer(frame1, frame2, n, block);
    } catch (const std::bad_alloc&) {
        // The budget said yes but the system said no (another program took the memory).
        // The renderers give up their frames when a plane cannot be had; this catches
        // the small allocations around them, so the command fails instead of ending
        // the program.
        return nullptr;
    }
}
