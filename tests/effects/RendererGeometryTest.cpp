// Where each renderer puts which pixel: hand-worked pixels and counts on pictures whose
// colours tell where they came from, one row per run.
#include <gtest/gtest.h>

#include <array>

#include "EffectTestSupport.h"
#include "effects/renderers/Renderers.h"

using namespace effects_test;

namespace {

using Renderer = FrameRecord* (*)(FrameRecord*, FrameRecord*, int, const EffectParams&);
using Pattern = int (*)(int x, int y);
using Ramp = uint32_t (*)(int c);

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kGrey = 0x808080;

// A picture: index(x, y) into the listed colours, or into 256 of a ramp.
struct Picture {
    int w = 0, h = 0;
    std::array<uint32_t, 4> colours{};
    Pattern index = nullptr;
    int transparent = -1;
    Ramp ramp = nullptr;
};
constexpr Pattern One = [](int, int) { return 1; };
constexpr Pattern Zero = [](int, int) { return 0; };
constexpr Pattern Column = [](int x, int) { return x + 1; };
constexpr Pattern Row = [](int, int y) { return y + 1; };
constexpr Pattern Tens = [](int x, int) { return x / 10 + 1; };
constexpr Ramp Grey1 = [](int c) { return 0x010101u * uint32_t(c); };
constexpr Ramp Grey10 = [](int c) { return 0x0A0A0Au * uint32_t(c) & kRgbMask; };
constexpr Ramp Grey16 = [](int c) { return 0x101010u * uint32_t(c) & kRgbMask; };
constexpr Ramp Mixed = [](int c) { return 0x010203u * uint32_t(c); };
constexpr Ramp Reds = [](int c) { return (0x100000u * uint32_t(c) & kRgbMask) + 0x11u; };
// Index 1 in `colour`; 0 black, 2 blue, 3 green for the selected colour.
Picture Plain(int w, int h, uint32_t colour) {
    return {w, h, {0x000000, colour, kBlue, kGreen}, One};
}
// Blue = x, green = y: every pixel of a 40 x 6 picture tells where it came from.
const Picture kCoordinates{
    40, 6,
    {}, [](int x, int y) { return x + 40 * y; },
    -1, [](int c) { return 0x100000u | uint32_t(c / 40) << 8 | uint32_t(c % 40); }};
// 4 x 3: left half dark red, right half light grey, (0, 0) index 2 (hidden when asked).
Picture FadeImage(int transparent) {
    const Pattern corner = [](int x, int y) { return x == 0 && y == 0 ? 2 : (x < 2 ? 0 : 1); };
    return {4, 3, {0x400000, 0xC0C0C0, kGreen, 0x000080}, corner, transparent};
}
// Column x of the satellite's picture: entry x + 1 of a ramp of reds over blue 0x80.
constexpr Ramp Satellite = [](int c) { return (0x010000u * uint32_t(c) & kRgbMask) + 0x80u; };
constexpr Ramp Col = [](int x) { return Satellite(x + 1); };

struct Probe {
    int frame, x, y;
    uint32_t shown;  // true colour as stored, or the palette colour with the hidden marker
};
struct Tally {
    int frame;
    uint32_t rgb;
    int pixels;
};
struct Geometry {
    const char* label;
    Renderer render;
    Picture one, two;  // two.w == 0: an effect
    EffectParams block;
    size_t frames;  // 0: none made
    std::vector<Probe> probes;
    std::vector<Tally> counts;
};

EffectParams Ring(int n, int radius, int width, int height, int flat) {
    return {.frameCount = n, .value = {radius, 0, 0, width, height}, .option = {0, 0, 1, flat}};
}
constexpr uint32_t kQ[4] = {kRed, kGreen, kBlue, 0xFFFF00};
const Picture kDoor{
    64, 48, {kQ[0], kQ[1], kQ[2], kQ[3]}, [](int x, int y) { return (x >= 32) + 2 * (y >= 24); }};

// clang-format off
// Spot paths: the window centre in frames 1, 2 and 3 shows the picture, 24 pixels
// beside it lies outside the window.
Geometry Spot(const char* label, int direction, std::array<std::pair<int, int>, 3> centres) {
    std::vector<Probe> probes{{0, 50, 79, kRed}};
    for (int i = 1; i <= 3; ++i) {
        const auto [x, y] = centres[size_t(i - 1)];
        probes.insert(probes.end(), {{i, x, y, kRed}, {i, x > 75 ? x - 24 : x + 24, y, 0}});
    }
    return {label, RenderSpot, Plain(100, 100, kRed), {},
            {.frameCount = 8, .value = {20}, .direction = direction}, 8, probes, {}};
}
// At rest the door shows its picture the right way round, not a row or column off.
const std::vector<Probe> kDoorAtRest{{39, 0, 0, kQ[0]},   {39, 16, 23, kQ[0]}, {39, 16, 24, kQ[2]},
                                     {39, 31, 12, kQ[0]}, {39, 32, 12, kQ[1]}, {39, 63, 47, kQ[3]},
                                     {39, 48, 12, kQ[1]}, {39, 16, 36, kQ[2]}};

const Geometry kGeometry[] = {
    // Blind, checkers, fringe, weave.
    {"blind closes one row per blind and frame", RenderBlind, Plain(20, 100, kGrey), {},
     {.frameCount = 10, .value = {10}}, 10, {{0, 0, 0, 0}, {0, 19, 10, 0}, {0, 0, 1, kGrey},
     {0, 5, 99, kGrey}, {1, 3, 11, 0}, {1, 3, 12, kGrey}, {9, 0, 99, 0}}, {{0, 0, 200}, {1, 0, 400},
     {9, 0, 2000}}},
    // 21 rows per frame: 0, 10, ..., 90, then 1, 11, ..., 91, then 2; 84 in the last.
    {"blind transition", RenderBlindTransition, Plain(8, 100, kGrey), Plain(8, 100, kRed),
     {.frameCount = 4, .value = {10}}, 4, {{0, 0, 0, kRed}, {0, 3, 10, kRed}, {0, 7, 91, kRed},
     {0, 0, 2, kRed}, {0, 0, 12, kGrey}}, {{0, kRed, 21 * 8}, {3, kRed, 84 * 8}}},
    // Cell 12, d = 20, half width 1 then 2; the second frame reads the first.
    {"checkers", RenderCheckers, Plain(60, 60, kGrey), {}, {.frameCount = 5}, 5, {{0, 5, 5, kGrey},
     {0, 11, 5, 0x6C6C6C}, {0, 9, 5, 0x8A8A8A}, {0, 5, 11, 0x6C6C6C}, {0, 0, 11, 0x6C6C6C},
     {0, 11, 11, 0x585858}, {0, 9, 11, 0x767676}, {1, 11, 5, 0x585858}, {1, 10, 5, 0x767676},
     {1, 9, 5, 0x949494}, {1, 6, 5, kGrey}}, {}},
    // Length 2 in frame 0: columns 0, 1, 4, 5 from the top, 2, 3, 6, 7 from the bottom.
    {"fringe top and bottom", RenderFringe, Plain(8, 10, kGrey), {}, {.frameCount = 5,
     .value = {2}}, 5, {{0, 0, 1, 0}, {0, 0, 2, kGrey}, {0, 5, 0, 0}, {0, 5, 9, kGrey},
     {0, 2, 8, 0}, {0, 3, 7, kGrey}, {0, 6, 9, 0}, {0, 7, 0, kGrey}}, {{0, 0, 16}, {4, 0, 80}}},
    // Length 5: row 0 from the left, row 1 from the right.
    {"fringe left and right", RenderFringe, Plain(10, 4, kGrey), {}, {.frameCount = 2, .value = {1},
     .direction = 1}, 2, {{0, 0, 0, 0}, {0, 4, 0, 0}, {0, 5, 0, kGrey}, {0, 5, 1, 0}, {0, 9, 1, 0},
     {0, 4, 1, kGrey}}, {}},
    {"fringe transition", RenderFringeTransition, Plain(6, 6, kGrey), Plain(6, 6, kRed),
     {.frameCount = 2, .value = {1}}, 2, {{0, 0, 2, kRed}, {0, 0, 3, kGrey}, {0, 1, 3, kRed}},
     {{1, kRed, 36}}},
    // d = 64: across the thread dark, darker-light, light, lighter; frame 1 deepens it.
    {"weave with one thread", RenderWeave, Plain(8, 12, kGrey), {}, {.frameCount = 2}, 2,
     {{0, 0, 5, 0x404040}, {0, 1, 5, 0x606060}, {0, 2, 5, 0xA0A0A0}, {0, 3, 5, 0xC0C0C0},
     {0, 5, 0, 0x404040}, {0, 5, 1, 0x606060}, {0, 5, 2, 0xA0A0A0}, {0, 5, 3, 0xC0C0C0},
     {0, 4, 5, kGrey}, {0, 5, 8, 0xC0C0C0}, {0, 5, 11, 0x404040}, {1, 0, 5, 0x000000}}, {}},

    // Blur and emboss.
    // Side neighbours weigh 3/16, corners 1/16, the pixel nothing; outside counts as black.
    {"blur at strength 0", RenderBlur, Plain(8, 8, kGrey), {}, {.frameCount = 1}, 1,
     {{0, 4, 4, kGrey}, {0, 0, 0, 0x383838}, {0, 3, 0, 0x585858}, {0, 7, 7, 0x383838}}, {}},
    // N = 3: 3/4 a + 1/4 b, the average, 3/4 b + 1/4 a.
    {"blur transition", RenderBlur, Plain(6, 5, 0x000000), Plain(6, 5, 0xFFFFFF), {.frameCount = 3,
     .value = {100}}, 3, {{0, 0, 0, 0x3F3F3F}, {1, 0, 0, 0x7F7F7F}, {2, 0, 0, 0xBFBFBF}}, {}},
    // Inside the bias; top row and left column miss the negative cell (colour x 0.5 + 128);
    // top right and bottom left miss both; bottom right 128 - colour x 0.5.
    {"emboss of a plain picture", RenderEmboss, Plain(10, 6, 0x64C8F0), {}, {.frameCount = 1,
     .value = {50, 128}}, 1, {{0, 1, 1, kGrey}, {0, 8, 4, kGrey}, {0, 0, 0, 0xB2E4F8},
     {0, 5, 0, 0xB2E4F8}, {0, 0, 3, 0xB2E4F8}, {0, 9, 0, kGrey}, {0, 0, 5, kGrey},
     {0, 9, 5, 0x4E1C08}}, {}},
    {"emboss clamps at black", RenderEmboss, {6, 6, {0xFFFFFF, 0x000000}, [](int x,
     int y) {return int(x >= 3 && y >= 3);}}, {}, {.frameCount = 1, .value = {100, 100}}, 1,
     {{0, 3, 3, 0}, {0, 1, 1, 0x646464}, {0, 2, 2, 0}, {0, 4, 4, 0x646464}}, {}},

    // Fades, invert, overblend.
    {"fade out ends on the colour", RenderFadeOut, FadeImage(-1), {}, {.frameCount = 5,
     .colorIndex = 3}, 5, {}, {{4, 0x000080, 12}}},
    {"fade out of one frame hides nothing", RenderFadeOut, FadeImage(2), {}, {.frameCount = 1,
     .colorIndex = 3}, 1, {{0, 0, 0, 0x000080}}, {{0, 0x000080, 12}}},
    // An unused entry reads as a saved file holds it: white.
    {"fade out to an unused entry", RenderFadeOut, FadeImage(-1), {}, {.frameCount = 1,
     .colorIndex = 200}, 1, {{0, 0, 0, 0xFFFFFF}}, {{0, 0xFFFFFF, 12}}},
    {"fade in quarters", RenderFade, Plain(4, 3, 0x000000), Plain(4, 3, 0xF0F0F0),
     {.frameCount = 3}, 3, {{0, 0, 0, 0x3C3C3C}, {1, 0, 0, 0x787878}, {2, 0, 0, 0xB4B4B4}}, {}},
    // Image 1 hidden: image 2 as it is; image 2 hidden: image 1.
    {"fade across hidden pixels", RenderFade, FadeImage(2), {4, 3, {0xFFFFFF, 0x123456}, [](int x,
     int y) {return int(x == 3 && y == 2);}, 1}, {.frameCount = 2}, 2, {{0, 0, 0, 0xFFFFFF},
     {0, 3, 2, 0xC0C0C0}, {1, 0, 0, 0xFFFFFF}, {1, 3, 2, 0xC0C0C0}}, {}},
    {"invert", RenderInvert, FadeImage(2), {}, {.frameCount = 1}, 1,
     {{0, 0, 0, kGreen | kTransparentMarker}, {0, 1, 0, 0xBFFFFF}, {0, 3, 0, 0x3F3F3F}}, {}},
    // p, m (the colour), q: (m + 2p)/3, (2m + p)/3, m, (q + 2m)/3, (2q + m)/3.
    {"overblend", RenderOverblend, {4, 3, {0xF00000, 0x0000F0}, Zero}, {4, 3, {0x00F000}, Zero},
     {.frameCount = 5, .colorIndex = 1}, 5, {{0, 0, 0, 0xA00050}, {1, 0, 0, 0x5000A0},
     {2, 0, 0, 0x0000F0}, {3, 0, 0, 0x0050A0}, {4, 0, 0, 0x00A050}}, {}},
    // Colour blending works on indexes; the hidden pixel is never copied; dark to light
    // removes the dark half first.
    {"colour blending out", RenderColourBlending, FadeImage(2), {},
     {.frameCount = 4, .colorIndex = 3}, 4,
     {{0, 0, 0, 0x000080}, {0, 1, 0, 0x400000}, {0, 3, 0, 0x000080}, {3, 0, 0, 0x000080}},
     {{3, 0x000080, 12}}},
    // Frame out, frame in, tilt in.
    // The border reaches 50 / 4 per frame: 12, 25, 37.
    {"frame out", RenderFrameOut, Plain(100, 100, kGrey), {}, {.frameCount = 4, .colorIndex = 3}, 4,
     {{0, 12, 50, kGreen}, {0, 13, 50, kGrey}, {0, 50, 87, kGreen}, {0, 50, 86, kGrey},
     {2, 37, 50, kGreen}, {2, 38, 50, kGrey}, {2, 50, 62, kGreen}, {2, 50, 61, kGrey}},
     {{3, kGreen, 100 * 100}}},
    // Divided by 5: the last frame leaves the centre 18 x 18 of image 1.
    {"frame out transition", RenderFrameOut, Plain(100, 100, kGrey), Plain(100, 100, kRed),
     {.frameCount = 4}, 4, {{3, 41, 41, kGrey}, {0, 10, 50, kRed}, {0, 11, 50, kGrey}},
     {{3, kGrey, 18 * 18}}},
    {"frame in transition", RenderFrameIn, Plain(100, 100, kGrey), Plain(100, 100, kRed),
     {.frameCount = 4}, 4, {{0, 40, 40, kRed}}, {{0, kRed, 20 * 20}, {3, kRed, 80 * 80}}},
    // Halfway through the swing (about 39 degrees from shut) the door still covers the
    // pixels by its hinge; the far edge shows image 1.
    {"tilt in, door on the left", RenderTiltIn, Plain(64, 48, kGrey), Plain(64, 48, kRed),
     {.frameCount = 40, .direction = 0}, 40, {{20, 2, 24, kRed}, {20, 61, 24, kGrey}}, {}},
    {"tilt in, door at the top", RenderTiltIn, Plain(64, 48, kGrey), Plain(64, 48, kRed),
     {.frameCount = 40, .direction = 2}, 40, {{20, 32, 2, kRed}, {20, 32, 45, kGrey}}, {}},
    {"tilt in at rest, left", RenderTiltIn, Plain(64, 48, kGrey), kDoor, {.frameCount = 40,
     .value = {1}, .direction = 0}, 40, kDoorAtRest, {}},
    {"tilt in at rest, right", RenderTiltIn, Plain(64, 48, kGrey), kDoor, {.frameCount = 40,
     .value = {1}, .direction = 1}, 40, kDoorAtRest, {}},
    {"tilt in at rest, top", RenderTiltIn, Plain(64, 48, kGrey), kDoor, {.frameCount = 40,
     .value = {1}, .direction = 2}, 40, kDoorAtRest, {}},
    {"tilt in at rest, bottom", RenderTiltIn, Plain(64, 48, kGrey), kDoor, {.frameCount = 40,
     .value = {1}, .direction = 3}, 40, kDoorAtRest, {}},

    // Move and zoom; offsets truncate toward zero.
    // Offsets (5, 2), (10, 5), (15, 7), (20, 10).
    {"move towards the bottom right", RenderMoveImage1, Plain(20, 10, kGrey), {}, {.frameCount = 4,
     .colorIndex = 3, .direction = 3}, 4, {{0, 4, 5, kGreen}, {0, 5, 2, kGrey}, {0, 5, 1, kGreen}},
     {{3, kGreen, 20 * 10}}},
    // To the right edge: 10, 20, 30.
    {"move image 1 right", RenderMoveImage1, kCoordinates, Plain(40, 6, kRed), {.frameCount = 3,
     .direction = 2}, 3, {{0, 9, 3, kRed}, {0, 10, 3, 0x100300}, {0, 39, 3, 0x10031D},
     {1, 19, 3, kRed}, {1, 20, 3, 0x100300}, {1, 39, 3, 0x100313}, {2, 29, 3, kRed},
     {2, 30, 3, 0x100300}, {2, 39, 3, 0x100309}}, {}},
    // To the left edge: -40 x 1 / 3 = -13.
    {"move image 1 left", RenderMoveImage1, kCoordinates, Plain(40, 6, kRed), {.frameCount = 2,
     .direction = 6}, 2, {{0, 0, 0, 0x10000D}, {0, 26, 0, 0x100027}, {0, 27, 0, kRed}}, {}},
    // From the bottom edge: offset 40 - 40 / 4 = 30 first.
    {"move image 2 in from the bottom", RenderMoveImage2, Plain(8, 40, kGrey), Plain(8, 40, kRed),
     {.frameCount = 3, .secondList = 4}, 3, {}, {{0, kRed, 8 * 10}, {2, kRed, 8 * 30}}},
    // Frame 0: image 1 at +10 (columns 10..29), image 2 at +20; frame 1 the other way.
    {"move both, image 1 on top", RenderMoveBoth, Plain(30, 4, kGrey), Plain(30, 4, kRed),
     {.frameCount = 2, .option = {0}, .colorIndex = 2, .direction = 2, .secondList = 2}, 2, {},
     {{0, kRed, 0}, {1, kRed, 4 * 10}, {0, kBlue, 4 * 10}}},
    // Image 2 at 1/4, 2/4 and 3/4 of its size.
    {"zoom in", RenderZoomIn, Plain(40, 40, kGrey), Plain(40, 40, kRed), {.frameCount = 3}, 3,
     {{2, 0, 0, kGrey}}, {{0, kRed, 10 * 10}, {1, kRed, 20 * 20}, {2, kRed, 30 * 30}}},
    // (h - 1 - i) / h of the size, nothing left in the last frame.
    {"zoom out", RenderZoomOut, Plain(40, 40, kGrey), {}, {.frameCount = 4, .colorIndex = 3}, 4, {},
     {{0, kGrey, 30 * 30}, {2, kGrey, 10 * 10}, {3, kGreen, 40 * 40}}},
    // At 180 degrees frame 0 shows the picture at half size turned by 90: output (x, y)
    // shows source (60 - 2y, 2x - 20), so the blue right half comes up on top.
    {"zoom out turns the picture", RenderZoomOut, {40, 40, {0x000000, kRed, kBlue}, [](int x,
     int) {return x < 20 ? 1 : 2;}}, {}, {.frameCount = 2, .value = {180}}, 2, {{0, 15, 12, kBlue},
     {0, 25, 28, kRed}, {0, 2, 2, 0}}, {}},

    // Page. Thin: the fold at row 5 in frame 0, rows below show their mirror image.
    {"thin page folds flat", RenderPage, {8, 11, {}, Row, -1, Grey1}, {}, {.frameCount = 2}, 2,
     {{0, 0, 4, 0}, {0, 7, 0, 0}, {0, 0, 5, 0x060606}, {0, 3, 10, 0x010101}, {0, 7, 7, 0x040404},
     {1, 0, 9, 0}, {1, 5, 10, 0x0B0B0B}}, {}},
    // Thickness 4: the fold starts 2 rows below the top, ends 4.04 below the bottom; in
    // frame 0 it lies at row 22.52. A point u rows beyond it shows on the roll for u up to
    // 4 pi, beyond that reversed on the flat part, u - 4 pi rows below the fold.
    {"thick page rolls over a cylinder", RenderPage, {8, 40, {}, Row, -1, Grey1}, {},
     {.frameCount = 2, .value = {0, 0, 4}}, 2, {{0, 0, 39, 0x282828}, {0, 7, 29, 0x040404},
     {0, 0, 23, 0x0A0A0A}, {0, 7, 19, 0x0F0F0F}, {0, 0, 18, 0}, {0, 7, 0, 0}}, {}},
    // As a transition the page uncovers image 2: in the first of two frames the fold has
    // left the top row, not yet the bottom one.
    {"page uncovers image 2", RenderPage, Plain(8, 11, kRed), Plain(8, 11, kBlue),
     {.frameCount = 2}, 2, {{0, 0, 0, kBlue}, {0, 7, 10, kRed}}, {}},
    // 45 degrees on 9 x 9: the upper left half lifted, flat (x, y) shows column 8 - y.
    {"diagonal fold mirrors across the diagonal", RenderPage, {9, 9, {}, Column, -1, Grey10}, {},
     {.frameCount = 2, .value = {45}}, 2, {{0, 7, 6, 0x1E1E1E}, {0, 8, 8, 0x0A0A0A},
     {0, 5, 7, 0x141414}, {0, 1, 1, 0}, {0, 3, 2, 0}}, {}},
    // Pixelize and random rectangles. Blocks of 2, 3, ... from (0, 0) hold the mean of
    // their pixels x + 3y: (0 + 1 + 3 + 4) / 4, (2 + 3 + 5 + 6) / 4, 36 / 9, 352 / 16 and
    // 7272 / 36 (x and y 48..53), in every channel.
    {"pixelize blocks hold their mean", RenderPixelize, {60, 60, {}, [](int x, int y) {return x +
     3 * y;}, -1, Grey1}, {}, {.frameCount = 5}, 5, {{0, 1, 1, 0x020202}, {0, 2, 0, 0x040404},
     {1, 2, 2, 0x040404}, {2, 5, 6, 0x161616}, {4, 53, 53, 0xCACACA}, {4, 48, 48, 0xCACACA},
     {4, 54, 54, 0xE2E2E2}}, {}},
    // The mean rounds down: one pixel of 3 in a block of 2 x 2 makes 3 / 4 = 0.
    {"pixelize rounds the mean down", RenderPixelize, {4, 4, {0, 0x030303}, [](int x, int y) {
     return int(x == 1 && y == 1); }}, {}, {.frameCount = 1}, 1, {{0, 0, 0, 0}, {0, 1, 1, 0}}, {}},
    // Blocks of 4 on 62 pixels: columns and rows 60 and 61 are clipped, and darker.
    {"pixelize clips the last blocks", RenderPixelize, {62, 62, {200}, Zero}, {}, {.frameCount = 5},
     5, {{2, 0, 0, 200}, {2, 61, 0, 100}, {2, 61, 61, 50}}, {}},
    // N - 1 frames for an odd N. i = 1: t = 0.5, blocks of 3 (area 9, m = 13):
    // 9 x (40 + 240 / 2) / 13 = 110, 9 x (240 + 40 / 2) / 13 = 180.
    {"pixelize transition", RenderPixelize, {30, 30, {40}, Zero}, {30, 30, {240}, Zero},
     {.frameCount = 5}, 4, {{0, 3, 3, 40}, {1, 3, 3, 110}, {2, 3, 3, 180}, {3, 3, 3, 240}}, {}},
    {"random rects, a row of cells per frame", RenderRandomRects, Plain(100, 100, 0x111111),
     Plain(100, 100, 0xEEEEEE), {.frameCount = 10, .value = {10, 10}}, 10, {}, {{0, 0xEEEEEE, 1000},
     {4, 0xEEEEEE, 5000}, {9, 0xEEEEEE, 10000}}},
    // The count of cells times the cells left passes 32 bits.
    {"random rects, 90000 cells", RenderRandomRects, Plain(300, 300, 0x111111), Plain(300, 300,
     0xEEEEEE), {.frameCount = 1, .value = {300, 300}}, 1, {}, {{0, 0xEEEEEE, 90000}}},
    {"random rects, no columns", RenderRandomRects, Plain(10, 10, 1), Plain(10, 10, 2),
     {.frameCount = 2, .value = {0, 5}}, 0, {}, {}},
    // Radar: pixels 20 from the centre (30, 30) just inside and outside each sweep.
    {"radar sweeps quarters counter-clockwise", RenderRadar, Plain(61, 61, kRed), {},
     {.frameCount = 3}, 3, {{0, 30, 30, 0}, {0, 32, 10, 0}, {0, 30, 10, 0}, {0, 28, 10, kRed},
     {1, 10, 28, 0}, {1, 10, 32, kRed}, {2, 28, 50, 0}, {2, 32, 50, kRed}}, {}},
    // 360 starts like 0, also at pixels whose angle rounds to 360.
    {"radar from 360", RenderRadar, Plain(401, 3, kRed), {}, {.frameCount = 2, .value = {360}}, 2,
     {{0, 400, 1, 0}, {0, 300, 2, kRed}}, {}},
    // From the top edge down: 350 degrees in; 304 inside 360 - 67.5; 271 never reached.
    {"radar top left clockwise", RenderRadar, Plain(40, 40, kRed), {}, {.frameCount = 3,
     .option = {1}, .direction = 2}, 3, {{0, 30, 0, 0}, {0, 30, 5, 0}, {0, 5, 30, kRed},
     {2, 20, 30, 0}, {2, 1, 39, kRed}}, {}},
    // Sweeps of 72 to 288 degrees: 50 in, 90 and 180 out; then 270 in, 338 out.
    {"radar transition", RenderRadar, Plain(21, 21, kRed), Plain(21, 21, kGreen), {.frameCount = 4},
     4, {{0, 10, 10, kGreen}, {0, 15, 4, kGreen}, {0, 10, 0, kRed}, {0, 0, 10, kRed},
     {3, 10, 20, kGreen}, {3, 20, 14, kRed}}, {}},

    // Roll sphere: R = 36 about (50, 40); columns in bands of 10 (index x / 10 + 1).
    // Frame 0 maps longitudes 0..pi to columns 0..50: the centre shows column 25.
    {"roll sphere front", RenderRollSphere, {100, 80, {}, Tens, -1, Grey16}, {}, {.frameCount = 4,
     .value = {90}}, 4, {{0, 0, 0, 0}, {0, 87, 40, 0}, {0, 50, 40, 0x303030}}, {}},
    // An eighth a frame: the centre shows the columns at 12.5, 87.5, 62.5 and 37.5.
    {"roll sphere turns", RenderRollSphere, {100, 80, {}, Tens, -1, Grey16}, {}, {.frameCount = 8,
     .value = {90}}, 8, {{1, 50, 40, 0x202020}, {3, 50, 40, 0x909090}, {5, 50, 40, 0x707070},
     {7, 50, 40, 0x404040}}, {}},
    // Down the centre column: pole, 60 degrees, equator, 120, south pole show rows 0,
    // 26.3, 39.5, 52.7 and 79 (bands of six rows, index y / 6 + 1).
    {"roll sphere latitudes", RenderRollSphere, {100, 80, {}, [](int, int y) {return y / 6 + 1;},
     -1, Grey16}, {}, {.frameCount = 2, .value = {90}}, 2, {{0, 50, 4, 0x101010},
     {0, 50, 22, 0x505050}, {0, 50, 40, 0x707070}, {1, 50, 58, 0x909090}, {1, 50, 76, 0xE0E0E0},
     {1, 50, 2, 0}}, {}},
    // As a transition each image covers half the sphere, pi on 100 columns. Half a turn on,
    // image 2 faces front: (45, 40) at pi/2 - asin(5/36) = 1.431 shows its column 45; (55,
    // 40) its column 54, hidden there, so the selected colour shows.
    {"roll sphere transition", RenderRollSphere, Plain(100, 80, kRed), {100, 80, {}, Tens, 6,
     Grey16}, {.frameCount = 4, .value = {90}}, 4, {{2, 45, 40, 0x505050}, {2, 55, 40, 0}}, {}},
    // Satellite. Sphere radius 16 about (32, 32); a flat satellite of 13 x 13 on a circle
    // of 26: in front of the centre, a quarter turn later beside it, then behind it.
    {"flat satellite circles the sphere", RenderSatellite, Plain(64, 64, kRed), Plain(64, 64,
     kGreen), Ring(4, 50, 20, 20, 1), 4, {{0, 32, 32, kGreen}, {1, 32, 32, kRed},
     {1, 58, 32, kGreen}, {2, 32, 32, kRed}}, {{0, kGreen, 13 * 13}, {2, kGreen, 0}}},
    // No sphere; a ring of radius 32, its band about 10 rows either side of the equator.
    // The near half shows longitude beta at column beta / 2 pi of image 2: 23 right of the
    // centre asin(23 / 32) = 0.80, in frame 1 5 right 2 pi + asin(5 / 32) - pi / 2.
    {"ring round the equator", RenderSatellite, Plain(64, 64, kRed), {64, 64, {}, Column, -1,
     Satellite}, Ring(4, 0, 100, 20, 0), 4, {{0, 32, 32, Col(0)}, {0, 32, 27, Col(0)},
     {0, 55, 32, Col(8)}, {0, 9, 32, Col(55)}, {0, 32, 17, 0}, {1, 37, 32, Col(49)}}, {}},
    // A flat satellite at full width and height lies on the picture at frame 0: screen
    // column x shows source column x, the first one included.
    {"flat satellite at full size shows its first column", RenderSatellite, Plain(64, 64, kRed),
     {64, 64, {}, Column, -1, Satellite}, Ring(4, 0, 100, 100, 1), 4,
     {{0, 0, 32, Col(0)}, {0, 1, 32, Col(1)}, {0, 63, 32, Col(63)}}, {}},
    {"and screen row y its row y, the first one included", RenderSatellite, Plain(64, 64, kRed),
     {64, 64, {}, Row, -1, Satellite}, Ring(4, 0, 100, 100, 1), 4,
     {{0, 32, 0, Col(0)}, {0, 32, 1, Col(1)}, {0, 32, 63, Col(63)}}, {}},
    {"ring inside the sphere", RenderSatellite, Plain(64, 64, kRed), Plain(64, 64, kGreen), Ring(3,
     150, 40, 20, 0), 0, {}, {}},

    // Flat, 40 % wide (a = 12) and 20 % high (b = 6) on 64: the orbit's radius is
    // max(min(32 - 6, 32 - 12), 12, 6) = 20. A quarter turn on, screen column 53 shows
    // column 32 + trunc((53 - 20 - 32) * 1000 / 400) = 34.
    {"flat satellite's orbit", RenderSatellite, Plain(64, 64, kRed), {64, 64, {}, Column, -1,
     Satellite}, Ring(4, 0, 40, 20, 1), 4, {{1, 53, 32, Col(34)}}, {}},
    // Tilted 45 and turned 88 degrees, the flat image starts at a depth of 28 cos 45 cos 88
    // = 0.69, up and to the left at (-19.8, 19.8) from the centre, the sphere's radius being
    // 22. It counts as in front, so at (18, 18) it covers the sphere.
    {"flat satellite at depth 0.69", RenderSatellite, Plain(64, 64, kRed), Plain(64, 64, kGreen),
     {.frameCount = 4, .value = {70, 45, 88, 20, 20}, .option = {0, 0, 1, 1}}, 4,
     {{0, 18, 18, kGreen}}, {}},
    // Spiral and rotor. Nine cells of 30 in spiral order from the centre; the tenth frame
    // paints nothing, not even the column left over right of the grid.
    {"spiral", RenderSpiral, Plain(91, 90, kRed), {}, {.frameCount = 10}, 10, {{0, 45, 45, 0},
     {0, 75, 45, kRed}, {1, 75, 45, 0}, {1, 75, 75, kRed}, {2, 75, 75, 0}, {2, 45, 75, kRed},
     {3, 45, 75, 0}, {3, 15, 75, kRed}, {4, 15, 75, 0}, {4, 15, 45, kRed}, {5, 15, 45, 0},
     {5, 15, 15, kRed}, {6, 15, 15, 0}, {6, 45, 15, kRed}, {7, 45, 15, 0}, {7, 75, 15, kRed},
     {8, 75, 15, 0}, {9, 90, 15, kRed}}, {}},
    {"spiral transition", RenderSpiralTransition, Plain(90, 90, kRed), Plain(90, 90, kBlue),
     {.frameCount = 9}, 9, {{0, 45, 45, kBlue}, {0, 0, 0, kRed}}, {{8, kBlue, 90 * 90}}},
    // Step 280 / 11 = 25: fronts 25 .. 275. Front 100 (frame 3): row 10 turned by 90
    // degrees, edge on; front 275: rows 0 and 95 turned by 180, an exact mirror.
    {"rotor", RenderRotor, {10, 100, {}, Column, -1, Mixed}, {}, {.frameCount = 10}, 11,
     {{0, 3, 50, 0x04080C}, {3, 5, 10, 0x060C12}, {3, 4, 10, 0}, {3, 6, 10, 0},
     {10, 0, 0, 0x0A141E}, {10, 9, 0, 0x010203}, {10, 2, 95, 0x081018}}, {}},
    // 181 fronts at most: 500 frames do not give a step of 0.
    {"rotor of 500 frames", RenderRotor, {4, 1, {}, Column, -1, Mixed}, {}, {.frameCount = 500},
     181, {}, {}},
    // Step trunc(200 / 5 + 0.5) = 40: fronts 40 .. 200. Frame 0: row 0 turned by 40
    // degrees, row 10 by 30 (5 - trunc(2 / cos) = 3).
    {"rotor transition", RenderRotorTransition, {10, 20, {}, Column, -1, Mixed}, {10, 20, {},
     Column, -1, Reds}, {.frameCount = 4}, 5, {{4, 0, 0, 0x100011}, {4, 9, 0, 0xA00011},
     {0, 5, 0, 0x060C12}, {0, 3, 10, 0x04080C}}, {}},

    // Spot, 100 x 100, radius 20 %: from the bottom middle the window centre moves within
    // 20..80 by (1 + X(t)) / 2 and (1 + Y(t)) / 2, t = i / 8 of a turn; frames 1, 2, 3 at
    // t = 45, 90, 135 degrees.
    Spot("spot path: circle (sin t, cos t)", 0, {{{71, 71}, {80, 50}, {71, 28}}}),
    Spot("spot path: loop (sin 2t, cos t)", 1, {{{80, 71}, {50, 50}, {20, 28}}}),
    Spot("spot path: double loop (sin t, cos 3t)", 2, {{{71, 28}, {80, 50}, {71, 71}}}),
    Spot("spot path: butterfly (sin 2t, cos 3t)", 3, {{{80, 28}, {50, 50}, {20, 71}}}),
    Spot("spot path: atomium (sin 4t, cos 3t)", 4, {{{50, 28}, {50, 50}, {50, 71}}}),
    Spot("spot path: multicircle1 (sin t cos 2t, cos 3t)", 5, {{{50, 28}, {20, 50}, {50, 71}}}),
    Spot("spot path: multicircle2 (sin 2t cos t, cos 3t)", 6, {{{71, 28}, {50, 50}, {71, 71}}}),
    // Wave, 20 x 10, six frames, frame 2: the front has passed half the turn plus half the
    // rows. Row y is at phase q = 3 pi / 4 - pi (y + 1) / 10 of the final angle A (clamped
    // to 0..A), shifted by sin(q) * 20 * q / A: row 3 by 12, row 4 by 7, row 5 by 3. No
    // half-wave: A = pi / 2, out to the right; one half-wave: A = 3 pi / 2, swinging left
    // first (row 0 by 7, row 4 by -7, row 9 by -2). The last frame shows only the colour.
    {"wave", RenderWave, {20, 10, {}, Column, -1, Mixed}, {}, {.frameCount = 6, .option = {1}}, 6,
     {{2, 0, 0, 0}, {2, 19, 0, 0}, {2, 12, 3, 0x010203}, {2, 11, 3, 0}, {2, 7, 4, 0x010203},
     {2, 6, 4, 0}, {2, 3, 5, 0x010203}, {2, 2, 5, 0}, {2, 0, 9, 0x010203}}, {{5, 0, 200}}},
    {"wave of one half-wave", RenderWave, {20, 10, {}, Column, -1, Mixed}, {}, {.frameCount = 6,
     .value = {1}, .option = {1}}, 6, {{2, 7, 0, 0x010203}, {2, 6, 0, 0}, {2, 0, 4, 0x081018},
     {2, 12, 4, 0x14283C}, {2, 13, 4, 0}, {2, 0, 9, 0x030609}, {2, 17, 9, 0x14283C}, {2, 18, 9, 0}},
     {{5, 0, 200}}},
    // Left side: the same swing mirrored. Bottom first: row 7 at (10 - 7) / 11 of the turn.
    {"wave on the left side", RenderWave, {20, 10, {}, Column, -1, Mixed}, {}, {.frameCount = 6,
     .option = {1, 1}}, 6, {{2, 0, 3, 0x0D1A27}, {2, 7, 3, 0x14283C}, {2, 8, 3, 0}}, {}},
    // Spot and wave transitions.
    {"spot transition", RenderSpotTransition, Plain(100, 100, kRed), Plain(100, 100, kBlue),
     {.frameCount = 4, .value = {20}}, 4, {{0, 50, 80, kBlue}, {0, 50, 20, kRed}}, {}},
    // Image 1 moves right: image 2 shows at the left first.
    {"wave out", RenderWave, Plain(20, 10, kRed), Plain(20, 10, kBlue), {.frameCount = 3,
     .option = {1, 0, 1}}, 3, {{1, 0, 0, kBlue}, {0, 19, 0, kRed}}, {}},
    {"wave in", RenderWave, Plain(20, 10, kRed), Plain(20, 10, kBlue), {.frameCount = 3,
     .option = {1, 0, 0}}, 3, {{0, 0, 0, kRed}, {2, 0, 9, kRed}}, {}},
    // Edge cases, as the dialog's preview runs them.
    // One pixel wide: only the pixels above and below count, 128 x 3 / 16 at the ends and
    // 128 x 6 / 16 between them.
    {"blur of a one pixel wide picture", RenderBlur, Plain(1, 3, kGrey), {},
     {.frameCount = 1, .colorIndex = 0, .preview = 1}, 1,
     {{0, 0, 0, 0x181818}, {0, 0, 1, 0x303030}, {0, 0, 2, 0x181818}}, {}},
    // Overlay brightness (r + g + b) from 64 (dark red) to 576 (grey), green 255: dark to
    // light over 3 frames it shows up to 63 + 514 / 4 = 191, then 320, then 448.
    {"colour blending reveals the overlay by its brightness", RenderColourBlending,
     Plain(4, 3, 0x000080), FadeImage(-1), {.frameCount = 3, .option = {1}, .colorIndex = 0,
     .preview = 1}, 3, {{0, 0, 0, 0x000080}, {0, 1, 0, 0x400000}, {0, 3, 0, 0x000080},
     {1, 0, 0, kGreen}, {1, 1, 0, 0x400000}, {1, 3, 0, 0x000080}, {2, 0, 0, kGreen},
     {2, 3, 0, 0x000080}}, {}},
    // Start angles are taken modulo 360: -360 folds as 0 (fold at row 5, mirrored).
    {"page from -360 folds as from 0", RenderPage, {8, 11, {}, Row, -1, Grey1}, {},
     {.frameCount = 2, .value = {-360}, .colorIndex = 0, .preview = 1}, 2,
     {{0, 3, 0, 0}, {0, 3, 4, 0}, {0, 3, 5, 0x060606}, {0, 3, 10, 0x010101}}, {}},
    // From the top right corner the third of three frames sweeps 67.5 degrees, whole
    // degrees up to 247: 15 left and 36 down lies at 247.4 (in), 37 down at 247.9 (out).
    {"radar from the top right corner in whole degrees", RenderRadar, Plain(40, 40, kRed), {},
     {.frameCount = 3, .colorIndex = 0, .direction = 1, .preview = 1}, 3,
     {{2, 24, 36, 0}, {2, 24, 37, kRed}}, {}},
    // From the top left corner: (120, 1) lies 359.5 degrees round, which is the ray of 0
    // degrees: covered from the first frame clockwise, not before the end the other way.
    {"radar: the ray of 360 degrees is the ray of 0 degrees", RenderRadar, Plain(240, 4, kRed),
     {}, {.frameCount = 3, .option = {1}, .colorIndex = 0, .direction = 2}, 3, {{0, 120, 1, 0}}, {}},
    {"and counter-clockwise", RenderRadar, Plain(240, 4, kRed), {}, {.frameCount = 3,
     .colorIndex = 0, .direction = 2}, 3, {{0, 120, 1, kRed}}, {}},
    // A band as high as the ring: rows far from the equator show image 2 only within the
    // ring's circle (radius 32; 24 rows up, 21.2 to either side of the centre).
    {"satellite ring stays within its circle", RenderSatellite, Plain(64, 64, kRed),
     {64, 64, {}, Column, -1, Satellite}, {.frameCount = 4, .value = {0, 0, 0, 100, 100},
     .option = {0, 0, 1, 0}, .colorIndex = 0, .preview = 1}, 4, {{0, 1, 8, 0}, {0, 62, 8, 0}},
     {}},
};
// clang-format on

class RendererGeometry : public RendererTest {
  protected:
    FrameRecord* Make(const Picture& p) {
        if (p.w == 0) return nullptr;
        std::vector<uint32_t> colours(p.colours.begin(), p.colours.end());
        if (p.ramp) {
            colours.clear();
            for (int c = 0; c < 256; ++c) colours.push_back(p.ramp(c));
        }
        FrameRecord* f = owner.add(PatternFrame(doc, p.w, p.h, colours, p.index));
        f->hasTransparency = p.transparent >= 0;
        f->transparentIndex = uint32_t(std::max(p.transparent, 0));
        return f;
    }
};

// What a frame shows at (x, y): its true colour as stored, or the palette colour.
uint32_t Shown(const FrameRecord& f, int x, int y) {
    if (const auto tc = f.trueColourPlane()) return tc->get(x, y);
    const uint8_t i = f.indexPlane()->get(x, y);
    const bool hidden = f.hasTransparency && i == f.transparentIndex;
    return f.effectivePalette()[i].rgb() | (hidden ? kTransparentMarker : 0u);
}
// Pixels showing `rgb`, whatever their transparency marker.
int Count(const FrameRecord& f, uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) n += (Shown(f, x, y) & kRgbMask) == rgb;
    return n;
}

