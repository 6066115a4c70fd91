// Every renderer, called the way the effect dialog's preview calls it, with every field of
// the block at the ends of its range. The preview recomputes on a list or option click
// with whatever the fields hold, before any validation has seen them, so each entry must
// return a chain or none: never crash, hang or write outside its pictures (the sanitizer
// build checks the last).
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "effects/EffectPreview.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"
#include "gif/LoadGif.h"
#include "support/TestSupport.h"
#include "support/UserTask.h"

namespace ts = testing_support;

namespace {

// One field of the block, by name.
struct Field {
    const char* name;
    int32_t& (*of)(EffectParams&);
};

const Field kFields[] = {
    {"frameCount", [](EffectParams& p) -> int32_t& { return p.frameCount; }},
    {"pingPong", [](EffectParams& p) -> int32_t& { return p.pingPong; }},
    {"colorIndex", [](EffectParams& p) -> int32_t& { return p.colorIndex; }},
    {"direction", [](EffectParams& p) -> int32_t& { return p.direction; }},
    {"secondList", [](EffectParams& p) -> int32_t& { return p.secondList; }},
    {"value1", [](EffectParams& p) -> int32_t& { return p.value[0]; }},
    {"value2", [](EffectParams& p) -> int32_t& { return p.value[1]; }},
    {"value3", [](EffectParams& p) -> int32_t& { return p.value[2]; }},
    {"value4", [](EffectParams& p) -> int32_t& { return p.value[3]; }},
    {"value5", [](EffectParams& p) -> int32_t& { return p.value[4]; }},
    {"option1", [](EffectParams& p) -> int32_t& { return p.option[0]; }},
    {"option2", [](EffectParams& p) -> int32_t& { return p.option[1]; }},
    {"option3", [](EffectParams& p) -> int32_t& { return p.option[2]; }},
    {"option4", [](EffectParams& p) -> int32_t& { return p.option[3]; }},
};

const int32_t kExtremes[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 2, 1 << 30, INT_MAX - 1, INT_MAX};

class RendererExtremes : public ::testing::TestWithParam<bool> {
  protected:
    ts::TempFolder folder;
    RecordingHost host;
    AnimationDocument doc{host, 1};

    void TearDown() override { doc.Clear(); }
};

// Every frame of the chain has planes of its own size.
void ExpectWellFormed(FrameRecord* chain, int asked, const std::string& what) {
    int count = 0;
    for (FrameRecord* f = chain; f; f = f->next) {
        ++count;
        ASSERT_GE(f->width, 1) << what;
        ASSERT_GE(f->height, 1) << what;
        const auto indexes = f->indexPlane();
        ASSERT_TRUE(indexes) << what;
        EXPECT_EQ(indexes->width, f->width) << what;
        EXPECT_EQ(indexes->height, f->height) << what;
        if (const auto colours = f->trueColourPlane()) {
            EXPECT_EQ(colours->width, f->width) << what;
            EXPECT_EQ(colours->height, f->height) << what;
        }
    }
    // No frames for no count, and none for counts no memory holds.
    if (asked < 1 || asked >= (1 << 30)) EXPECT_EQ(count, 0) << what;
}

TEST_P(RendererExtremes, EveryEntryTakesEveryFieldAtTheEndsOfItsRange) {
    const bool effect = GetParam();
    // Small enough for the preview to use the frames themselves, as it does for most GIFs
    // users make effects from.
    const std::string gif = ts::MakePhotoGif(folder, "photo.gif", 90, 70, 2);
    ASSERT_FALSE(gif.empty());
    ASSERT_EQ(LoadGifIntoDocument(doc, gif), 0);
    FrameRecord* selected = doc.firstFrame;
    ASSERT_TRUE(selected && selected->next);
    doc.selectedFrame = selected;
    doc.selectedItem = doc.EntryOfFrame(selected);

    EffectPreview preview(doc);
    ASSERT_EQ(preview.PrepareSources(selected, 180, 140), 0);
    const int count = effect ? kEffectCount : kTransitionCount;
    for (int i = 0; i < count; ++i) {
        EffectSession session;
        session.block.frameCount = 6;
        EffectSelection selection(host, session);
        selection.Open(selected);
        if (effect) {
            selection.ChooseEffectMode();
            selection.SelectEffect(i);
        } else {
            ASSERT_TRUE(selection.ChooseTransitionMode());
            selection.SelectTransition(i);
        }
        const EffectParams defaults = selection.PreviewBlock();
        const std::string name = FindEntry(effect, i)->name;
        for (const Field& field : kFields) {
            for (const int32_t v : kExtremes) {
                EffectParams block = defaults;
                field.of(block) = v;
                const std::string what = name + " " + field.name + "=" + std::to_string(v);
                SCOPED_TRACE(what);
                FrameRecord* chain = preview.Compute(block, true);
                ExpectWellFormed(chain, block.frameCount, what);
                preview.Discard();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, RendererExtremes, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Effects" : "Transitions"; });

}  // namespace
