// Icons, cursors and animated cursors made by hand and by ImageMagick, and every
// importer's answer to a picture of another size than the screen.
#include <gtest/gtest.h>

#include "document/AnimationDocument.h"
#include "import/FileImport.h"
#include "io/AnimatedCursor.h"
#include "io/AviImport.h"
#include "io/FileBytes.h"
#include "io/IconCursor.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// An .ico/.cur file holding the given images (bitmap or PNG bytes).
std::vector<uint8_t> IconFile(uint16_t type, const std::vector<std::vector<uint8_t>>& images,
                              int side) {
    std::vector<uint8_t> v;
    for (uint32_t word : {0u, uint32_t(type), uint32_t(images.size())}) PutLe16(v, word);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const auto& image : images) {
        v.insert(v.end(), {uint8_t(side), uint8_t(side), 0, 0});
        PutLe16(v, 1);
        PutLe16(v, type == 2 ? 1 : 32);
        PutLe32(v, uint32_t(image.size()));
        PutLe32(v, offset);
        offset += uint32_t(image.size());
    }
    for (const auto& image : images) v.insert(v.end(), image.begin(), image.end());
    return v;
}

// A 2x2 4-bit icon image: black, `topRight` / blue, red; the black pixel (top left) is
// masked out.
std::vector<uint8_t> SmallIconImage(uint32_t topRight = 0x00FF00) {
    std::vector<uint8_t> dib;
    for (uint32_t v : {40u, 2u, 4u}) PutLe32(dib, v);  // height counts the mask too
    PutLe16(dib, 1);
    PutLe16(dib, 4);
    for (uint32_t v : {0u, 0u, 0u, 0u, 16u, 0u}) PutLe32(dib, v);
    const uint32_t colours[4] = {0x000000, 0xFF0000, topRight, 0x0000FF};
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = i < 4 ? colours[i] : 0;
        dib.insert(dib.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    }
    // Colour rows, bottom-up: bottom row (blue, red), top row (black, topRight).
    dib.insert(dib.end(), {0x31, 0, 0, 0, 0x02, 0, 0, 0});
    // AND mask rows, bottom-up: bottom opaque, top-left transparent.
    dib.insert(dib.end(), {0x00, 0, 0, 0, 0x80, 0, 0, 0});
    return dib;
}

std::vector<uint8_t> AniFileBytes(const std::vector<std::vector<uint8_t>>& frames, uint32_t steps,
                                  const std::vector<uint32_t>& sequence) {
    auto chunk = [](std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& data) {
        out.insert(out.end(), id, id + 4);
        PutLe32(out, uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() & 1) out.push_back(0);
    };
    std::vector<uint8_t> body{'A', 'C', 'O', 'N'};
    std::vector<uint8_t> anih;
    for (uint32_t v :
         {36u, uint32_t(frames.size()), steps, 0u, 0u, 0u, 0u, 6u, sequence.empty() ? 1u : 3u})
        PutLe32(anih, v);
    chunk(body, "anih", anih);
    std::vector<uint8_t> list{'f', 'r', 'a', 'm'};
    for (const auto& f : frames) chunk(list, "icon", f);
    chunk(body, "LIST", list);
    if (!sequence.empty()) {
        std::vector<uint8_t> seq;
        for (uint32_t s : sequence) PutLe32(seq, s);
        chunk(body, "seq ", seq);
    }
    std::vector<uint8_t> file;
    chunk(file, "RIFF", body);
    return file;
}

std::vector<uint32_t> Pixels(FrameRecord& f) {
    f.WaitForReduction();
    const auto plane = f.trueColourPlane();
    if (!plane) return {};
    return {plane->data(), plane->data() + size_t(f.width) * size_t(f.height)};
}

TEST(IconTest, BitmapAndPngEntriesMatchImageMagick) {
    const ts::TempFolder folder;
    const std::string ico = ts::MakePhoto(folder, "a.ico", 16, 16);
    std::vector<uint8_t> bytes = ts::ReadBytes(ico);
    DecodedPicture p;
    ASSERT_TRUE(DecodeIconImage(bytes.data(), bytes.size(), 0, p));
    EXPECT_EQ(p.width, 16);
    EXPECT_EQ(p.pixels, ts::PeerStillRgb(ico));

    const std::string png = ts::MakePhoto(folder, "p.png", 24, 24);
    bytes = IconFile(1, {ts::ReadBytes(png)}, 24);
    ASSERT_TRUE(DecodeIconImage(bytes.data(), bytes.size(), 0, p));
    EXPECT_EQ(p.pixels, ts::PeerStillRgb(png));
    EXPECT_EQ(p.alpha.size(), 24u * 24u);
    // PNG entries up to 1024 pixels a side are icons; wider ones are damaged files.
    for (const int side : {1024, 1025}) {
        const std::string wide = folder.file(std::to_string(side) + ".png");
        ASSERT_EQ(ts::RunTool("convert -size " + std::to_string(side) + "x2 xc:red " +
                              ts::ShellQuote(wide))
                      .status,
                  0);
        bytes = IconFile(1, {ts::ReadBytes(wide)}, 0);
        EXPECT_EQ(DecodeIconImage(bytes.data(), bytes.size(), 0, p), side == 1024) << side;
    }
}

