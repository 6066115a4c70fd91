// Replays the reader's fuzz inputs (findings in tests/data/fuzz, seeds in
// tests/data/seeds): each must read without a fault, and a successful read must give
// complete frames.
#include <gtest/gtest.h>

#include <filesystem>

#include "gif/GifReader.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

TEST(FuzzRegressionTest, ReaderInputsReplay) {
    RecordingHost host;
    AnimationDocument doc(host, 1);
    int files = 0;
    for (const char* dir : {"/fuzz/fuzz_gif_reader", "/seeds/fuzz_gif_reader"}) {
        const std::filesystem::path path = std::string(VELMORA_TEST_DATA) + dir;
        if (!std::filesystem::exists(path)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            const std::vector<uint8_t> bytes = testing_support::ReadBytes(entry.path());
            FrameRecord* first =
                AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
            GifFileInfo info;
            const int result = ReadGifData(*first, bytes.data(), bytes.size(), "f.gif", info);
            if (result == kGifOk) {
                for (FrameRecord* f = first; f; f = f->next) {
                    auto plane = f->indexPlane();
                    ASSERT_TRUE(plane) << entry.path();
                    EXPECT_EQ(plane->width, f->width);
                    EXPECT_EQ(plane->height, f->height);
                }
            }
            DiscardFramesAfter(*first, nullptr);
            delete first;
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}
