// The banner generator and its insertion into the document, drawn on the block canvas:
// where the text lies in each frame, the border, the chain and the tree.
#include <gtest/gtest.h>

#include "banner/BannerGenerator.h"
#include "banner/BlockCanvas.h"
#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/FrameTree.h"
#include "support/TestSupport.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

BannerBlock Block(const std::string& text, int frames) {
    BannerBlock block;
    block.settings.text = text;
    block.settings.frames = frames;
    block.valid = 1;
    block.confirmed = 1;
    return block;
}

// Leftmost and rightmost column holding `colour` in a frame's true-colour plane; -1 when
// there is none.
std::pair<int, int> ColumnsOf(const TrueColourBuffer& plane, uint32_t colour) {
    int first = -1, last = -1;
    for (int x = 0; x < plane.width; ++x) {
        for (int y = 0; y < plane.height; ++y) {
            if ((plane.get(x, y) & kRgbMask) != colour) continue;
            if (first < 0) first = x;
            last = x;
            break;
        }
    }
    return {first, last};
}

bool AllOf(const TrueColourBuffer& plane, uint32_t colour) {
    for (int y = 0; y < plane.height; ++y)
        for (int x = 0; x < plane.width; ++x)
            if ((plane.get(x, y) & kRgbMask) != colour) return false;
    return true;
}

// Frames with their true colour kept: reduction would replace the plane.
class BannerGeneratorTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host};
    BlockCanvas canvas;

    void SetUp() override {
        // The reduction of generated frames is not what these tests look at.
        doc.setReductionBody([](FrameRecord&) { return true; });
    }
    void TearDown() override { doc.Clear(); }
};

TEST_F(BannerGeneratorTest, TextEntersFromTheRightAndHasLeftOnTheLeft) {
    BannerBlock block = Block("ABCD", 10);  // 32 x 16 in block letters
    FrameRecord* chain = GenerateBanner(canvas, doc, block);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(block.chain, chain);
    ASSERT_EQ(CountChain(chain), 10);
    std::vector<FrameRecord*> frames;
    for (FrameRecord* f = chain; f; f = f->next) frames.push_back(f);

    EXPECT_TRUE(AllOf(*frames.front()->trueColourPlane(), kWhite));
    EXPECT_TRUE(AllOf(*frames.back()->trueColourPlane(), kWhite));
    // The text moves 21 columns a frame from the right edge (140) until it has left.
    const struct {
        size_t frame;
        int left, right;
    } places[] = {{1, 119, 139}, {4, 56, 87}, {6, 14, 45}, {7, 0, 24}, {8, 0, 3}};
    for (const auto& p : places) {
        SCOPED_TRACE(p.frame);
        const TrueColourBuffer& plane = *frames[p.frame]->trueColourPlane();
        EXPECT_EQ(ColumnsOf(plane, kBlack), std::make_pair(p.left, p.right));
        // Vertically centred: rows (80 - 16) / 2 = 32 ... 47; the shadow 9 right, 7 down.
        EXPECT_EQ(plane.get(p.left, 32) & kRgbMask, kBlack);
        EXPECT_NE(plane.get(p.left, 31) & kRgbMask, kBlack);
        EXPECT_EQ(plane.get(p.right, 48) & kRgbMask, 0xDCDCDCu);
    }
    for (FrameRecord* f : frames) EXPECT_TRUE(f->width == 140 && f->height == 80 && f->left == 0);
    EXPECT_EQ(doc.screenWidth, 140);
    EXPECT_EQ(doc.screenHeight, 80);
    DiscardChain(chain);
}

