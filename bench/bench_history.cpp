// The undo history: taking back and making again the deletion of 500 frames of 640x480
// (target: each under 50 ms), and the memory Optimize and its undo step hold for a long
// 1280x720 animation (target: the editor under 2 GiB).
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

#include "colour/Optimise.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/DocumentEdit.h"
#include "host/Host.h"

namespace {

// Frames of a slowly moving gradient: consecutive frames differ in a band, as in a clip.
void BuildAnimation(AnimationDocument& doc, int frames, int w, int h) {
    doc.screenWidth = w;
    doc.screenHeight = h;
    FrameRecord* last = nullptr;
    for (int i = 0; i < frames; ++i) {
        FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, last, nullptr));
        f->CreateIndexBuffer(w, h);
        IndexBuffer& plane = *f->indexPlane();
        for (int y = 0; y < h; ++y) {
            uint8_t* row = plane.row(y);
            for (int x = 0; x < w; ++x) row[x] = uint8_t((x + y + (y > i % h ? i : 0)) / 8);
        }
        for (int c = 0; c < 256; ++c)
            f->palette[size_t(c)] = PaletteEntry::FromRgb(0x010101u * uint32_t(c));
        f->delay = 4;
        if (last)
            last->next = f;
        else
            doc.firstFrame = f;
        last = f;
        doc.tree.Append(doc.tree.root(), "Gif :bench");
        ++doc.frameCount;
    }
}

// Resident memory of this process in MiB (Linux).
double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_UndoRedoDeleting500Frames(benchmark::State& state) {
    SilentHost host;
    AnimationDocument doc(host, 2);
    BuildAnimation(doc, 600, 640, 480);
    {
        DocumentEdit edit(doc, "Delete Frame");
        for (int k = 0; k < 500; ++k) {
            doc.selectedItem = FrameTree::NextFrameEntry(doc.tree.root());
            doc.selectedFrame = doc.firstFrame;
            DeleteSelectedItem(doc, false);
        }
    }
    double undo = 0, redo = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        doc.history.undo(doc);
        const auto t1 = std::chrono::steady_clock::now();
        doc.history.redo(doc);
        const auto t2 = std::chrono::steady_clock::now();
        undo += Milliseconds(t1 - t0);
        redo += Milliseconds(t2 - t1);
    }
    state.counters["undo_ms"] = undo / double(state.iterations());
    state.counters["redo_ms"] = redo / double(state.iterations());
    state.counters["frames_after"] = double(doc.countFrames());
}
BENCHMARK(BM_UndoRedoDeleting500Frames)->Unit(benchmark::kMillisecond)->Iterations(10);

class QuietProgress : public OptimiseProgress {
  public:
    void SetLabel(const std::string&) override {}
    void SetPosition(int) override {}
    void ProcessEvents() override {}
    bool Aborted() const override { return false; }
};

// Optimize on the whole animation as one undo step, then undone and redone: the memory of
// the document, of the step, and of the process at each point.
void BM_OptimizeUndoRedoMemory(benchmark::State& state) {
    const int frames = int(state.range(0));
    for (auto _ : state) {
        SilentHost host;
        AnimationDocument doc(host, 2);
        BuildAnimation(doc, frames, 1280, 720);
        const double loaded = ResidentMiB();
        QuietProgress progress;
        {
            DocumentEdit edit(doc, "Optimize");
            Optimise(doc, progress);
            doc.MarkChanged();
        }
        const double optimised = ResidentMiB();
        doc.history.undo(doc);
        doc.history.redo(doc);
        state.counters["loaded_MiB"] = loaded;
        state.counters["optimised_with_step_MiB"] = optimised;
        state.counters["after_undo_redo_MiB"] = ResidentMiB();
        state.counters["step_MiB"] = double(doc.history.bytes()) / (1 << 20);
    }
}
BENCHMARK(BM_OptimizeUndoRedoMemory)->Arg(1000)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
