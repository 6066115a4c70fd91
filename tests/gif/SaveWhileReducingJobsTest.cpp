// Saving right after an editing step whose colour reduction is still running: the file
// must hold the reduction's result (local table, its flag and the transparent slot),
// whichever of the two gets there first. The reduction here waits until the save
// waits for it, the slowest case a user can meet.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "colour/ColourReduction.h"
#include "colour/CreateFrameFromPicture.h"
#include "colour/FrameResize.h"
#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "gif/GifWriter.h"
#include "gif/LoadGif.h"
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
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    void WaitOpen() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// The picture of a photo as 0x00RRGGBB pixels.
std::vector<uint32_t> PhotoPixels(const ts::TempFolder& folder, int w, int h) {
    const std::string path = ts::MakePhoto(folder, "photo.rgb", w, h);
    std::vector<uint32_t> pixels;
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file) return pixels;
    std::vector<uint8_t> bytes(size_t(w) * size_t(h) * 3);
    if (std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size()) {
        for (size_t i = 0; i < bytes.size(); i += 3)
            pixels.push_back(uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2]);
    }
    std::fclose(file);
    return pixels;
}

std::vector<uint32_t> ImageColours(const ts::PeerImage& image) {
    std::vector<uint32_t> colours;
    for (const uint8_t i : image.indexes)
        colours.push_back(i < image.colours.size() ? image.colours[i] : 0xFF000000u);
    return colours;
}

double MeanChannelDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size() || a.empty()) return 256;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift : {16, 8, 0})
            sum += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
    }
    return sum / double(a.size() * 3);
}

constexpr int kW = 200, kH = 150;

struct Step {
    const char* label;
    // Does the step on a document holding the photo GIF (last frame selected); returns
    // the frame it made or changed.
    FrameRecord* (*run)(AnimationDocument& doc, const std::vector<uint32_t>& photo);
    bool adds;         // a new frame (showing the photo), else the second frame changed
    bool exportImage;  // save the changed frame alone (Export Image) instead of all
};

const Step kSteps[] = {
    {"paste behind the last frame",
     [](AnimationDocument& doc, const std::vector<uint32_t>& photo) -> FrameRecord* {
         return PasteFrame(doc, photo.data(), kW, kH) == 0 ? doc.selectedFrame : nullptr;
     },
     true, false},
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
    ASSERT_FALSE(input.empty());
    const std::vector<uint32_t> photo = PhotoPixels(folder, kW, kH);
    ASSERT_EQ(photo.size(), size_t(kW) * size_t(kH));
    const auto before = ts::GiflibDecode(input);
    ASSERT_TRUE(before.has_value());
    ASSERT_FALSE(before->globalColours.empty());
    ASSERT_FALSE(before->images[1].hasLocalMap);

    GateHost host;
    {
        AnimationDocument doc(host);
        doc.setReductionBody([&host](FrameRecord& f) {
            host.WaitOpen();
            return ReduceFrame(f);
        });
        ASSERT_EQ(LoadGifIntoDocument(doc, input), 0);
        ASSERT_NE(doc.selectedFrame, nullptr);
        FrameRecord* changed = step.run(doc, photo);
        ASSERT_NE(changed, nullptr);

        const std::string output = folder.file("out.gif");
        int position = 0;
        for (FrameRecord* f = doc.firstFrame; f != changed; f = f->next) ++position;
        if (step.exportImage) {
            ASSERT_EQ(SaveSingleGif(doc, *changed, output), kSaveOk);
            position = 0;
        } else {
            ASSERT_EQ(SaveAnimation(doc, output), kSaveOk);
        }
        host.Open();
        doc.jobs().WaitIdle();

        const auto file = ts::GiflibDecode(output);
        ASSERT_TRUE(file.has_value()) << step.label << ": giflib refuses the file";
        const size_t images = step.exportImage ? 1 : before->images.size() + (step.adds ? 1 : 0);
        ASSERT_EQ(file->images.size(), images) << step.label;
        const ts::PeerImage& image = file->images[size_t(position)];
        EXPECT_TRUE(image.hasLocalMap) << step.label;
        // The picture shows what was pasted, imported or resized; a photo needs no
        // transparent pixel, so none may use the transparent slot.
        const std::vector<uint32_t> expected =
            step.adds ? photo : ImageColours(before->images[size_t(position)]);
        EXPECT_LT(MeanChannelDifference(ImageColours(image), expected), 8.0) << step.label;
        if (image.transparent >= 0) {
            for (const uint8_t i : image.indexes)
                ASSERT_NE(int(i), image.transparent)
                    << step.label << ": a colour became transparent";
        }
        // The frames that were there keep their pictures.
        for (size_t i = 0; i < before->images.size() && !step.exportImage; ++i) {
            const size_t at = step.adds && i >= size_t(position) ? i + 1 : i;
            if (at == size_t(position)) continue;
            EXPECT_EQ(ImageColours(file->images[at]), ImageColours(before->images[i]))
                << step.label << ", image " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, SaveWhileReducing, testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
