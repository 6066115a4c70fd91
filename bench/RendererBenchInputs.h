#pragma once

// What the renderer benchmarks share: two photo-like 640 x 480 input frames, the timed
// run of one registry entry, and the benchmark main.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "effects/EffectRegistry.h"
#include "host/Host.h"

namespace renderer_bench {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 10;

// A photo-like frame: 256 palette colours, smooth ramps with some texture, a few
// transparent pixels.
inline FrameRecord* MakeInput(AnimationDocument& doc, int seed) {
    FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
    f->CreateIndexBuffer(kWidth, kHeight);
    for (int i = 0; i < 256; ++i) {
        f->palette[size_t(i)] = PaletteEntry{(i * 7 + seed * 50) & 0xFF, (i * 3 + 40) & 0xFF,
                                             (255 - i + seed * 20) & 0xFF};
    }
    f->hasTransparency = 1;
    f->transparentIndex = 255;
    const std::shared_ptr<IndexBuffer> plane = f->indexPlane();
    uint32_t noise = 12345u + uint32_t(seed);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int v = ((x + y + seed * 100) / 5 + int((noise >> 16) & 7)) % 255;
            plane->set(x, y, uint8_t((x % 97 == 0 && y % 89 == 0) ? 255 : v));
        }
    }
    return f;
}

// Frame 1 and frame 2 of a renderer run, not linked into the document.
struct Inputs {
    SilentHost host;
    AnimationDocument doc{host, 2};
    FrameRecord* a = MakeInput(doc, 0);
    FrameRecord* b = MakeInput(doc, 1);
    ~Inputs() {
        DiscardChain(a);
        DiscardChain(b);
    }
};

// Times the named entry rendering kFrames frames with the values in `p` (the frame
// count, preview flag and kind are set here).
inline void RunRenderer(benchmark::State& state, bool effect, const char* name, EffectParams p) {
    Inputs inputs;
    const RegistryEntry* entry = FindEntry(effect, FindEntryByName(effect, name));
    p.frameCount = kFrames;
    p.preview = 1;
    p.isEffect = effect ? 1 : 0;
    for (auto _ : state) {
        FrameRecord* chain = entry->renderer(inputs.a, effect ? nullptr : inputs.b, kFrames, p);
        if (!chain) {
            state.SkipWithError("renderer returned none");
            break;
        }
        state.PauseTiming();
        for (FrameRecord* f = chain; f; f = f->next) f->SetPaletteValid(true);  // never reduced
        DiscardChain(chain);
        state.ResumeTiming();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(kFrames), benchmark::Counter::kIsIterationInvariantRate);
}

// Frames are destroyed between iterations. Without this, every iteration would map and
// fault in its ~15 MB of fresh planes again, which on a loaded virtual machine costs
// more than the rendering itself and says nothing about the renderers. Set
// VELMORA_BENCH_FRESH_PAGES to measure with fresh pages anyway.
inline int RunBenchmarks(int argc, char** argv) {
    if (!std::getenv("VELMORA_BENCH_FRESH_PAGES")) {
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace renderer_bench