TEST(IconTest, MaskedPixelsShowTheGreyOfACursorAndIconsKeepTheirColours) {
    const ts::TempFolder folder;
    ts::WriteBytes(folder.file("a.cur"), IconFile(2, {SmallIconImage()}, 2));
    ts::WriteBytes(folder.file("a.ico"), IconFile(1, {SmallIconImage()}, 2));
    RecordingHost host;
    AnimationDocument doc(host);
    ASSERT_EQ(LoadCursorFile(doc, folder.file("a.cur")), 0);
    ASSERT_EQ(LoadIconFile(doc, folder.file("a.ico")), 0);
    ASSERT_EQ(doc.countFrames(), 2);
    EXPECT_EQ(Pixels(*doc.firstFrame),
              (std::vector<uint32_t>{kCursorBackground, 0x00FF00, 0x0000FF, 0xFF0000}));
    EXPECT_EQ(Pixels(*doc.firstFrame->next),
              (std::vector<uint32_t>{0x000000, 0x00FF00, 0x0000FF, 0xFF0000}));

    ts::WriteBytes(folder.file("bad.ico"), {0, 0, 1, 0, 1, 0});
    EXPECT_EQ(LoadIconFile(doc, folder.file("bad.ico")), -1);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Couldn't Load Icon");
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
    const ts::TempFolder folder;
    ts::WriteBytes(folder.file("b.ani"), bytes);
    RecordingHost host;
    AnimationDocument doc(host);
    EXPECT_EQ(LoadCursorFile(doc, folder.file("b.ani")), 0);
    EXPECT_EQ(doc.countFrames(), 1);
    bytes.resize(20);
    EXPECT_FALSE(ParseAni(bytes.data(), bytes.size(), ani));
}

// Every kind of file opened into a document whose screen has another size: one resize
// question; Yes scales every new frame to the screen, No adds nothing.
TEST(ImportScaling, EveryImporterAsksOnceAndScalesOrAddsNothing) {
    const ts::TempFolder folder;
    const auto ani = AniFileBytes(
        {IconFile(2, {SmallIconImage(0xFF00FF)}, 2), IconFile(2, {SmallIconImage(0x00FF00)}, 2)}, 6,
        {0, 1, 1, 0, 1, 0});
    ts::WriteBytes(folder.file("a.ani"), ani);
    ts::WriteBytes(folder.file("a.cur"), IconFile(2, {SmallIconImage()}, 2));
    const struct {
        std::string path;
        int frames;
        std::vector<std::pair<int, int>> alike;  // frames showing the same picture
    } cases[] = {
        {ts::MakePhoto(folder, "p.bmp", 48, 32), 1, {}},
        {ts::MakePhoto(folder, "p.tga", 48, 32), 1, {}},
        {ts::MakePhoto(folder, "p.jpg", 48, 32), 1, {}},
        {ts::MakePhoto(folder, "p.ico", 32, 32), 1, {}},
        {folder.file("a.cur"), 1, {}},
        {folder.file("a.ani"), 6, {{0, 3}, {0, 5}, {1, 2}, {1, 4}}},
        {ts::MakeVideo(folder, "v.avi", "testsrc2", 64, 48, 5, 25), 5, {}},
        {ts::MakeVideo(folder, "v.mp4", "testsrc2", 160, 120, 3, 25), 3, {}},
    };
    for (const auto& c : cases) {
        for (const bool yes : {true, false}) {
            SCOPED_TRACE(c.path + (yes ? " yes" : " no"));
            RememberedAviChoices() = AviLoadChoices{};
            RecordingHost host;
            host.resizeAnswer = yes;
            AnimationDocument doc(host);
            ts::AppendToDocument(doc, ts::MakeFrame(doc, 90, 70, {0x123456}), "first.gif");
            doc.screenWidth = 90;
            doc.screenHeight = 70;
            doc.selectedFrame = doc.firstFrame;
            doc.selectedItem = doc.EntryOfFrame(doc.firstFrame);
            EXPECT_EQ(LoadFileByType(doc, c.path), yes ? 0 : -1);
            EXPECT_EQ(host.resizeQuestions(), 1);
            EXPECT_TRUE(ts::TreeIndexesFrames(doc));
            if (!yes) {
                EXPECT_EQ(doc.countFrames(), 1);
                continue;
            }
            ASSERT_EQ(doc.countFrames(), 1 + c.frames);
            std::vector<std::vector<uint32_t>> pictures;
            for (FrameRecord* f = doc.firstFrame->next; f; f = f->next) {
                EXPECT_EQ(f->width, 90);
                EXPECT_EQ(f->height, 70);
                f->WaitForReduction();
                EXPECT_TRUE(f->IsPaletteValid());
                pictures.push_back(Pixels(*f));
            }
            EXPECT_EQ(doc.screenWidth, 90);
            for (const auto& [a, b] : c.alike) EXPECT_EQ(pictures[size_t(a)], pictures[size_t(b)]);
            if (!c.alike.empty()) {
                EXPECT_NE(pictures[0], pictures[1]);
            }
        }
    }
    RememberedAviChoices() = AviLoadChoices{};
}

}  // namespace
