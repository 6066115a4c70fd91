// The banner drawn with real fonts through the Qt canvas: only the colours the shadow
// rule allows appear (no smoothing).
#if VELMORA_TEXTCANVAS
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>
#include <set>

#include "banner/BannerGenerator.h"
#include "document/PixelPlanes.h"
#include "textcanvas/QtTextCanvas.h"

namespace {

std::set<uint32_t> ColoursOf(const TrueColourBuffer& plane) {
    std::set<uint32_t> colours;
    for (int y = 0; y < plane.height; ++y)
        for (int x = 0; x < plane.width; ++x) colours.insert(plane.get(x, y));
    return colours;
}

std::unique_ptr<TrueColourBuffer> DrawFrame(const BannerSettings& s, int k, int n) {
    QtTextCanvas canvas;
    EXPECT_TRUE(canvas.Begin(s.width, s.height));
    DrawBannerFrame(canvas, s, k, n);
    auto plane = TrueColourBuffer::Create(s.width, s.height);
    EXPECT_TRUE(canvas.Capture(*plane));
    return plane;
}

// Fonts need a GUI application: one for the whole program, without a display, ended by
// the test environment before the program's static objects go.
class GuiApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_banner";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QGuiApplication> app_;
};
// GoogleTest owns the environments it is given.
::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);

TEST(QtCanvasTest, SoftShadowUsesExactlyTheRingColours) {
    BannerSettings s;  // defaults: black on white, shadow thickness 8 at intensity 14
    s.text = "Hi";
    s.width = 160;
    const auto plane = DrawFrame(s, 0, 1);
    // Whole pixels only (no smoothing), so every pixel is one of the colours drawn:
    // background, rings 252, 244, 236, 228 grey, the shadow 220 grey, and the text.
    const std::set<uint32_t> allowed{0xFFFFFF, 0xFCFCFC, 0xF4F4F4, 0xECECEC,
                                     0xE4E4E4, 0xDCDCDC, 0x000000};
    const std::set<uint32_t> found = ColoursOf(*plane);
    for (uint32_t c : found) EXPECT_TRUE(allowed.count(c)) << std::hex << c;
    EXPECT_TRUE(found.count(0x000000));
    EXPECT_TRUE(found.count(0xDCDCDC));
    EXPECT_TRUE(found.count(0xFCFCFC));
}

}  // namespace
#endif
