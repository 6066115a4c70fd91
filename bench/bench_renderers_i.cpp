// Stripe, block, frame, tilt, move and zoom renderers: 10 frames of 640 x 480 each, as
// computed before colour reduction (the preview path, which computes exactly what the
// final run does but leaves the frames unreduced).
#include <benchmark/benchmark.h>

#include <memory>

#include "RendererBenchInputs.h"

namespace {

using namespace renderer_bench;

void RunEntry(benchmark::State& state, bool effect, const char* name) {
    EffectParams p;
    p.value[0] = 20;
    p.value[1] = 128;  // with value 1: 20 x 128 random rectangles
    p.option[0] = 1;
    p.option[1] = 1;
    p.colorIndex = 3;
    RunRenderer(state, effect, name, p);
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
int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
