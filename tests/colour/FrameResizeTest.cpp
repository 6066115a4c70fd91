// Smooth and plain resizing, and the geometry rules for frames at an offset.
#include <gtest/gtest.h>

#include "colour/FrameResize.h"
#include "support/GifBuilder.h"
#include "support/TestSupport.h"

namespace {

std::unique_ptr<TrueColourBuffer> Plane(int w, int h, std::vector<uint32_t> pixels) {
    auto plane = TrueColourBuffer::Create(w, h);
    std::copy(pixels.begin(), pixels.end(), plane->data());
    return plane;
}

std::vector<uint32_t> Pixels(const TrueColourBuffer& plane) {
    return {plane.data(), plane.data() + size_t(plane.width) * size_t(plane.height)};
}

uint32_t Grey(int v) {
    return uint32_t(v << 16 | v << 8 | v);
}

TEST(ScaleTest, HandWorkedRowsAndColumns) {
    // Grey levels; a negative value -v is the transparent pixel of colour v.
    const auto pixels = [](const std::vector<int>& values) {
        std::vector<uint32_t> out;
        for (int v : values) out.push_back(v < 0 ? kTransparentMarker | uint32_t(-v) : Grey(v));
        return out;
    };
    const struct {
        const char* label;
        bool vertical;
        std::vector<int> source;  // one row, or one column
        int to;
        std::vector<int> expected;
    } cases[] = {
        // clang-format off
        {"enlarging ramps towards the next pixel", false, {0, 100}, 4, {0, 50, 100, 100}},
        {"three times: steps of a third, cut", false, {0, 100}, 6, {0, 33, 66, 100, 100, 100}},
        {"a transparent pixel is repeated, marker included", false, {-0xFF, 10}, 4,
         {-0xFF, -0xFF, 10, 10}},
        {"halving a box with a transparent pixel yields that pixel", false,
         {10, -0x123456, 30, 50}, 2, {-0x123456, 40}},
        {"shrinking cuts horizontally", false, {1, 2}, 1, {1}},
        {"and rounds vertically", true, {1, 2}, 1, {2}},
        // 10 -> 4: step 2, box 3. Boxes start at 0, 2, 4, 6, 8 and land on 0, 0, 1, 2, 3;
        // the box at 2 (pixels 2-4) overwrites the one at 0; the last box is cut to 2.
        {"boxes of a factor of 0.4 overlap", false, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}, 4,
         {30, 50, 70, 85}},
        // (21+30+40)/3 = 30.33 -> 30; (40+50+60)/3 = 50; (60+70+80)/3 = 70; (80+91)/2 -> 86.
        {"vertically with rounding", true, {0, 10, 21, 30, 40, 50, 60, 70, 80, 91}, 4,
         {30, 50, 70, 86}},
        // 11 -> 5: the boxes land on 0..3 only; the last pixel repeats its neighbour.
        {"the far edge is never left black", false, std::vector<int>(11, 200), 5,
         std::vector<int>(5, 200)},
        // clang-format on
    };
    for (const auto& c : cases) {
        const int n = int(c.source.size());
        const auto scaled = c.vertical ? ScaleVertically(*Plane(1, n, pixels(c.source)), c.to)
                                       : ScaleHorizontally(*Plane(n, 1, pixels(c.source)), c.to);
        EXPECT_EQ(Pixels(*scaled), pixels(c.expected)) << c.label;
    }
    // A one-pixel-wide frame of two rows doubled: each row repeats its pixel.
    EXPECT_EQ(Pixels(*ScaleHorizontally(*Plane(1, 2, {0x102030u, 0x405060u}), 2)),
              (std::vector<uint32_t>{0x102030u, 0x102030u, 0x405060u, 0x405060u}));
    // Any shrink of a uniform picture stays uniform.
    for (int from = 2; from < 40; ++from) {
        for (int to = 1; to < from; ++to) {
            auto line = Plane(from, 1, std::vector<uint32_t>(size_t(from), Grey(77)));
            ASSERT_EQ(Pixels(*ScaleHorizontally(*line, to)),
                      std::vector<uint32_t>(size_t(to), Grey(77)))
                << from << " -> " << to;
        }
    }
}

class ResizeTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};

    FrameRecord* AddFrame(int left, int top, int w, int h) {
        FrameRecord* f = testing_support::MakeFrame(doc, w, h, {0x000000u, 0xFF0000u, 0x00FF00u});
        f->left = left;
        f->top = top;
        testing_support::AppendToDocument(doc, f, "f.gif");
        return f;
    }
};

