// GIFs made by other programs load with the same pixels, colours and parameters as
// giflib decodes them.
#include <gtest/gtest.h>

#include "GifTestSupport.h"
#include "gif/GifReader.h"
#include "support/TestSupport.h"

using namespace gif_test;

namespace {

void ExpectSameAsGiflib(const std::string& path) {
    SCOPED_TRACE(path);
    auto peer = GiflibDecode(path);
    ASSERT_TRUE(peer) << "giflib refused the file";
    RecordingHost host;
    AnimationDocument doc(host, 1);
    FrameRecord* first = AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
    GifFileInfo info;
    ASSERT_EQ(ReadGif(*first, path, info), kGifOk);
    ASSERT_EQ(size_t(info.imageCount), peer->images.size());
    ASSERT_GT(info.imageCount, 1) << "a test animation should have several frames";
    if (peer->loop >= 0) {
        EXPECT_EQ(int(info.loopCount), peer->loop);
    }
    EXPECT_EQ(info.backgroundIndex, peer->background);
    if (info.hasGlobalPalette) {
        for (size_t c = 0; c < peer->globalColours.size(); ++c)
            EXPECT_EQ(info.globalPalette[c].rgb(), peer->globalColours[c]);
    }
    size_t i = 0;
    for (FrameRecord* f = first; f; f = f->next, ++i) {
        const PeerImage& img = peer->images[i];
        EXPECT_EQ(f->left, img.left);
        EXPECT_EQ(f->top, img.top);
        EXPECT_EQ(f->width, img.width);
        EXPECT_EQ(f->height, img.height);
        EXPECT_EQ(f->interlaced != 0, img.interlaced);
        EXPECT_EQ(FramePixels(*f), img.indexes) << "frame " << i;
        const Palette& pal = f->hasLocalPalette ? f->palette : info.globalPalette;
        for (size_t c = 0; c < img.colours.size(); ++c)
            ASSERT_EQ(pal[c].rgb(), img.colours[c]) << i;
        if (img.delay >= 0) {
            EXPECT_EQ(int(f->delay), img.delay);
            EXPECT_EQ(f->disposal, img.disposal);
            EXPECT_EQ(f->hasTransparency ? int(f->transparentIndex) : -1, img.transparent);
        }
    }
    DiscardFramesAfter(*first, nullptr);
    delete first;
}

}  // namespace

TEST(PeerFilesTest, ImageMagick) {
    const std::string plain = TempPath("im.gif");
    ASSERT_EQ(gif_test::Run("convert -size 120x90 plasma:fractal -size 120x90 gradient:red-blue "
                            "-size 120x90 xc:white -fill black -draw 'circle 60,45 60,10' "
                            "-delay 7 -loop 3 " +
                            plain),
              0);
    ExpectSameAsGiflib(plain);
    const std::string interlaced = TempPath("im-interlaced.gif");
    ASSERT_EQ(gif_test::Run("convert " + plain + " -interlace GIF " + interlaced), 0);
    ExpectSameAsGiflib(interlaced);
    const std::string optimised = TempPath("im-optimised.gif");
    ASSERT_EQ(gif_test::Run("convert " + plain + " -layers OptimizeTransparency " + optimised), 0);
    ExpectSameAsGiflib(optimised);
}

TEST(PeerFilesTest, FFmpeg) {
    const std::string path = TempPath("ff.gif");
    ASSERT_EQ(
        gif_test::Run("ffmpeg -y -v error -f lavfi -t 1.5 -i testsrc=size=160x120:rate=10 " + path),
        0);
    ExpectSameAsGiflib(path);
    const std::string paletted = TempPath("ff-palette.gif");
    ASSERT_EQ(gif_test::Run("ffmpeg -y -v error -f lavfi -t 1 -i mandelbrot=size=96x72:rate=8 -vf "
                            "\"split[a][b];[a]palettegen=max_colors=32[p];[b][p]paletteuse\" " +
                            paletted),
              0);
    ExpectSameAsGiflib(paletted);
}

TEST(PeerFilesTest, Gifsicle) {
    const std::string source = TempPath("gs-source.gif");
    ASSERT_EQ(gif_test::Run("convert -size 100x80 plasma:fractal -size 100x80 plasma:fractal "
                            "-size 100x80 gradient:yellow-green -delay 4 -loop 0 " +
                            source),
              0);
    const std::string optimised = TempPath("gs-optimised.gif");
    ASSERT_EQ(gif_test::Run("gifsicle -O3 --interlace --colors 64 " + source + " -o " + optimised),
              0);
    ExpectSameAsGiflib(optimised);
    const std::string local = TempPath("gs-local.gif");
    ASSERT_EQ(gif_test::Run("gifsicle --no-interlace --careful " + source + " -o " + local), 0);
    ExpectSameAsGiflib(local);
}