TEST_F(RendererGeometry, HandWorkedPixels) {
    for (const Geometry& g : kGeometry) {
        SCOPED_TRACE(g.label);
        EffectParams p = g.block;
        p.preview = 1;
        p.colorIndex = std::max(p.colorIndex, 0);
        ChainOwner out(g.render(Make(g.one), Make(g.two), p.frameCount, p));
        const auto frames = out.frames();
        ASSERT_EQ(frames.size(), g.frames);
        for (const Probe& probe : g.probes)
            EXPECT_EQ(Shown(*frames[size_t(probe.frame)], probe.x, probe.y), probe.shown)
                << "frame " << probe.frame << " at " << probe.x << "," << probe.y;
        for (const Tally& c : g.counts) {
            EXPECT_EQ(Count(*frames[size_t(c.frame)], c.rgb), c.pixels)
                << "frame " << c.frame << ", colour " << std::hex << c.rgb;
        }
    }
}

TEST_F(RendererGeometry, ShineCoversAShareOfThePixelsPerFrame) {
    // 100 pixels, 4 frames: 20 per frame; a draw may pick (0, 0) again.
    ChainOwner small(RenderRandomShine(Uniform(10, 10), nullptr, 4, PreviewBlock(4)));
    const auto frames = small.frames();
    ASSERT_EQ(frames.size(), 4u);
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_LE(Count(*frames[i], 0), int(20 * (i + 1)));
        EXPECT_GE(Count(*frames[i], 0), int(20 * (i + 1)) - 10);
        for (int k = 0; i > 0 && k < 100; ++k)
            if (At(*frames[i - 1], k % 10, k / 10) == 0) {
                ASSERT_EQ(At(*frames[i], k % 10, k / 10), 0);
            }
    }
    // 3600 / 4 = 900 per computed frame.
    ChainOwner a(RenderRandomShine(Uniform(60, 60), nullptr, 3, PreviewBlock(3)));
    EXPECT_EQ(Count(*a.frames()[2], 0), 2700);
    // The transition takes image 2's pixels: 900 / 3 per frame.
    ChainOwner t(
        RenderRandomShine(Uniform(30, 30, kRed), Uniform(30, 30, kGreen), 2, PreviewBlock(2)));
    ASSERT_EQ(t.frames().size(), 2u);
    EXPECT_EQ(Count(*t.frames()[1], kGreen), 600);
}

