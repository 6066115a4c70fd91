// Stripe, block, frame, tilt, move and zoom renderers: 10 frames of 640 x 480 each, as
// computed before colour reduction (the preview path, which computes exactly what the
// final run does but leaves the frames unreduced).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <memory>

#include "RendererBenchInputs.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "effects/EffectRegistry.h"
#include "host/Host.h"

namespace {

using namespace renderer_bench;

void RunEntry(benchmark::State& state, bool effect, const char* name) {
    Inputs inputs;
    const int index = FindEntryByName(effect, name);
    const RegistryEntry* entry = FindEntry(effect, index);
    EffectParams p;
    p.frameCount = kFrames;
    p.preview = 1;
    p.value[0] = 20;
    p.value[1] = 128;  // with value 1: 20 x 128 random rectangles
    p.option[0] = 1;
    p.option[1] = 1;
    p.colorIndex = 3;
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

}  // namespace

BENCHMARK_CAPTURE(RunEntry, BlindEffect, true, "Blind")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, BlindTransition, false, "Blind")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Checkers, true, "Checkers")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, FringeEffect, true, "Fringe")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, FringeTransition, false, "Fringe")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Weave, true, "Weave")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, PixelizeEffect, true, "Pixelize")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, PixelizeTransition, false, "Pixelize")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, RandomRects, false, "Random Rects")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, FrameOut, true, "Frame Out")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, FrameOut1Image, false, "Frame Out 1. Image")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, FrameIn2Image, false, "Frame In 2. Image")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, TiltInEffect, true, "Tilt In")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, TiltInTransition, false, "Tilt In")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Move, true, "Move")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Move1Image, false, "Move 1. Image")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Move2Image, false, "Move 2. Image")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, MoveBothImages, false, "Move both Images")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, ZoomIn, false, "Zoom In")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, ZoomOutEffect, true, "Zoom Out")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, ZoomOutTransition, false, "Zoom Out")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Frames are destroyed between iterations. Without this, every iteration would map and
// fault in its ~15 MB of fresh planes again, which on a loaded virtual machine costs
// more than the rendering itself and says nothing about the renderers. Set
// VELMORA_BENCH_FRESH_PAGES to measure with fresh pages anyway.
int main(int argc, char** argv) {
    if (!std::getenv("VELMORA_BENCH_FRESH_PAGES")) {
        mallopt(M_MMAP_THRESHOLD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
