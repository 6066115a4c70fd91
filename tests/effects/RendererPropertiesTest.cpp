// What every effect and transition must do whatever it draws: the asked number of frames,
// the PingPong mirror, hidden pixels that stay hidden, inputs left as they were, a final
// run that leaves the counters idle, and any block the preview may hand it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "EffectTestSupport.h"
#include "effects/EffectPreview.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"
#include "support/GifBuilder.h"

using namespace effects_test;
namespace ts = testing_support;

namespace {

struct Entry {
    bool effect;
    int index;
};

std::string TestName(const Entry& e) {
    std::string name = e.effect ? "Effect_" : "Transition_";
    for (const char c : std::string(FindEntry(e.effect, e.index)->name))
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    return name;
}
void PrintTo(const Entry& e, std::ostream* out) {
    *out << TestName(e);
}

std::vector<Entry> AllEntries() {
    std::vector<Entry> out;
    for (int i = 0; i < kEffectCount; ++i) out.push_back({true, i});
    for (int i = 0; i < kTransitionCount; ++i) out.push_back({false, i});
    return out;
}

// Image 1 red and blue halves with every fifth column hidden, image 2 two bands with a
// hidden diagonal pattern; neither hidden colour may show (the cross-mixed middle of Blur
// and Emboss may show a mix of the two).
constexpr uint32_t kHidden1 = 0x00FF00;
constexpr uint32_t kHidden2 = 0xFFFF00;
constexpr uint32_t kShownAsHidden = 0xFFFFFFFF;

class RendererProperties : public testing::TestWithParam<Entry> {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    FrameRecord* frame1 = nullptr;
    FrameRecord* frame2 = nullptr;
    bool offersPingPong = false;  // by the dialog, after Defaults

    std::string Name() const { return FindEntry(GetParam().effect, GetParam().index)->name; }
    // Rotor makes one frame per front, one more than asked; the Pixelize transition an
    // even number, one less for an odd count.
    bool ExactCount() const {
        return Name() != "Rotor" && (GetParam().effect || Name() != "Pixelize");
    }
    void ExpectCount(size_t made, int asked) const {
        if (ExactCount())
            EXPECT_EQ(int(made), asked);
        else
            EXPECT_GE(int(made), asked - 1);
    }

    void SetUp() override {
        frame1 = PatternFrame(doc, 40, 30, {0xC00000, 0x0000C0, kHidden1, 0x606000},
                              [](int x, int) { return x % 5 == 2 ? 2 : (x < 20 ? 0 : 1); });
        frame2 = PatternFrame(doc, 40, 30, {0x00C0C0, 0xC000C0, kHidden2},
                              [](int x, int y) { return (x + y) % 7 == 0 ? 2 : (y < 15); });
        for (FrameRecord* f : {frame1, frame2}) {
            f->hasTransparency = 1;
            f->transparentIndex = 2;
        }
        ts::AppendToDocument(doc, frame1, "a.gif");
        doc.firstFrame = frame1;
        ts::AppendToDocument(doc, frame2, "b.gif");
        doc.selectedFrame = frame1;
        doc.selectedItem = doc.EntryOfFrame(frame1);
    }
    void TearDown() override { doc.Clear(); }

    // The entry's defaults as the dialog's preview hands them over, with the colour 3.
    EffectParams Defaults(int frames, int pingPong) {
        EffectSession session;
        session.block.frameCount = frames;
        EffectSelection selection(host, session);
        selection.Open(frame1);
        if (GetParam().effect) {
            selection.ChooseEffectMode();
            selection.SelectEffect(GetParam().index);
        } else {
            EXPECT_TRUE(selection.ChooseTransitionMode());
            selection.SelectTransition(GetParam().index);
        }
        offersPingPong = selection.form.pingPongEnabled;
        EffectParams p = selection.PreviewBlock();
        p.frameCount = frames;
        p.pingPong = pingPong;
        p.colorIndex = 3;
        return p;
    }
    FrameRecord* Run(const EffectParams& p) {
        const RegistryEntry* e = FindEntry(GetParam().effect, GetParam().index);
        return e->renderer(frame1, GetParam().effect ? nullptr : frame2, p.frameCount, p);
    }
};

// What a frame shows: 0x00RRGGBB, or kShownAsHidden for a transparent pixel.
std::vector<uint32_t> Shown(const FrameRecord& f) {
    std::vector<uint32_t> out;
    const auto tc = f.trueColourPlane();
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const uint8_t i = f.indexPlane()->get(x, y);
            const uint32_t p = tc ? tc->get(x, y) : f.effectivePalette()[i].rgb();
            const bool hidden = tc ? (p & kTransparentMarker) != 0 : i == f.transparentIndex;
            out.push_back(f.hasTransparency && hidden ? kShownAsHidden : p & kRgbMask);
        }
    return out;
}

