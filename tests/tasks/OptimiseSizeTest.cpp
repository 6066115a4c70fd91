// Optimising what users optimise (screen recordings, clips, a pan, transparency): at every
// level and lossy coding the pictures change only as allowed, every moment shows what it
// showed, and the files are smaller. Repeated frames are removed keeping their time.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

using ts::PrintTo;

// Text typed into a terminal-like window, the cursor blinking when the typing stops
// (so that some frames repeat the one before).
std::string TypingGif(const ts::TempFolder& f) {
    const std::string text = "$ ls -la", gif = f.file("typing.gif");
    std::string frames;
    for (size_t k = 0; k <= text.size() + 4; ++k) {
        const std::string typed = text.substr(0, std::min(k, text.size()));
        const int cx = 4 + 7 * int(typed.size());
        const std::string cursor =
            "-draw 'rectangle " + std::to_string(cx) + ",4 " + std::to_string(cx + 6) + ",16' ";
        const std::string png = f.file("type" + std::to_string(100 + k) + ".png");
        ts::ToolSucceeds(
            "convert -size 150x48 xc:'#101418' -font DejaVu-Sans-Mono -fill "
            "'#c8d0c0' -pointsize 11 -annotate +4+14 " +
            ts::ShellQuote(typed.empty() ? " " : typed) + " " +
            (k <= text.size() || k % 2 == 0 ? cursor : "") + ts::ShellQuote(png));
        frames += " " + ts::ShellQuote(png);
    }
    ts::ToolSucceeds("convert -delay 8 -loop 0" + frames + " " + ts::ShellQuote(gif));
    return gif;
}

// A shape moving over a canvas cleared to the background each frame: a ball over
// transparency, or a box over black, the background colour every frame also draws.
std::string MovingShapeGif(const ts::TempFolder& f, bool transparent) {
    std::string frames;
    for (int k = 0; k < 6; ++k) {
        const std::string x = std::to_string(10 + 8 * k);
        frames += transparent ? " \\( -size 72x40 xc:none -fill '#d04020' -draw 'circle " + x +
                                    ",20 " + std::to_string(17 + 8 * k) + ",20' \\)"
                              : " \\( -size 80x60 xc:black -fill '#d04020' -draw 'rectangle " + x +
                                    ",20 " + std::to_string(20 + 8 * k) + ",30' \\)";
    }
    const std::string gif = f.file(transparent ? "ball.gif" : "cleared.gif");
    ts::ToolSucceeds(std::string("convert ") + (transparent ? "" : "-background black ") +
                     "-delay 6 -dispose Background" + frames + " -loop 0 " + ts::ShellQuote(gif));
    return gif;
}
using Make = std::function<std::string(const ts::TempFolder&)>;
struct Input {
    const char* label;
    Make make;
    // Pinned bytes: the input's fingerprint and that of every output in turn (0: not pinned).
    // A change to either needs its pictures checked by the test before it is renewed.
    uint64_t input = 0, outputs = 0;
};

constexpr uint64_t kNoBytes = 0xcbf29ce484222325;
uint64_t Fingerprint(const std::vector<uint8_t>& bytes, uint64_t hash = kNoBytes) {
    for (const uint8_t c : bytes) hash = (hash ^ c) * 0x100000001b3;  // FNV-1a
    return hash;
}

// FFmpeg's testsrc2 clip, every frame whole, each then disposed as `dispose` says.
std::string DisposedClipGif(const ts::TempFolder& f, const std::string& dispose) {
    const std::string clip = ts::MakeVideoGif(f, "clip.gif", "testsrc2", 96, 64, 8, true);
    const std::string gif = f.file("disposed-" + dispose + ".gif");
    ts::ToolSucceeds("convert " + ts::ShellQuote(clip) + " -coalesce -set dispose " + dispose +
                     " -loop 0 " + ts::ShellQuote(gif));
    return gif;
}
std::string MandelbrotGif(const ts::TempFolder& f) {
    return ts::MakeVideoGif(f, "m.gif", "mandelbrot", 80, 60, 6);
}

