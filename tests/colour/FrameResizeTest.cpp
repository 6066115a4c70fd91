// Smooth and plain resizing, and the geometry rules for frames at an offset.
#include <gtest/gtest.h>

#include <random>

#include "colour/FrameResize.h"
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

TEST(ScaleTest, DoublingAOnePixelWideFrameRepeatsThePixel) {
    auto source = Plane(1, 2, {0x102030u, 0x405060u});
    auto wide = ScaleHorizontally(*source, 2);
    EXPECT_EQ(Pixels(*wide), (std::vector<uint32_t>{0x102030u, 0x102030u, 0x405060u, 0x405060u}));
}

TEST(ScaleTest, EnlargingRampsTowardsTheNextPixel) {
    auto source = Plane(2, 1, {Grey(0), Grey(100)});
    EXPECT_EQ(Pixels(*ScaleHorizontally(*source, 4)),
              (std::vector<uint32_t>{Grey(0), Grey(50), Grey(100), Grey(100)}));
    // Three times: steps of a third, cut to integers.
    EXPECT_EQ(
        Pixels(*ScaleHorizontally(*source, 6)),
        (std::vector<uint32_t>{Grey(0), Grey(33), Grey(66), Grey(100), Grey(100), Grey(100)}));
    // A transparent pixel is repeated as it is, marker included.
    auto holey = Plane(2, 1, {kTransparentMarker | 0x0000FFu, Grey(10)});
    EXPECT_EQ(Pixels(*ScaleHorizontally(*holey, 4)),
              (std::vector<uint32_t>{kTransparentMarker | 0xFFu, kTransparentMarker | 0xFFu,
                                     Grey(10), Grey(10)}));
    // Vertically the same.
    auto column = Plane(1, 2, {Grey(0), Grey(100)});
    EXPECT_EQ(Pixels(*ScaleVertically(*column, 4)),
              (std::vector<uint32_t>{Grey(0), Grey(50), Grey(100), Grey(100)}));
}

TEST(ScaleTest, HalvingABoxWithATransparentPixelYieldsThatPixel) {
    auto source = Plane(4, 1, {Grey(10), kTransparentMarker | 0x123456u, Grey(30), Grey(50)});
    EXPECT_EQ(Pixels(*ScaleHorizontally(*source, 2)),
              (std::vector<uint32_t>{kTransparentMarker | 0x123456u, Grey(40)}));
}

TEST(ScaleTest, ShrinkingCutsHorizontallyAndRoundsVertically) {
    auto row = Plane(2, 1, {Grey(1), Grey(2)});
    EXPECT_EQ(Pixels(*ScaleHorizontally(*row, 1)), (std::vector<uint32_t>{Grey(1)}));
    auto column = Plane(1, 2, {Grey(1), Grey(2)});
    EXPECT_EQ(Pixels(*ScaleVertically(*column, 1)), (std::vector<uint32_t>{Grey(2)}));
}

TEST(ScaleTest, FactorPointFourMakesBoxesOverlap) {
    // 10 -> 4: step 2, box 3. Boxes start at 0, 2, 4, 6, 8 and land on 0, 0, 1, 2, 3;
    // the box at 2 (pixels 2-4) overwrites the one at 0; the last box is cut to 2.
    std::vector<uint32_t> values;
    for (int i = 0; i < 10; ++i) values.push_back(Grey(i * 10));
    auto source = Plane(10, 1, values);
    EXPECT_EQ(Pixels(*ScaleHorizontally(*source, 4)),
              (std::vector<uint32_t>{Grey(30), Grey(50), Grey(70), Grey(85)}));
    // Vertically with rounding: (0+10+20)/3 = 10, (20+30+40)/3 = 30, ..., (80+90)/2 = 85.
    auto column = Plane(1, 10,
                        {Grey(0), Grey(10), Grey(21), Grey(30), Grey(40), Grey(50), Grey(60),
                         Grey(70), Grey(80), Grey(91)});
    // (21+30+40)/3 = 30.33 -> 30; (40+50+60)/3 = 50; (60+70+80)/3 = 70; (80+91)/2 = 85.5 -> 86.
    EXPECT_EQ(Pixels(*ScaleVertically(*column, 4)),
              (std::vector<uint32_t>{Grey(30), Grey(50), Grey(70), Grey(86)}));
}

