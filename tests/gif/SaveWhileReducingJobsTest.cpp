// Saving right after an editing step whose colour reduction is still running: the file
// must hold the reduction's result (local table and a transparent slot no pixel uses).
// The reduction here waits until the save waits for it, an order velmora-cli cannot
// force; both ways of writing (the animation, one image) are met.
#include <gtest/gtest.h>

#include <future>
#include <mutex>

#include "colour/ColourReduction.h"
#include "colour/CreateFrameFromPicture.h"
#include "colour/FrameResize.h"
#include "document/DocumentCommands.h"
#include "gif/GifWriter.h"
#include "import/LoadGif.h"
#include "support/PeerReaders.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// A host whose wait cursor (shown while the window thread waits for a reduction)
// lets the held reductions go on.
class GateHost : public RecordingHost {
  public:
    void waitCursor(bool on) override {
        if (on) Open();
        RecordingHost::waitCursor(on);
    }
    void Open() {
        std::call_once(once_, [this] { open_.set_value(); });
    }
    void WaitOpen() { opened_.wait(); }

  private:
    std::once_flag once_;
    std::promise<void> open_;
    std::shared_future<void> opened_ = open_.get_future().share();
};

constexpr int kW = 200, kH = 150;

struct Step {
    const char* label;
    // Does the step on a document holding the photo GIF (last frame selected); returns
    // the frame it made or changed.
    FrameRecord* (*run)(AnimationDocument& doc, const std::vector<uint32_t>& photo);
    bool adds;         // a new frame showing the photo, else a frame resized
    bool exportImage;  // save the changed frame alone (Export Image) instead of all
};
// Test names show the step, not the bytes of the struct.
void PrintTo(const Step& c, std::ostream* os) {
    *os << c.label;
}

const Step kSteps[] = {
    {"import a picture behind the last frame",
     [](AnimationDocument& doc, const std::vector<uint32_t>& photo) -> FrameRecord* {
         return CreateFrameFromPicture(doc, photo.data(), kW, kH, false, "photo.bmp", false) == 0
                    ? doc.selectedFrame
                    : nullptr;
     },
     true, false},
    {"resize the second frame",
     [](AnimationDocument& doc, const std::vector<uint32_t>&) -> FrameRecord* {
         FrameRecord* f = doc.firstFrame->next;
         return Resize(*f, kW, kH, true, true, true) == 0 ? f : nullptr;
     },
     false, false},
    {"paste, then export the image",
     [](AnimationDocument& doc, const std::vector<uint32_t>& photo) -> FrameRecord* {
         return PasteFrame(doc, photo.data(), kW, kH) == 0 ? doc.selectedFrame : nullptr;
     },
     true, true},
};

class SaveWhileReducing : public testing::TestWithParam<Step> {};

TEST_P(SaveWhileReducing, TheFileHoldsTheReductionsResult) {
    const Step& step = GetParam();
    const ts::TempFolder folder;
    const std::string input = ts::MakePhotoGif(folder, "photo.gif", kW, kH, 3);
    const auto photo = ts::PeerStillPictures(ts::MakePhoto(folder, "photo.png", kW, kH));
    const auto before = ts::PeerComposedPictures(input);
    ASSERT_TRUE(photo && before);
    std::vector<uint32_t> pixels;
    for (const uint32_t p : (*photo)[0].pixels) pixels.push_back(p & 0xFFFFFFu);

    GateHost host;
    AnimationDocument doc(host);
    doc.setReductionBody([&host](FrameRecord& f) {
        host.WaitOpen();
        return ReduceFrame(f);
    });
    ASSERT_EQ(LoadGifIntoDocument(doc, input), 0);
    FrameRecord* changed = step.run(doc, pixels);
    ASSERT_NE(changed, nullptr);
    size_t position = 0;
    for (FrameRecord* f = doc.firstFrame; f != changed; f = f->next) ++position;
    const std::string output = folder.file("out.gif");
    if (step.exportImage) {
        ASSERT_EQ(SaveSingleGif(doc, *changed, output), kSaveOk);
        position = 0;
    } else {
        ASSERT_EQ(SaveAnimation(doc, output), kSaveOk);
    }
    host.Open();
    doc.jobs().WaitIdle();

    const auto file = ts::GiflibDecode(output);
    const auto shown = ts::PeerComposedPictures(output);
    ASSERT_TRUE(file && shown) << "the peers refuse the file";
    ASSERT_GT(file->images.size(), position);
    const ts::PeerImage& image = file->images[position];
    EXPECT_TRUE(image.hasLocalMap);
    // A photo needs no transparent pixel, so none may use the transparent slot.
    for (const uint8_t i : image.indexes) ASSERT_NE(int(i), image.transparent);
    // What was imported or pasted shows the photo; what was resized, what it showed.
    const ts::ComposedPicture& expected = step.adds ? (*photo)[0] : (*before)[position];
    EXPECT_LT(ts::MeanChannelDifference((*shown)[position], expected), 8.0);
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveWhileReducing, testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