// A = 4, 32 rows; column 0's offset trunc((1 - sin(phase)) * 4) in the four phases.
TEST_F(RendererGeometry, FlagColumnsFloatWithinTwiceTheAmplitude) {
    FrameRecord* f1 = Make({40, 40, {}, Row, -1, Mixed});
    ChainOwner out(RenderFlag(f1, nullptr, 4, PreviewBlock(4, 1, 10)));
    const auto frames = out.frames();
    ASSERT_EQ(frames.size(), 4u);
    auto top = [&](int i, int x) {
        int t = 0;
        while (t < 40 && At(*frames[size_t(i)], x, t) == 0) ++t;
        return t;
    };
    for (int i = 0; i < 4; ++i)
        for (int x = 0; x < 40; ++x) {
            EXPECT_LE(top(i, x), 8);
            for (int y = top(i, x) + 31; y < 40; ++y) EXPECT_EQ(At(*frames[size_t(i)], x, y), 0);
        }
    EXPECT_EQ(top(0, 0), 4);
    EXPECT_EQ(top(1, 0), 0);
    EXPECT_EQ(top(2, 0), 3);  // sin(3.1415) is just above 0
    EXPECT_EQ(top(3, 0), 7);  // trunc(1.99999 * 4)
    EXPECT_FALSE(doc.busy.load());
}

