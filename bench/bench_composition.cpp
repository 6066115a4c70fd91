// Composing the last frame of a long animation whose earlier frames have no composed
// picture yet: every earlier frame is composed first, front to back.
#include <benchmark/benchmark.h>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "host/Host.h"

namespace {

void BuildChain(AnimationDocument& doc, int frames, int screen) {
    doc.screenWidth = doc.screenHeight = screen;
    doc.globalPalette[0] = PaletteEntry::FromRgb(0xFFFFFF);
    FrameRecord* last = nullptr;
    for (int i = 0; i < frames; ++i) {
        FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, last, nullptr));
        f->CreateIndexBuffer(8, 8);
        // Every other pixel transparent, alternating per frame, so transparent pixels
        // look through to earlier frames at the same place.
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) f->indexPlane()->set(x, y, uint8_t((x + y + i / 64) % 2));
        }
        f->palette[0] = PaletteEntry::FromRgb(uint32_t(i));
        f->palette[1] = PaletteEntry::FromRgb(0x00FF00);
        f->hasTransparency = 1;
        f->transparentIndex = 1;
        f->left = (i * 8) % screen;
        f->top = (i * 8 / screen * 8) % screen;
        if (last)
            last->next = f;
        else
            doc.firstFrame = f;
        last = f;
    }
}

void BM_ComposeLastOfLongChain(benchmark::State& state) {
    const int frames = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        SilentHost host;
        auto doc = std::make_unique<AnimationDocument>(host, 1);
        BuildChain(*doc, frames, 64);
        FrameRecord* last = doc->firstFrame;
        while (last->next) last = last->next;
        state.ResumeTiming();
        benchmark::DoNotOptimize(GetComposedBitmap(*last));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_ComposeLastOfLongChain)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