const Input kInputs[] = {
    {"typed text", TypingGif, 0xe8181159f4cdf7b7, 0xd70de295ff3b0f62},
    {"testsrc2", [](auto& f) { return ts::MakeVideoGif(f, "t.gif", "testsrc2", 96, 64, 8); },
     0xca199750f25f9f25, 0x833ff6577900698d},
    {"testsrc2 whole frames",
     [](auto& f) { return ts::MakeVideoGif(f, "w.gif", "testsrc2", 96, 64, 8, true); }},
    {"mandelbrot", MandelbrotGif},
    {"pan over the rose", [](auto& f) { return ts::MakeVideoGif(f, "p.gif", "pan", 70, 46, 8); },
     0xe9cad107e2a0708c, 0x10bb7daa51b56519},
    {"transparency", [](auto& f) { return MovingShapeGif(f, true); }, 0x4a497d070502079b,
     0xc28829401a7912c5},
    {"opaque frames cleared to a colour they draw",
     [](auto& f) { return MovingShapeGif(f, false); }},
    {"testsrc2 restoring the background", [](auto& f) { return DisposedClipGif(f, "Background"); }},
    {"testsrc2 restoring the previous picture",
     [](auto& f) { return DisposedClipGif(f, "Previous"); }},
};

using Timeline = ts::PeerTimeline;
Timeline TimelineOf(const std::string& gif) {
    const auto t = ts::PeerTimelineOf(gif);
    EXPECT_TRUE(t) << gif;
    return t ? *t : Timeline{};
}

// Pixels whose colour moved by more than `limit` on some channel.
int PixelsBeyond(const ts::ComposedPicture& a, const ts::ComposedPicture& b, int limit) {
    if (a.pixels.size() != b.pixels.size()) return int(std::max(a.pixels.size(), b.pixels.size()));
    int n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if ((a.pixels[i] >> 24) == 0 && (b.pixels[i] >> 24) == 0) continue;
        for (int shift = 0; shift < 32; shift += 8) {
            if (std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF)) >
                limit) {
                ++n;
                break;
            }
        }
    }
    return n;
}

class OptimiseForSize : public testing::TestWithParam<Input> {};