// Blur and Emboss transitions keep each image's hidden pixels at their end, none between.
TEST_F(RendererGeometry, CrossMixKeepsMarkersOfBothImagesButNotInTheMiddle) {
    FrameRecord* a = Make({4, 4, {0x000000, 0x102030}, [](int x, int) { return int(x == 0); }, 1});
    FrameRecord* b = Make({4, 4, {0xFFFFFF, 0x405060}, [](int x, int) { return int(x == 3); }, 1});
    ChainOwner out(RenderEmboss(a, b, 3, PreviewBlock(3, 0, 0)));
    const std::vector<FrameRecord*> f = out.frames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_TRUE(Shown(*f[0], 0, 0) & kTransparentMarker);
    EXPECT_TRUE(Shown(*f[2], 3, 0) & kTransparentMarker);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(Shown(*f[1], k % 4, k / 4) & ~kRgbMask, 0u);
}

// With no image 2 the page uncovers the document's background colour.
TEST_F(RendererGeometry, PageUncoversTheDocumentBackground) {
    doc.hasGlobalPalette = true;
    doc.globalPalette[0] = PaletteEntry::FromRgb(kBlue);
    doc.backgroundIndex = 0;
    ChainOwner out(RenderPage(Make({8, 11, {kRed, kGreen}, One}), nullptr, 2, PreviewBlock(2)));
    ASSERT_EQ(out.frames().size(), 2u);
    EXPECT_EQ(Shown(*out.frames()[1], 0, 0), kBlue);
    EXPECT_EQ(Shown(*out.frames()[1], 0, 10), kGreen);
}

}  // namespace