TEST(ScaleTest, TheFarEdgeIsNeverLeftBlack) {
    // 11 -> 5: the boxes land on 0..3 only; the last pixel repeats its neighbour.
    std::vector<uint32_t> values(11, Grey(200));
    auto source = Plane(11, 1, values);
    EXPECT_EQ(Pixels(*ScaleHorizontally(*source, 5)), std::vector<uint32_t>(5, Grey(200)));
    auto column = Plane(1, 11, values);
    EXPECT_EQ(Pixels(*ScaleVertically(*column, 5)), std::vector<uint32_t>(5, Grey(200)));
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

TEST_F(ResizeTest, GeometryScalesFramesAtAnOffset) {
    FrameRecord* a = AddFrame(0, 0, 200, 40);
    FrameRecord* b = AddFrame(10, 20, 50, 30);
    doc.screenWidth = 200;
    doc.screenHeight = 100;
    ASSERT_EQ(Resize(*a, 100, 50, true, false, false), 0);
    EXPECT_EQ(doc.resizeReferenceWidth, 200);  // the first frame: the screen size
    EXPECT_EQ(doc.resizeReferenceHeight, 100);
    EXPECT_EQ(a->width, 100);
    EXPECT_EQ(a->height, 20);
    EXPECT_EQ(a->left, 0);
    EXPECT_EQ(a->top, 0);
    ASSERT_EQ(Resize(*b, 100, 50, true, false, false), 0);
    EXPECT_EQ(b->width, 25);
    EXPECT_EQ(b->height, 15);
    EXPECT_EQ(b->left, 4);
    EXPECT_EQ(b->top, 10);
    EXPECT_EQ(b->trueColourPlane()->width, 25);
    EXPECT_EQ(b->indexPlane()->height, 15);
    EXPECT_FALSE(b->IsPaletteValid());
}

TEST_F(ResizeTest, ReferenceSizeFollowsFramesAtTheOriginUnlessABatchRuns) {
    AddFrame(0, 0, 200, 100);
    FrameRecord* b = AddFrame(0, 0, 200, 40);
    FrameRecord* c = AddFrame(10, 20, 50, 30);
    doc.screenWidth = 200;
    doc.screenHeight = 100;
    doc.resizingInProgress = true;
    int w = 100, h = 50, left = b->left, top = b->top;
    ScaleResizeGeometry(*b, w, h, left, top);
    EXPECT_EQ(doc.resizeReferenceHeight, 100);  // kept while a batch resize runs
    EXPECT_EQ(h, 20);
    doc.resizingInProgress = false;
    w = 100, h = 50;
    ScaleResizeGeometry(*b, w, h, left, top);
    EXPECT_EQ(doc.resizeReferenceWidth, 200);
    EXPECT_EQ(doc.resizeReferenceHeight, 40);  // a frame at the origin sets it
    w = 100, h = 50, left = c->left, top = c->top;
    ScaleResizeGeometry(*c, w, h, left, top);
    EXPECT_EQ(h, 38);    // 30 * 50 / 40 = 37.5, rounded up
    EXPECT_EQ(top, 25);  // 20 * 50 / 40 + 0.5 = 25.5, cut
    // A full-screen frame at the origin asked for the screen's own height keeps it.
    w = 200, h = 100, left = 0, top = 0;
    ScaleResizeGeometry(*doc.firstFrame, w, h, left, top);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 100);
    // A sliver never shrinks to nothing.
    FrameRecord* d = AddFrame(1, 1, 1, 1);
    w = 10, h = 10, left = 1, top = 1;
    ScaleResizeGeometry(*d, w, h, left, top);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
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
    std::mt19937 rng(5);
    for (auto [w, h, nw, nh] : std::vector<std::array<int, 4>>{
             {7, 5, 14, 10}, {7, 5, 3, 2}, {10, 10, 7, 13}, {1, 1, 5, 3}, {13, 9, 13, 9}}) {
        AnimationDocument d(host, 1);
        FrameRecord* f = testing_support::MakeFrame(d, w, h, {0x112233u});
        testing_support::AppendToDocument(d, f, "p.gif");
        f->left = 2;
        auto indexes = f->indexPlane();
        std::vector<uint8_t> source;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                source.push_back(uint8_t(rng()));
                indexes->set(x, y, source.back());
            }
        }
        const Palette palette = f->palette;
        ASSERT_EQ(Resize(*f, nw, nh, false, false, false), 0);
        ASSERT_EQ(f->width, nw);
        ASSERT_EQ(f->height, nh);
        EXPECT_EQ(f->left, 2);
        EXPECT_EQ(f->palette, palette);
        EXPECT_TRUE(f->IsPaletteValid());
        auto out = f->indexPlane();
        const double stepX = double(w) / nw, stepY = double(h) / nh;
        double ay = 0;
        for (int y = 0; y < nh; ++y, ay += stepY) {
            double ax = 0;
            for (int x = 0; x < nw; ++x, ax += stepX) {
                ASSERT_EQ(out->get(x, y), source[size_t(int(ay) * w + int(ax))]) << x << "," << y;
            }
        }
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
