#include <gtest/gtest.h>

#include "IoTestSupport.h"
#include "document/AnimationDocument.h"
#include "io/AnimatedCursor.h"
#include "io/IconCursor.h"
#include "support/TestSupport.h"

using namespace io_test;
using testing_support::AppendToDocument;
using testing_support::MakeFrame;

namespace {

// An .ico/.cur file holding the given images (bitmap or PNG bytes).
std::vector<uint8_t> IconFile(uint16_t type, const std::vector<std::vector<uint8_t>>& images,
                              int side) {
    std::vector<uint8_t> v;
    Le16(v, 0);
    Le16(v, type);
    Le16(v, uint32_t(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const auto& image : images) {
        v.insert(v.end(), {uint8_t(side), uint8_t(side), 0, 0});
        Le16(v, type == 2 ? 1 : 1);
        Le16(v, type == 2 ? 1 : 32);
        Le32(v, uint32_t(image.size()));
        Le32(v, offset);
        offset += uint32_t(image.size());
    }
    for (const auto& image : images) v.insert(v.end(), image.begin(), image.end());
    return v;
}

// A 2x2 4-bit icon image: colours red, green / blue, black; the black pixel (top left)
// is masked out.
std::vector<uint8_t> SmallIconImage(uint32_t topRight = 0x00FF00) {
    std::vector<uint8_t> dib;
    InfoHeader(dib, 2, 4, 4, 0, 16);
    const uint32_t colours[4] = {0x000000, 0xFF0000, topRight, 0x0000FF};
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = i < 4 ? colours[i] : 0;
        dib.insert(dib.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    }
    // Colour rows, bottom-up: bottom row (blue, red), top row (black, green).
    dib.insert(dib.end(), {0x31, 0, 0, 0, 0x02, 0, 0, 0});
    // AND mask rows, bottom-up: bottom opaque, top-left transparent.
    dib.insert(dib.end(), {0x00, 0, 0, 0, 0x80, 0, 0, 0});
    return dib;
}

std::vector<uint8_t> AniFileBytes(const std::vector<std::vector<uint8_t>>& frames, uint32_t steps,
                                  const std::vector<uint32_t>& sequence) {
    auto chunk = [](std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& data) {
        out.insert(out.end(), id, id + 4);
        Le32(out, uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() & 1) out.push_back(0);
    };
    std::vector<uint8_t> body{'A', 'C', 'O', 'N'};
    std::vector<uint8_t> anih;
    for (uint32_t v :
         {36u, uint32_t(frames.size()), steps, 0u, 0u, 0u, 0u, 6u, sequence.empty() ? 1u : 3u})
        Le32(anih, v);
    chunk(body, "anih", anih);
    std::vector<uint8_t> list{'f', 'r', 'a', 'm'};
    for (const auto& f : frames) chunk(list, "icon", f);
    chunk(body, "LIST", list);
    if (!sequence.empty()) {
        std::vector<uint8_t> seq;
        for (uint32_t s : sequence) Le32(seq, s);
        chunk(body, "seq ", seq);
    }
    std::vector<uint8_t> file;
    chunk(file, "RIFF", body);
    return file;
}

TEST(IconTest, BitmapAndPngEntriesMatchImageMagick) {
    const std::string dir = TempDir("ico");
    ASSERT_EQ(Shell("convert -size 16x16 gradient:red-blue " + dir + "/a.ico"), 0);
    std::vector<uint8_t> bytes = Bytes(dir + "/a.ico");
    DecodedPicture p;
    ASSERT_TRUE(DecodeIconImage(bytes.data(), bytes.size(), 0, p));
    EXPECT_EQ(p.width, 16);
    EXPECT_EQ(p.pixels, MagickPixels(dir + "/a.ico"));

    ASSERT_EQ(Shell("convert -size 24x24 gradient:yellow-navy -depth 8 " + dir + "/p.png"), 0);
    bytes = IconFile(1, {Bytes(dir + "/p.png")}, 24);
    ASSERT_TRUE(DecodeIconImage(bytes.data(), bytes.size(), 0, p));
    EXPECT_EQ(p.pixels, MagickPixels(dir + "/p.png"));
    EXPECT_EQ(p.alpha.size(), 24u * 24u);
}

TEST(IconTest, MaskedPixelsShowTheGreyOfACursorAndIconsKeepTheirColours) {
    const std::string dir = TempDir("cur");
    WriteBytes(dir + "/a.cur", IconFile(2, {SmallIconImage()}, 2));
    WriteBytes(dir + "/a.ico", IconFile(1, {SmallIconImage()}, 2));
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadCursorFile(doc, dir + "/a.cur"), 0);
    ASSERT_EQ(LoadIconFile(doc, dir + "/a.ico"), 0);
    FrameRecord* cursor = doc.firstFrame;
    ASSERT_EQ(doc.countFrames(), 2);
    cursor->WaitForReduction();
    auto plane = cursor->trueColourPlane();
    ASSERT_TRUE(plane);
    EXPECT_EQ(std::vector<uint32_t>(plane->data(), plane->data() + 4),
              (std::vector<uint32_t>{kCursorBackground, 0x00FF00, 0x0000FF, 0xFF0000}));
    cursor->next->WaitForReduction();
    plane = cursor->next->trueColourPlane();
    EXPECT_EQ(std::vector<uint32_t>(plane->data(), plane->data() + 4),
              (std::vector<uint32_t>{0x000000, 0x00FF00, 0x0000FF, 0xFF0000}));

    WriteBytes(dir + "/bad.ico", {0, 0, 1, 0, 1, 0});
    EXPECT_EQ(LoadIconFile(doc, dir + "/bad.ico"), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Couldn't Load Icon");
}

TEST(AnimatedCursorTest, SixStepsGiveSixFramesAndOneResizeQuestion) {
    const std::string dir = TempDir("ani");
    const auto red = IconFile(2, {SmallIconImage(0xFF00FF)}, 2);
    const auto green = IconFile(2, {SmallIconImage(0x00FF00)}, 2);
    WriteBytes(dir + "/a.ani", AniFileBytes({red, green}, 6, {0, 1, 1, 0, 1, 0}));
    RecordingHost host;
    AnimationDocument doc(host);
    AppendToDocument(doc, MakeFrame(doc, 6, 4, {0x123456}), "first.gif");
    doc.screenWidth = 6;
    doc.screenHeight = 4;
    doc.selectedFrame = doc.firstFrame;
    doc.selectedItem = doc.EntryOfFrame(doc.firstFrame);
    ASSERT_EQ(LoadCursorFile(doc, dir + "/a.ani"), 0);
    EXPECT_EQ(host.resizeQuestions(), 1);
    ASSERT_EQ(doc.countFrames(), 7);
    // Steps showing the same image look the same, whichever way they were scaled.
    std::vector<std::vector<uint32_t>> pictures;
    for (FrameRecord* f = doc.firstFrame->next; f; f = f->next) {
        EXPECT_EQ(f->width, 6);
        EXPECT_EQ(f->height, 4);
        f->WaitForReduction();
        auto plane = f->trueColourPlane();
        ASSERT_TRUE(plane);
        pictures.emplace_back(plane->data(), plane->data() + 24);
    }
    EXPECT_EQ(pictures[0], pictures[3]);
    EXPECT_EQ(pictures[0], pictures[5]);
    EXPECT_EQ(pictures[1], pictures[2]);
    EXPECT_EQ(pictures[1], pictures[4]);
    EXPECT_NE(pictures[0], pictures[1]);

    // "&Cancel Loading" stops at once: nothing more is added.
    RecordingHost refusing;
    refusing.resizeAnswer = false;
    AnimationDocument other(refusing);
    AppendToDocument(other, MakeFrame(other, 6, 4, {0x123456}), "first.gif");
    other.screenWidth = 6;
    other.screenHeight = 4;
    EXPECT_EQ(LoadCursorFile(other, dir + "/a.ani"), -1);
    EXPECT_EQ(refusing.resizeQuestions(), 1);
    EXPECT_EQ(other.countFrames(), 1);
}

TEST(AnimatedCursorTest, StepsAreBoundedByTheFile) {
    const auto icon = IconFile(2, {SmallIconImage()}, 2);
    // Claims a million steps with two frames and no sequence: two steps.
    std::vector<uint8_t> bytes = AniFileBytes({icon, icon}, 1000000, {});
    AniFile ani;
    ASSERT_TRUE(ParseAni(bytes.data(), bytes.size(), ani));
    EXPECT_EQ(ani.steps, 2u);
    // A sequence naming a frame that is not there ends the steps there.
    bytes = AniFileBytes({icon}, 3, {0, 5, 0});
    ASSERT_TRUE(ParseAni(bytes.data(), bytes.size(), ani));
    EXPECT_EQ(ani.FrameOfStep(0), 0);
    EXPECT_EQ(ani.FrameOfStep(1), -1);
    const std::string dir = TempDir("ani2");
    WriteBytes(dir + "/b.ani", bytes);
    RecordingHost host;
    AnimationDocument doc(host);
    EXPECT_EQ(LoadCursorFile(doc, dir + "/b.ani"), 0);
    EXPECT_EQ(doc.countFrames(), 1);
    bytes.resize(20);
    EXPECT_FALSE(ParseAni(bytes.data(), bytes.size(), ani));
}

}  // namespace
