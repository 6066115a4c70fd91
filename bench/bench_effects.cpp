// Effect renderers: 10 frames of 640 x 480 each, as computed before colour reduction
// (the preview path, which computes exactly what the final run does but leaves the
// frames unreduced).
#include <benchmark/benchmark.h>

#include <memory>

#include "RendererBenchInputs.h"

namespace {

using namespace renderer_bench;

void RunEntry(benchmark::State& state, bool effect, const char* name) {
    EffectParams p;
    p.value[0] = 20;
    p.value[1] = 128;
    p.option[0] = 1;
    p.option[1] = 1;
    p.colorIndex = 3;
    RunRenderer(state, effect, name, p);
}

}  // namespace

BENCHMARK_CAPTURE(RunEntry, BlurEffect, true, "Blur")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, BlurTransition, false, "Blur")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, EmbossEffect, true, "Emboss")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, EmbossTransition, false, "Emboss")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, FadeOut, true, "Fade Out")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Fade, false, "Fade")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Invert, true, "Invert")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, Overblend, false, "Overblend")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, ColorBlendingOut, true, "Color Blending Out")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RunEntry, ColorBlending, false, "Color Blending")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
