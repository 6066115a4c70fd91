// Responsiveness and memory of the editor on large animations (offscreen platform):
//  - opening a 500-frame 640x480 GIF: time until the first frame is painted, and the
//    longest stall of the event loop while the other frames compose in the background;
//  - playback of frames with delays 10 and 50: the measured intervals;
//  - a 1000-frame 1280x720 GIF played through once: resident memory.
// Usage: bench_editor_qt [--quick]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "gif/GifWriter.h"
#include "host/Host.h"
#include "shell/ImagePane.h"
#include "shell/MainWindow.h"
#include "shell/Playback.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Frames with a moving block over a gradient, as a screen recording might look.
QString MakeGif(const QString& dir, int frames, int w, int h, const std::vector<int>& delays) {
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
        for (int y = 0; y < h / 8; ++y) {
            for (int x = 0; x < w / 8; ++x) plane->set((x + i * 7) % w, (y + i * 3) % h, 255);
        }
        f->delay = uint32_t(delays[size_t(i) % delays.size()]);
        f->fileName = "bench.gif";
        if (last)
            last->next = f;
        else
            doc.firstFrame = f;
        last = f;
    }
    const QString path = dir + QStringLiteral("/bench-%1.gif").arg(frames);
    SaveAnimation(doc, path.toStdString());
    return path;
}

void OpeningLargeAnimation(const QString& dir, int frames) {
    const QString path = MakeGif(dir, frames, 640, 480, {10});
    MainWindow window;
    window.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    window.openFile(path);
    window.imagePane()->repaint();  // the first frame on screen
    const double firstPaint = clock.nsecsElapsed() / 1e6;

    // Let the compositions run while the event loop keeps ticking.
    QElapsedTimer tick;
    tick.start();
    qint64 worst = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        worst = std::max(worst, tick.nsecsElapsed());
        tick.restart();
    });
    timer.start(1);
    // The rest of the file comes in from the event loop, then the compositions finish.
    double allIn = -1;
    while (clock.elapsed() < 30000 &&
           (window.opening() || window.document().jobs().pendingCount() > 0)) {
        QApplication::processEvents();
        if (allIn < 0 && !window.opening()) allIn = clock.nsecsElapsed() / 1e6;
    }
    timer.stop();
    std::printf(
        "open %d frames 640x480: first paint %.1f ms, all frames in after %.0f ms, "
        "longest event-loop stall %.1f ms, compositions pending after %.0f s: %d\n",
        frames, firstPaint, allIn, worst / 1e6, clock.elapsed() / 1000.0,
        window.document().jobs().pendingCount());
    window.document().modified = false;
}

void PlaybackIntervals(const QString& dir) {
    const QString path = MakeGif(dir, 2, 320, 240, {10, 50});
    MainWindow window;
    window.show();
    window.openFile(path);
    QElapsedTimer clock;
    std::vector<double> intervals;
    QObject::connect(&window.playback(), &Playback::selectEntry, [&](TreeItem*) {
        if (clock.isValid()) intervals.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
    });
    window.playback().toggle();
    QElapsedTimer run;
    run.start();
    while (intervals.size() < 8 && run.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    window.playback().stop();
    std::printf("playback of delays 10/50:");
    for (double ms : intervals) std::printf(" %.0f", ms);
    std::printf(" ms\n");
}

void MemoryOfLongAnimation(const QString& dir, int frames) {
    const QString path = MakeGif(dir, frames, 1280, 720, {4});
    const long before = ResidentKiB();
    MainWindow window;
    window.show();
    window.openFile(path);
    window.finishOpening();
    AnimationDocument& doc = window.document();
    // Show every frame once, as playback would.
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) GetComposedBitmap(*f);
    doc.jobs().WaitIdle();
    const long after = ResidentKiB();
    std::printf(
        "%d frames 1280x720 loaded and every frame shown: resident %.0f MiB (%.0f MiB before), "
        "composed pictures held %.0f MiB\n",
        frames, after / 1024.0, before / 1024.0, doc.composedCache.bytesHeld() / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    QTemporaryDir dir;
    OpeningLargeAnimation(dir.path(), quick ? 50 : 500);
    PlaybackIntervals(dir.path());
    MemoryOfLongAnimation(dir.path(), quick ? 100 : 1000);
    return 0;
}
