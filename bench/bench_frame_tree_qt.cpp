// The frame tree of a 1000-frame animation scrolled page by page on the offscreen
// platform, thumbnails being made meanwhile: the longest stall of one scroll step (the
// view scrolled, painted and the pending events handled) is the counter to watch; a
// step must stay well under 100 ms.
// Usage: bench_frame_tree_qt [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>

#include "document/AnimationDocument.h"
#include "gif/GifWriter.h"
#include "host/Host.h"
#include "shell/MainWindow.h"

namespace {

// 320x240 frames of a gradient with a block moving over it, written by our writer.
QString MakeGif(const QString& dir, int frames) {
    const int w = 320, h = 240;
    SilentHost host;
    AnimationDocument doc(host, 1);
    doc.screenWidth = w;
    doc.screenHeight = h;
    FrameRecord* last = nullptr;
    for (int i = 0; i < frames; ++i) {
        FrameRecord* f = AnimationDocument::Adopt(FrameRecord::Construct(doc, last, nullptr));
        f->CreateIndexBuffer(w, h);
        for (int c = 0; c < 256; ++c)
            f->palette[size_t(c)] = PaletteEntry{c, (c * 3 + i) & 255, 255 - c};
        auto plane = f->indexPlane();
        for (int y = 0; y < h; ++y) {
            uint8_t* row = plane->row(y);
            for (int x = 0; x < w; ++x) row[x] = uint8_t((x + y) * 255 / (w + h));
        }
        for (int y = 0; y < h / 6; ++y)
            for (int x = 0; x < w / 6; ++x) plane->set((x + i * 7) % w, (y + i * 3) % h, 255);
        f->delay = 4;
        f->fileName = "bench.gif";
        if (last)
            last->next = f;
        else
            doc.firstFrame = f;
        last = f;
    }
    const QString path = dir + QStringLiteral("/tree-%1.gif").arg(frames);
    SaveAnimation(doc, path.toStdString());
    return path;
}

void ScrollFrameTree(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = MakeGif(dir.path(), int(state.range(0)));
    MainWindow window;
    window.resize(900, 700);
    window.show();
    window.openFile(path);
    window.finishOpening();
    QApplication::processEvents();
    QTreeView* tree = window.treeView();
    QScrollBar* bar = tree->verticalScrollBar();

    double longest = 0, total = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        bar->setValue(bar->minimum());
        QApplication::processEvents();
        while (bar->value() < bar->maximum()) {
            QElapsedTimer clock;
            clock.start();
            bar->setValue(std::min(bar->maximum(), bar->value() + bar->pageStep()));
            tree->viewport()->repaint();
            QApplication::processEvents();
            const double ms = clock.nsecsElapsed() / 1e6;
            longest = std::max(longest, ms);
            total += ms;
            ++steps;
        }
    }
    state.counters["longest_step_ms"] = longest;
    state.counters["mean_step_ms"] = steps ? total / double(steps) : 0;
    state.counters["steps"] = double(steps);
    window.document().history.markSaved();  // closes without asking
}
BENCHMARK(ScrollFrameTree)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
