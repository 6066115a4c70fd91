// Colour reduction speed: one photo-like 640x480 frame on one core, and a 100-frame
// animation on one and on two workers. With --reduce-png FILE... it instead reads PNG
// files and reduces them on the worker pool, as a whole process to compare with
// ImageMagick (bench/compare_imagemagick.sh).
#include <benchmark/benchmark.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "colour/ColourReduction.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "host/Host.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

// A photo-like source twice the frame size: ImageMagick's fractal plasma, softened and
// with sensor-like noise (smooth areas and many distinct colours). Frames are windows
// of it. Falls back to a computed picture when `convert` is not at hand.
const std::vector<uint32_t>& Source() {
    static const std::vector<uint32_t> pixels = [] {
        const int w = kWidth * 2, h = kHeight * 2;
        std::vector<uint32_t> out(size_t(w) * size_t(h));
        const std::string path = "/tmp/velmora_bench_plasma.rgb";
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            const std::string command =
                "convert -size 1280x960 -seed 7 plasma:fractal -blur 0x2 "
                "-attenuate 0.4 +noise Gaussian -depth 8 rgb:" +
                path;
            if (std::system(command.c_str()) == 0) f = std::fopen(path.c_str(), "rb");
        }
        std::vector<uint8_t> bytes(out.size() * 3);
        if (f && std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size()) {
            for (size_t i = 0; i < out.size(); ++i) {
                out[i] = uint32_t(bytes[i * 3]) << 16 | uint32_t(bytes[i * 3 + 1]) << 8 |
                         bytes[i * 3 + 2];
            }
        } else {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const uint32_t noise = (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) >> 28;
                    out[size_t(y) * size_t(w) + size_t(x)] =
                        uint32_t((x * 255 / w + noise) & 0xFF) << 16 |
                        uint32_t((y * 255 / h + noise) & 0xFF) << 8 |
                        uint32_t(((x + y) / 10 + noise) & 0xFF);
                }
            }
        }
        if (f) std::fclose(f);
        return out;
    }();
    return pixels;
}

// Frame `i` of the animation: a window that drifts across the source.
void FillFrame(TrueColourBuffer& plane, int i) {
    const std::vector<uint32_t>& source = Source();
    const int ox = (i * 7) % kWidth, oy = (i * 5) % kHeight;
    for (int y = 0; y < kHeight; ++y) {
        const uint32_t* in = source.data() + size_t(y + oy) * size_t(kWidth * 2) + size_t(ox);
        std::copy(in, in + kWidth, plane.row(y));
    }
}

FrameRecord* AppendFrame(AnimationDocument& doc, int w, int h) {
    FrameRecord* last = doc.lastFrame();
    FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, last, nullptr));
    f->CreateIndexBuffer(w, h);
    f->CreateTrueColourBuffer();
    if (last) {
        last->next = f;
    } else {
        doc.firstFrame = f;
    }
    return f;
}

void BM_ReduceOneFrame(benchmark::State& state) {
    SilentHost host;
    AnimationDocument doc(host, 1);
    FrameRecord* f = AppendFrame(doc, kWidth, kHeight);
    FillFrame(*f->trueColourPlane(), 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReduceFrame(*f));
    }
    state.counters["Mpx/s"] = benchmark::Counter(
        double(kWidth) * kHeight * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReduceOneFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The popularity count alone (the first half of a reduction).
void BM_CountPalette(benchmark::State& state) {
    auto plane = TrueColourBuffer::Create(kWidth, kHeight);
    FillFrame(*plane, 0);
    const std::array<uint32_t, 5> reserved{kNoReservedColour, kNoReservedColour, kNoReservedColour,
                                           kNoReservedColour, kNoReservedColour};
    for (auto _ : state) benchmark::DoNotOptimize(CountPalette(*plane, reserved, nullptr));
}
BENCHMARK(BM_CountPalette)->Unit(benchmark::kMillisecond);

// 100 frames reduced by the document's frame jobs on `workers` threads.
void BM_ReduceAnimation(benchmark::State& state) {
    SilentHost host;
    AnimationDocument doc(host, int(state.range(0)));
    doc.busy = true;  // measure the reductions, not the compositions they would start
    for (int i = 0; i < 100; ++i)
        FillFrame(*AppendFrame(doc, kWidth, kHeight)->trueColourPlane(), i);
    for (auto _ : state) {
        StartReduction(doc.firstFrame, 100);
        doc.jobs().WaitIdle();
    }
    state.counters["frames/s"] =
        benchmark::Counter(100.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    doc.busy = false;
}
BENCHMARK(BM_ReduceAnimation)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

bool ReadPng(const char* path, std::vector<uint32_t>& pixels, int& w, int& h) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_BGRA;  // little-endian words 0xAARRGGBB
    w = int(image.width);
    h = int(image.height);
    pixels.assign(size_t(w) * size_t(h), 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
    for (uint32_t& p : pixels) p &= kRgbMask;
    return true;
}

int ReducePngFiles(int count, char** paths) {
    const auto start = std::chrono::steady_clock::now();
    SilentHost host;
    AnimationDocument doc(host, 0);
    doc.busy = true;
    std::vector<uint32_t> pixels;
    for (int i = 0; i < count; ++i) {
        int w = 0, h = 0;
        if (!ReadPng(paths[i], pixels, w, h)) {
            std::fprintf(stderr, "cannot read %s\n", paths[i]);
            return 1;
        }
        FrameRecord* f = AppendFrame(doc, w, h);
        std::copy(pixels.begin(), pixels.end(), f->trueColourPlane()->data());
        StartReduction(*f);
    }
    doc.jobs().WaitIdle();
    int reduced = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) reduced += f->IsPaletteValid() ? 1 : 0;
    doc.busy = false;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("velmora: %d of %d frames reduced in %.3f s (%d workers)\n", reduced, count,
                seconds, doc.jobs().workerCount());
    return reduced == count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--reduce-png") == 0)
        return ReducePngFiles(argc - 2, argv + 2);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
