// Saving right after velmora-cli made a transition whose colour reduction may still be
// running: every reader must see all frames, with the reduction's tables and
// transparency (the order that forces a save to wait is met in the GIF writer's tests).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PeerReaders.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// Opaque pictures make opaque frames: no pixel may use the transparent slot.
void ExpectOpaque(const ts::PeerImage& image, const std::string& what) {
    if (image.transparent < 0) return;
    for (const uint8_t i : image.indexes)
        ASSERT_NE(int(i), image.transparent) << what << ": a colour became transparent";
}

TEST(SaveAfterReduction, TransitionFadeOnAPhotoGif) {
    const ts::TempFolder folder;
    const std::string gif = ts::MakePhotoGif(folder, "a.gif", 200, 150, 3);
    ASSERT_FALSE(gif.empty());
    const std::string out = folder.file("out.gif");
    const ts::ToolResult r = ts::RunCli({"transition", "Fade", gif, "-o", out, "--frames", "6"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto file = ts::GiflibDecode(out);
    ASSERT_TRUE(file.has_value()) << "giflib refuses the file";
    ASSERT_EQ(file->images.size(), 9u);
    for (size_t i = 1; i < 7; ++i) {
        EXPECT_TRUE(file->images[i].hasLocalMap) << i;
        ExpectOpaque(file->images[i], "faded image " + std::to_string(i));
    }
    // Every reader composes the same pictures, each between its two ends.
    const auto peer = ts::PeerComposedPictures(out);
    ASSERT_TRUE(peer.has_value());
    ASSERT_EQ(peer->size(), 9u);
    const ts::ComposedPicture& from = (*peer)[0];
    const ts::ComposedPicture& to = (*peer)[7];
    for (size_t i = 1; i < 7; ++i) {
        const ts::ComposedPicture& step = (*peer)[i];
        ASSERT_EQ(step.pixels.size(), from.pixels.size());
        int outside = 0;
        for (size_t j = 0; j < step.pixels.size(); ++j) {
            if ((step.pixels[j] >> 24) == 0) ++outside;  // transparent: not a picture
            for (int shift : {16, 8, 0}) {
                const int a = int(from.pixels[j] >> shift & 0xFF);
                const int b = int(to.pixels[j] >> shift & 0xFF);
                const int v = int(step.pixels[j] >> shift & 0xFF);
                if (v < std::min(a, b) - 24 || v > std::max(a, b) + 24) ++outside;
            }
        }
        EXPECT_LT(outside, int(step.pixels.size() / 100)) << "faded image " << i;
    }
}

}  // namespace
