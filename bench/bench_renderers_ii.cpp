// Sphere, spiral, rotor, spot, shine, wave, flag, page, satellite and radar renderers:
// 10 frames of 640 x 480 each, as computed before colour reduction (the preview path,
// which computes what the final run does but leaves the frames unreduced).
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "RendererBenchInputs.h"

namespace {

using namespace renderer_bench;

// The dialog's defaults for each entry.
using Setup = std::function<void(EffectParams&)>;

void RunEntry(benchmark::State& state, bool effect, const char* name, const Setup& setup) {
    EffectParams p;
    p.colorIndex = 3;
    setup(p);
    RunRenderer(state, effect, name, p);
}

void Sphere(EffectParams& p) {
    p.value[0] = 90;
}
void Spot(EffectParams& p) {
    p.value[0] = 20;
}
void Nothing(EffectParams&) {}
void Wave(EffectParams& p) {
    p.value[0] = 3;
    p.option[0] = p.option[1] = p.option[2] = 1;
}
void Flag(EffectParams& p) {
    p.value[0] = 4;
    p.value[1] = 5;
}
void Page(EffectParams& p) {
    p.value[0] = 70;
    p.value[1] = -50;
    p.value[2] = 20;
}
void Satellite(EffectParams& p) {
    p.value[0] = 50;
    p.value[1] = 60;
    p.value[2] = 0;
    p.value[3] = 10;
    p.value[4] = 20;
    p.option[0] = p.option[2] = 1;
}

#define VELMORA_BENCH(id, effect, name, setup)                  \
    BENCHMARK_CAPTURE(RunEntry, id, effect, name, Setup(setup)) \
        ->Unit(benchmark::kMillisecond)                         \
        ->UseRealTime()

}  // namespace

VELMORA_BENCH(RollSphereEffect, true, "Roll Sphere", Sphere);
VELMORA_BENCH(RollSphereTransition, false, "Roll Sphere", Sphere);
VELMORA_BENCH(SpiralEffect, true, "Spiral", Nothing);
VELMORA_BENCH(SpiralTransition, false, "Spiral", Nothing);
VELMORA_BENCH(RotorEffect, true, "Rotor", Nothing);
VELMORA_BENCH(RotorTransition, false, "Rotor", Nothing);
VELMORA_BENCH(SpotEffect, true, "Spot", Spot);
VELMORA_BENCH(SpotTransition, false, "Spot", Spot);
VELMORA_BENCH(RandomShineEffect, true, "Random Shine through", Nothing);
VELMORA_BENCH(RandomShineTransition, false, "Random Shine through", Nothing);
VELMORA_BENCH(WaveOut, true, "Wave Out", Wave);
VELMORA_BENCH(WaveTransition, false, "Wave", Wave);
VELMORA_BENCH(Flag, true, "Flag", Flag);
VELMORA_BENCH(PageEffect, true, "Page", Page);
VELMORA_BENCH(PageTransition, false, "Page", Page);
VELMORA_BENCH(SatelliteTransition, false, "Roll Sphere with Satellite", Satellite);
VELMORA_BENCH(RadarEffect, true, "Radar", Nothing);
VELMORA_BENCH(RadarTransition, false, "Radar", Nothing);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