TEST_P(RendererProperties, MakesTheAskedFramesMirroredWithPingPongAndNoneForNone) {
    for (const int n : {2, 3, 5, 6}) {
        for (const int pingPong : {0, 1}) {
            SCOPED_TRACE(std::to_string(n) + (pingPong ? " with PingPong" : ""));
            ChainOwner out(Run(Defaults(n, pingPong)));
            const auto frames = out.frames();
            ExpectCount(frames.size(), n);
            for (FrameRecord* f : frames) {
                ASSERT_EQ(f->width, 40);
                ASSERT_EQ(f->height, 30);
                for (const uint32_t p : Shown(*f)) ASSERT_TRUE(p != kHidden1 && p != kHidden2);
            }
            // Where the dialog offers PingPong: forward, then the same frames back.
            // (Rotor holds its frames beyond the asked ones once at the turning point.)
            if (!pingPong || !offersPingPong || !ExactCount()) continue;
            for (size_t i = frames.size() / 2; i < frames.size(); ++i)
                EXPECT_EQ(Shown(*frames[i]), Shown(*frames[frames.size() - 1 - i])) << i;
        }
    }
    {
        // One asked frame: an effect makes it (Rotor two); a transition may need two.
        ChainOwner one(Run(Defaults(1, 0)));
        const size_t made = one.frames().size(), most = ExactCount() ? 1 : 2;
        EXPECT_TRUE(GetParam().effect ? made == most : made <= most) << made;
    }
    EXPECT_EQ(Run(Defaults(0, 0)), nullptr);
    EXPECT_EQ(Run(Defaults(-3, 1)), nullptr);
    // Nothing without a picture to start from.
    const RegistryEntry* e = FindEntry(GetParam().effect, GetParam().index);
    EXPECT_EQ(e->renderer(nullptr, GetParam().effect ? nullptr : frame2, 3, Defaults(3, 0)),
              nullptr);
}

// Whatever the renderer draws, frame 1 and 2 keep their pixels and palettes, and a final
// run leaves valid palettes and idle counters.
TEST_P(RendererProperties, InputsStayAndTheFinalRunEndsIdle) {
    const auto before = std::tuple(frame1->palette, frame2->palette, gif_test::FramePixels(*frame1),
                                   gif_test::FramePixels(*frame2), frame1->next, frame2->prev);
    for (const int preview : {1, 0}) {
        EffectParams p = Defaults(5, 1);
        p.preview = preview;
        const size_t shownBefore = host.progress().size();
        ChainOwner out(Run(p));
        // Only the final run counts its frames in the status bar.
        const auto shown = host.progress();
        EXPECT_EQ(std::any_of(shown.begin() + long(shownBefore), shown.end(),
                              [](const RecordingHost::Progress& s) {
                                  return s.text.rfind("Calculating Img 1/", 0) == 0;
                              }),
                  !preview);
        ExpectCount(out.frames().size(), 5);
        for (FrameRecord* f : out.frames()) {
            f->WaitForReduction();
            EXPECT_TRUE(preview || f->IsPaletteValid());
        }
        doc.jobs().WaitIdle();  // the frames' composition jobs end before the frames go
    }
    EXPECT_TRUE(before == std::tuple(frame1->palette, frame2->palette,
                                     gif_test::FramePixels(*frame1), gif_test::FramePixels(*frame2),
                                     frame1->next, frame2->prev));
    const auto counters = doc.notifier.snapshot();
    EXPECT_EQ(counters.calculation.total, 0);
    // Flag's shrinking copy is reduced while the document is busy, which reports nothing.
    if (Name() != "Flag") {
        EXPECT_EQ(counters.reduction.total, 0);
    }
    EXPECT_FALSE(doc.busy.load());
}

// Every field of the block, by name.
std::vector<std::pair<std::string, int32_t*>> Fields(EffectParams& p) {
    std::vector<std::pair<std::string, int32_t*>> out = {{"frameCount", &p.frameCount},
                                                         {"pingPong", &p.pingPong},
                                                         {"colorIndex", &p.colorIndex},
                                                         {"direction", &p.direction},
                                                         {"secondList", &p.secondList}};
    for (int k = 0; k < 5; ++k) out.push_back({"value" + std::to_string(k + 1), &p.value[k]});
    for (int k = 0; k < 4; ++k) out.push_back({"option" + std::to_string(k + 1), &p.option[k]});
    return out;
}

const int32_t kExtremes[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 2, 1 << 30, INT_MAX - 1, INT_MAX};

// The preview recomputes on a list or option click with whatever the fields hold, before
// any validation: a chain of well-formed frames or none, never a crash, hang or stray
// write (the sanitizer build checks the last).
TEST_P(RendererProperties, PreviewTakesEveryFieldAtTheEndsOfItsRange) {
    EffectPreview preview(doc);
    ASSERT_EQ(preview.PrepareSources(frame1, 180, 140), 0);
    const EffectParams defaults = Defaults(6, 0);
    EffectParams block = defaults;
    for (size_t f = 0; f < Fields(block).size(); ++f) {
        for (const int32_t v : kExtremes) {
            block = defaults;
            block.colorIndex = 0;
            const auto [name, field] = Fields(block)[f];
            *field = v;
            SCOPED_TRACE(name + "=" + std::to_string(v));
            int count = 0;
            for (FrameRecord* frame = preview.Compute(block, true); frame; frame = frame->next) {
                ++count;
                ASSERT_EQ(frame->indexPlane()->width, frame->width);
                ASSERT_EQ(frame->indexPlane()->height, frame->height);
                if (const auto tc = frame->trueColourPlane()) {
                    ASSERT_EQ(tc->width, frame->width);
                    ASSERT_EQ(tc->height, frame->height);
                }
            }
            preview.Discard();
            // No frames for no count, and none for counts no memory holds.
            if (block.frameCount < 1 || block.frameCount >= (1 << 30)) {
                EXPECT_EQ(count, 0);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, RendererProperties, testing::ValuesIn(AllEntries()),
                         [](const auto& info) { return TestName(info.param); });

}  // namespace
