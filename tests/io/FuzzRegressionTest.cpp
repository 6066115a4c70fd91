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

TEST(FuzzRegressionTest, BitmapInputs) {
    const auto inputs = Inputs("fuzz_bmp");
    EXPECT_FALSE(inputs.empty());
    for (const auto& bytes : inputs) {
        DecodedPicture picture;
        if (DecodeBmpFile(bytes.data(), bytes.size(), picture)) {
            EXPECT_EQ(picture.pixels.size(), size_t(picture.width) * size_t(picture.height));
        }
        DecodeDib(bytes.data(), bytes.size(), 0, true, picture);
    }
}

TEST(FuzzRegressionTest, TargaInputs) {
    const auto inputs = Inputs("fuzz_targa");
    EXPECT_FALSE(inputs.empty());
    for (const auto& bytes : inputs) {
        TargaImage image("");
        if (image.LoadFromBytes(bytes)) {
            const std::vector<uint32_t> pixels = image.CreateBitmap();
            EXPECT_EQ(pixels.size(), size_t(image.GetWidth()) * size_t(image.GetHeight()));
            image.TrimBorder(pixels.empty() ? 0 : pixels[0]);
        }
    }
}

TEST(FuzzRegressionTest, IconAndAnimatedCursorInputs) {
    const auto inputs = Inputs("fuzz_icon");
    EXPECT_FALSE(inputs.empty());
    for (const auto& bytes : inputs) {
        DecodedPicture picture;
        for (int i = 0; i < CountIconImages(bytes.data(), bytes.size()) && i < 4; ++i)
            if (DecodeIconImage(bytes.data(), bytes.size(), i, picture))
                DrawOverBackground(picture, kCursorBackground);
        AniFile ani;
        if (ParseAni(bytes.data(), bytes.size(), ani)) {
            for (uint32_t step = 0; step < ani.steps && step < 16; ++step) {
                const int frame = ani.FrameOfStep(step);
                if (frame < 0) break;
                if (DecodeAniFrame(bytes.data(), ani, frame, picture))
                    DrawOverBackground(picture, kCursorBackground);
            }
        }
    }
}

TEST(FuzzRegressionTest, JpegInputs) {
    const auto inputs = Inputs("fuzz_jpeg");
    EXPECT_FALSE(inputs.empty());
    const ts::TempFolder folder;
    const std::string path = folder.file("in.jpg");
    for (const auto& bytes : inputs) {
        ts::WriteBytes(path, bytes);
        RecordingHost host;
        AnimationDocument doc(host);
        // Imported whole, or refused with a message.
        if (ImportJpeg(doc, path) == 0)
            EXPECT_EQ(doc.countFrames(), 1);
        else
            EXPECT_FALSE(host.messages().empty());
    }
}

}  // namespace