// One frame centres the text (32 wide); a shadow reaching further left than the text
// moves it right by the difference; text wider than the image starts at its left edge.
TEST_F(BannerGeneratorTest, OneFrameCentresTheText) {
    const struct {
        std::string text;
        int shadowEnabled, shadowX, left, right;
    } cases[] = {
        {"ABCD", 1, 9, 54, 85},
        {"ABCD", 1, 2, 60, 91},
        {std::string(30, 'W'), 0, 8, 0, 139},
    };
    for (const auto& c : cases) {
        BannerBlock block = Block(c.text, 1);
        block.settings.shadowEnabled = c.shadowEnabled;
        block.settings.shadowX = c.shadowX;
        FrameRecord* chain = GenerateBanner(canvas, doc, block);
        ASSERT_NE(chain, nullptr);
        EXPECT_EQ(CountChain(chain), 1);
        const TrueColourBuffer& plane = *chain->trueColourPlane();
        EXPECT_EQ(ColumnsOf(plane, kBlack), std::make_pair(c.left, c.right)) << c.shadowX;
        // A disabled shadow is not drawn: nothing but text and background.
        EXPECT_EQ(AllOf(plane, kWhite) || ColumnsOf(plane, 0xDCDCDC).first >= 0,
                  c.shadowEnabled == 1);
        DiscardChain(chain);
    }
}

TEST_F(BannerGeneratorTest, BorderIsASunkenEdgeAndTheTextKeepsInsideIt) {
    BannerBlock block = Block("AB", 1);
    block.settings.border = 1;
    block.settings.width = 60;
    block.settings.height = 40;
    block.settings.backgroundColour = 0x00FF00;
    block.settings.textYOffset = 100;  // pushed below: clipped away entirely
    FrameRecord* chain = GenerateBanner(canvas, doc, block);
    ASSERT_NE(chain, nullptr);
    const TrueColourBuffer& plane = *chain->trueColourPlane();
    EXPECT_EQ(plane.get(0, 0), 0x808080u);
    EXPECT_EQ(plane.get(0, 38), 0x808080u);
    EXPECT_EQ(plane.get(0, 39), 0xFFFFFFu);
    EXPECT_EQ(plane.get(59, 39), 0xFFFFFFu);
    EXPECT_EQ(plane.get(1, 1), 0x404040u);
    EXPECT_EQ(plane.get(58, 38), 0xC0C0C0u);
    for (int y = 2; y < 38; ++y)
        for (int x = 2; x < 58; ++x) ASSERT_EQ(plane.get(x, y), 0x00FF00u) << x << "," << y;
    DiscardChain(chain);
}

TEST_F(BannerGeneratorTest, RefusesUnconfirmedOrImpossibleBlocks) {
    for (const auto& [valid, confirmed, frames] : {std::tuple{1, 0, 3}, {0, 1, 3}, {1, 1, 0}}) {
        BannerBlock block = Block("AB", frames);
        block.valid = valid;
        block.confirmed = confirmed;
        EXPECT_EQ(GenerateBanner(canvas, doc, block), nullptr) << valid << confirmed << frames;
    }
    EXPECT_EQ(doc.screenWidth, 0);  // a failed run leaves the document alone
}

// With the root selected the next banner goes in front of everything (the first, and one
// after the selected image: the editor's tests).
TEST_F(BannerGeneratorTest, TheFirstBannerIsTheAnimationTheNextWithTheRootGoesInFront) {
    BannerBlock block = Block("AB", 3);
    FrameRecord* first = GenerateBanner(canvas, doc, block);
    TreeItem* group = InsertBanner(doc, first);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(doc.groups.banners.at(0).last, LastOfChain(first));

    // With frames in it, the screen keeps room for them and grows for the banner.
    doc.screenWidth = 200;
    doc.screenHeight = 50;
    doc.selectedItem = doc.tree.root();
    block = Block("CD", 2);
    FrameRecord* second = GenerateBanner(canvas, doc, block);
    EXPECT_EQ(std::pair(doc.screenWidth, doc.screenHeight), std::pair(200, 80));
    group = InsertBanner(doc, second);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->text(), "Banner 2");
    EXPECT_EQ(doc.firstFrame, second);
    EXPECT_EQ(doc.groups.banners[1].last->next, first);
    EXPECT_EQ(doc.tree.root()->child(0), group);
    EXPECT_EQ(doc.countFrames(), 5);
    EXPECT_TRUE(testing_support::TreeIndexesFrames(doc));
}

}  // namespace