TEST_F(ResizeTest, ReferenceSizeFollowsFramesAtTheOriginUnlessABatchRuns) {
    // The size and place a frame takes when asked for w x h: {w, h, left, top}, or with
    // `only` one of them.
    auto geometry = [](FrameRecord* f, int w, int h, int only = -1) {
        int left = f->left, top = f->top;
        ScaleResizeGeometry(*f, w, h, left, top);
        const std::vector<int> all{w, h, left, top};
        return only < 0 ? all : std::vector<int>{all[size_t(only)]};
    };
    FrameRecord* a = AddFrame(0, 0, 200, 100);
    FrameRecord* b = AddFrame(0, 0, 200, 40);
    FrameRecord* c = AddFrame(10, 20, 50, 30);
    doc.screenWidth = 200;
    doc.screenHeight = 100;
    doc.resizingInProgress = true;
    EXPECT_EQ(geometry(b, 100, 50, 1), std::vector<int>{20});
    EXPECT_EQ(doc.resizeReferenceHeight, 100);  // kept while a batch resize runs
    doc.resizingInProgress = false;
    geometry(b, 100, 50);
    EXPECT_EQ(doc.resizeReferenceWidth, 200);
    EXPECT_EQ(doc.resizeReferenceHeight, 40);  // a frame at the origin sets it
    // 30 * 50 / 40 = 37.5, rounded up; 20 * 50 / 40 + 0.5 = 25.5, cut.
    EXPECT_EQ(geometry(c, 100, 50, 1), std::vector<int>{38});
    EXPECT_EQ(geometry(c, 100, 50, 3), std::vector<int>{25});
    // A full-screen frame at the origin asked for the screen's own size keeps it.
    EXPECT_EQ(geometry(a, 200, 100), std::vector<int>({200, 100, 0, 0}));
    // A sliver never shrinks to nothing.
    EXPECT_EQ(geometry(AddFrame(1, 1, 1, 1), 10, 10, 0), std::vector<int>{1});
    EXPECT_EQ(geometry(doc.lastFrame(), 10, 10, 1), std::vector<int>{1});
    // A frame of one pixel at the origin is a reference like any other.
    geometry(AddFrame(0, 0, 1, 1), 100, 50);
    EXPECT_EQ(geometry(c, 100, 50), std::vector<int>({5000, 1500, 999, 1000}));
}

TEST_F(ResizeTest, SmoothResizeKeepsTransparencyAndSkipsGeometryWhenAsked) {
    FrameRecord* f = AddFrame(3, 4, 4, 2);
    f->hasTransparency = 1;
    f->transparentIndex = 2;
    auto indexes = f->indexPlane();
    for (int x = 0; x < 4; ++x) {
        indexes->set(x, 0, 1);
        indexes->set(x, 1, x == 1 ? 2 : 0);
    }
    doc.screenWidth = 50;
    doc.screenHeight = 50;
    ASSERT_EQ(Resize(*f, 8, 4, true, true, false), 0);
    EXPECT_EQ(f->left, 3);
    EXPECT_EQ(f->top, 4);
    auto plane = f->trueColourPlane();
    ASSERT_EQ(plane->width, 8);
    ASSERT_EQ(plane->height, 4);
    EXPECT_EQ(plane->get(0, 0), 0xFF0000u);
    // The transparent source pixel (1, 1) covers destination columns 2-3 of the bottom row.
    EXPECT_EQ(plane->get(2, 3), kTransparentMarker | 0x00FF00u);
    EXPECT_EQ(plane->get(3, 3), kTransparentMarker | 0x00FF00u);
    EXPECT_EQ(plane->get(7, 3), 0u);
    EXPECT_EQ(doc.resizeReferenceWidth, 0);  // geometry skipped: reference untouched
}

TEST_F(ResizeTest, PlainResizeOnlyRepeatsOrSkipsIndexes) {
    // Indexes 0..8 in a 3 x 3 frame to 2 x 5: columns step 1.5 (0, 1), rows step 0.6
    // (0, 0, 1, 1, 2); to 6 x 2: columns 0, 0, 1, 1, 2, 2, rows 0 and 1 (step 1.5).
    const struct {
        int w, h;
        std::vector<uint8_t> expected;
    } cases[] = {{2, 5, {0, 1, 0, 1, 3, 4, 3, 4, 6, 7}},
                 {6, 2, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}}};
    for (const auto& c : cases) {
        FrameRecord* f = AddFrame(2, 0, 3, 3);
        for (int i = 0; i < 9; ++i) f->indexPlane()->set(i % 3, i / 3, uint8_t(i));
        const Palette palette = f->palette;
        ASSERT_EQ(Resize(*f, c.w, c.h, false, false, false), 0);
        ASSERT_EQ(f->width, c.w);
        ASSERT_EQ(f->height, c.h);
        EXPECT_EQ(f->left, 2);
        EXPECT_EQ(f->palette, palette);
        EXPECT_TRUE(f->IsPaletteValid());
        EXPECT_EQ(gif_test::FramePixels(*f), c.expected) << c.w << " x " << c.h;
    }
}

TEST_F(ResizeTest, PlainResizeTakesAKeptTrueColourPlaneAlong) {
    FrameRecord* f = AddFrame(0, 0, 4, 4);
    ASSERT_TRUE(ToTrueColour(*f, false));
    f->trueColourPlane()->set(3, 3, 0xABCDEFu);
    ASSERT_EQ(Resize(*f, 2, 2, false, false, false), 0);
    ASSERT_EQ(f->trueColourPlane()->width, 2);
    ASSERT_EQ(f->trueColourPlane()->height, 2);
    EXPECT_EQ(f->trueColourPlane()->get(0, 0), 0u);
    // A later smooth resize reads a plane of the right size.
    ASSERT_EQ(Resize(*f, 6, 6, true, true, false), 0);
    EXPECT_EQ(f->trueColourPlane()->width, 6);
}

}  // namespace
