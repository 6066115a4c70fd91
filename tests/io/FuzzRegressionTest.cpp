#include <gtest/gtest.h>

#include <filesystem>

#include "document/AnimationDocument.h"
#include "io/AnimatedCursor.h"
#include "io/BmpDecoder.h"
#include "io/IconCursor.h"
#include "io/Jpeg.h"
#include "io/TargaImage.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Inputs the fuzzers found, and the seeds they started from, go through the same
// decoders again (under the sanitizers of the test build).
std::vector<std::vector<uint8_t>> Inputs(const char* target) {
    std::vector<std::vector<uint8_t>> out;
    const std::filesystem::path data(VELMORA_TEST_DATA);
    for (const auto& folder : {data / "fuzz" / target, data / "seeds" / target}) {
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            out.push_back(ts::ReadBytes(entry.path().string()));
    }
    return out;
}

// Each decoder on its inputs: a picture as large as it says, or a refusal.
void Bitmap(const std::vector<uint8_t>& bytes) {
    DecodedPicture picture;
    if (DecodeBmpFile(bytes.data(), bytes.size(), picture)) {
        EXPECT_EQ(picture.pixels.size(), size_t(picture.width) * size_t(picture.height));
    }
    DecodeDib(bytes.data(), bytes.size(), 0, true, picture);
}
void Targa(const std::vector<uint8_t>& bytes) {
    TargaImage image("");
    if (!image.LoadFromBytes(bytes)) return;
    const std::vector<uint32_t> pixels = image.CreateBitmap();
    EXPECT_EQ(pixels.size(), size_t(image.GetWidth()) * size_t(image.GetHeight()));
    image.TrimBorder(pixels.empty() ? 0 : pixels[0]);
}
void IconOrCursor(const std::vector<uint8_t>& bytes) {
    DecodedPicture picture;
    for (int i = 0; i < CountIconImages(bytes.data(), bytes.size()) && i < 4; ++i)
        if (DecodeIconImage(bytes.data(), bytes.size(), i, picture))
            DrawOverBackground(picture, kCursorBackground);
    AniFile ani;
    if (!ParseAni(bytes.data(), bytes.size(), ani)) return;
    for (uint32_t step = 0; step < ani.steps && step < 16 && ani.FrameOfStep(step) >= 0; ++step)
        if (DecodeAniFrame(bytes.data(), ani, ani.FrameOfStep(step), picture))
            DrawOverBackground(picture, kCursorBackground);
}
// Imported whole, or refused with a message.
void Jpeg(const std::vector<uint8_t>& bytes) {
    const ts::TempFolder folder;
    ts::WriteBytes(folder.file("in.jpg"), bytes);
    RecordingHost host;
    AnimationDocument doc(host);
    if (ImportJpeg(doc, folder.file("in.jpg")) == 0)
        EXPECT_EQ(doc.countFrames(), 1);
    else
        EXPECT_FALSE(host.messages().empty());
}

TEST(FuzzRegressionTest, DecodersTakeEveryInput) {
    const std::pair<const char*, void (*)(const std::vector<uint8_t>&)> targets[] = {
        {"fuzz_bmp", Bitmap},
        {"fuzz_targa", Targa},
        {"fuzz_icon", IconOrCursor},
        {"fuzz_jpeg", Jpeg}};
    for (const auto& [target, decode] : targets) {
        const auto inputs = Inputs(target);
        EXPECT_FALSE(inputs.empty()) << target;
        for (const auto& bytes : inputs) decode(bytes);
    }
}

}  // namespace
