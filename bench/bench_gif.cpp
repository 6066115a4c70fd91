// The GIF codec against giflib on the same animation: 120 frames of 640 x 480 with
// smooth areas, edges and a little noise, the kind of frames an effect produces.
//   BM_Decode*: read every image; BM_Encode*: write them all again (to a file).
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "document/AnimationDocument.h"
#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "host/Host.h"
#include "import/LoadGif.h"

namespace {

constexpr int kW = 640, kH = 480, kFrames = 120;

std::string Dir() {
    const auto d = std::filesystem::temp_directory_path() / "velmora-bench-gif";
    std::filesystem::create_directories(d);
    return d.string();
}

// Writes the test animation once with our writer.
const std::string& Animation() {
    static const std::string path = [] {
        const std::string p = Dir() + "/anim.gif";
        SilentHost host;
        AnimationDocument doc(host, 1);
        doc.screenWidth = kW;
        doc.screenHeight = kH;
        std::mt19937 rng(5);
        FrameRecord* last = nullptr;
        for (int n = 0; n < kFrames; ++n) {
            FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, last, nullptr));
            f->CreateIndexBuffer(kW, kH);
            for (int i = 0; i < 256; ++i)
                f->palette[size_t(i)] =
                    PaletteEntry::FromRgb(uint32_t(i * 0x010305 + n) & 0xFFFFFF);
            auto plane = f->indexPlane();
            for (int y = 0; y < kH; ++y) {
                uint8_t* row = plane->row(y);
                for (int x = 0; x < kW; ++x) {
                    double v = 64 * std::sin((x + 4 * n) * 0.02) +
                               64 * std::cos((y - 3 * n) * 0.03) + ((x / 40 + y / 30 + n) % 5) * 10;
                    if (rng() % 16 == 0) v += rng() % 8;
                    row[x] = uint8_t(int(v + 128) & 0xFF);
                }
            }
            f->delay = 4;
            if (last)
                last->next = f;
            else
                doc.firstFrame = f;
            last = f;
        }
        if (SaveAnimation(doc, p) != 0) std::abort();
        return p;
    }();
    return path;
}

void BM_DecodeVelmora(benchmark::State& state) {
    const std::string& path = Animation();
    SilentHost host;
    AnimationDocument doc(host, 1);
    for (auto _ : state) {
        FrameRecord* first =
            AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
        GifFileInfo info;
        if (ReadGif(*first, path, info) != kGifOk) state.SkipWithError("read failed");
        DiscardFramesAfter(*first, nullptr);
        delete first;
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH * kFrames);
}
BENCHMARK(BM_DecodeVelmora)->Unit(benchmark::kMillisecond);

void BM_DecodeGiflib(benchmark::State& state) {
    const std::string& path = Animation();
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib failed");
        DGifCloseFile(gif, &error);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH * kFrames);
}
BENCHMARK(BM_DecodeGiflib)->Unit(benchmark::kMillisecond);

void BM_EncodeVelmora(benchmark::State& state) {
    SilentHost host;
    AnimationDocument doc(host, 1);
    doc.busy = true;
    if (LoadGifIntoDocument(doc, Animation()) != 0) state.SkipWithError("load failed");
    const std::string out = Dir() + "/velmora-out.gif";
    for (auto _ : state) {
        if (SaveAnimation(doc, out) != 0) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH * kFrames);
}
BENCHMARK(BM_EncodeVelmora)->Unit(benchmark::kMillisecond);

void BM_EncodeGiflib(benchmark::State& state) {
    int error = 0;
    GifFileType* in = DGifOpenFileName(Animation().c_str(), &error);
    DGifSlurp(in);
    const std::string out = Dir() + "/giflib-out.gif";
    for (auto _ : state) {
        GifFileType* gif = EGifOpenFileName(out.c_str(), false, &error);
        gif->SWidth = in->SWidth;
        gif->SHeight = in->SHeight;
        gif->SColorResolution = in->SColorResolution;
        gif->SBackGroundColor = in->SBackGroundColor;
        for (int i = 0; i < in->ImageCount; ++i) GifMakeSavedImage(gif, &in->SavedImages[i]);
        if (EGifSpew(gif) != GIF_OK) state.SkipWithError("giflib failed");
    }
    DGifCloseFile(in, &error);
    state.SetItemsProcessed(state.iterations() * int64_t(kW) * kH * kFrames);
}
BENCHMARK(BM_EncodeGiflib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