TEST_P(OptimiseForSize, EveryLevelAndLossyCodingKeepWhatTheyMayAndEveryMoment) {
    const ts::TempFolder folder;
    const std::string in = GetParam().make(folder);
    const Timeline source = TimelineOf(in);
    ASSERT_FALSE(source.pictures.empty());
    uint64_t outputs = kNoBytes;
    for (int level = 1; level <= 5; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::string out = folder.file("level" + std::to_string(level) + ".gif");
        ASSERT_TRUE(
            ts::CliSucceeds({"optimize", in, "-o", out, "--quality", std::to_string(level)}));
        const Timeline result = TimelineOf(out);
        ASSERT_FALSE(result.pictures.empty());
        EXPECT_EQ(result.length, source.length);
        EXPECT_LE(result.pictures.size(), source.pictures.size());
        // The quality mask clears the low 2 bits of each channel at level 1, then 3, 4, 5, 6.
        const int allowed = (1 << (level + 1)) - 1;
        for (size_t i = 0; i < source.pictures.size(); ++i) {
            const ts::ComposedPicture& shown = result.at(source.starts[i]);
            // Isolated pixels may be left as they were from level 2 on.
            EXPECT_LE(level == 1 ? ts::MaxChannelDifference(source.pictures[i], shown) - allowed
                                 : PixelsBeyond(source.pictures[i], shown, allowed) -
                                       int(shown.pixels.size() / 100),
                      0)
                << "frame " << i;
        }
        // A few bytes of table may be added to a file already as small as it gets.
        EXPECT_LE(ts::ReadBytes(out).size(), ts::ReadBytes(in).size() + 16);
        outputs = Fingerprint(ts::ReadBytes(out), outputs);
    }
    // Lossy coding: smaller as the allowed error grows, and within it.
    size_t lossless = 0;
    for (const int lossy : {0, 40, 120}) {
        SCOPED_TRACE("lossy " + std::to_string(lossy));
        const std::string out = folder.file("lossy" + std::to_string(lossy) + ".gif");
        ASSERT_TRUE(ts::CliSucceeds(
            {"optimize", in, "-o", out, "--quality", "1", "--lossy", std::to_string(lossy)}));
        const Timeline result = TimelineOf(out);
        ASSERT_FALSE(result.pictures.empty());
        for (size_t i = 0; i < source.pictures.size(); ++i) {
            const ts::ComposedPicture& shown = result.at(source.starts[i]);
            // Every pixel within the allowed error (and the mask's 3), the error carried
            // from the neighbours keeping the mean low.
            EXPECT_LE(ts::MaxChannelDifference(source.pictures[i], shown), 3 + 2 * (lossy / 4))
                << "frame " << i;
            EXPECT_LE(ts::MeanChannelDifference(source.pictures[i], shown), 1 + lossy / 16.0)
                << "frame " << i;
        }
        const size_t size = ts::ReadBytes(out).size();
        EXPECT_LE(size, lossless ? lossless : size);
        outputs = Fingerprint(ts::ReadBytes(out), outputs);
        if (lossy == 0) lossless = size;
    }
    // Converting with --lossy 0 writes what converting without it writes.
    const std::string plain = folder.file("plain.gif"), zero = folder.file("zero.gif");
    ASSERT_TRUE(ts::CliSucceeds({"convert", in, "-o", plain}));
    ASSERT_TRUE(ts::CliSucceeds({"convert", in, "-o", zero, "--lossy", "0"}));
    EXPECT_EQ(ts::ReadBytes(plain), ts::ReadBytes(zero));
    const uint64_t input = Fingerprint(ts::ReadBytes(in));
    if (GetParam().input == input) {
        EXPECT_EQ(outputs, GetParam().outputs) << std::hex << "0x" << outputs;
    } else if (GetParam().input != 0) {
        std::cout << "not pinned: the peer tools made another input, 0x" << std::hex << input
                  << "; outputs 0x" << outputs << "\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, OptimiseForSize, testing::ValuesIn(kInputs), ts::ByLabel());

struct DedupeCase {
    const char* label;
    Make make;
    double threshold;
};

class RemoveDuplicateFrames : public testing::TestWithParam<DedupeCase> {};

TEST_P(RemoveDuplicateFrames, KeepsEachPictureThatDiffersAndTheTime) {
    const ts::TempFolder folder;
    const std::string in = GetParam().make(folder), out = folder.file("out.gif");
    const double threshold = GetParam().threshold;
    const Timeline source = TimelineOf(in);
    ASSERT_FALSE(source.pictures.empty());
    // The frames a viewer would call repeats of the last one kept.
    std::vector<size_t> kept = {0};
    for (size_t i = 1; i < source.pictures.size(); ++i) {
        if (ts::MeanChannelDifference(source.pictures[i], source.pictures[kept.back()]) > threshold)
            kept.push_back(i);
    }
    std::string args = "dedupe " + ts::ShellQuote(in) + " -o " + ts::ShellQuote(out);
    if (threshold > 0) args += " --threshold " + std::to_string(threshold);
    const ts::ToolResult r = ts::RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const size_t removed = source.pictures.size() - kept.size();
    EXPECT_EQ(r.out, std::to_string(removed) + " frame" + (removed == 1 ? "" : "s") + " removed\n");
    const Timeline result = TimelineOf(out);
    ASSERT_EQ(result.pictures.size(), kept.size());
    EXPECT_EQ(result.length, source.length);
    for (size_t k = 0; k < kept.size(); ++k) {
        EXPECT_EQ(result.starts[k], source.starts[kept[k]]) << "frame " << kept[k];
        EXPECT_EQ(ts::MaxChannelDifference(result.pictures[k], source.pictures[kept[k]]), 0)
            << "frame " << kept[k];
    }
}

const DedupeCase kDedupeCases[] = {
    {"typed text, identical frames", TypingGif, 0},
    {"typed text, threshold 1.5", TypingGif, 1.5},
    {"typed text, threshold 255", TypingGif, 255},
    {"mandelbrot", MandelbrotGif, 0},
};
INSTANTIATE_TEST_SUITE_P(Inputs, RemoveDuplicateFrames, testing::ValuesIn(kDedupeCases),
                         ts::ByLabel());

}  // namespace
