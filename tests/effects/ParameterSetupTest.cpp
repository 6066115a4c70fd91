// The setup handlers against the abstract form: PingPong, focus, a list that sets fields,
// the spiral grid's count; and every entry's declared ranges against its own check.
#include <gtest/gtest.h>

#include <sstream>

#include "EffectTestSupport.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"
#include "effects/EffectSetup.h"

using namespace effects_test;

namespace {

class SetupTest : public ::testing::Test {
  protected:
    RecordingHost host;
    ParameterForm form{host};

    void Configure(SetupHandler handler, int w = 64, int h = 48, bool transition = false) {
        form.Reset();
        form.imageWidth = w;
        form.imageHeight = h;
        form.transitionMode = transition;
        handler(form, kSetupConfigure);
    }
    // "1=-1 2=5": edit slots and their texts.
    void Type(const char* edits) {
        std::istringstream in(edits);
        std::string one;
        while (in >> one)
            form.edits[size_t(std::stoi(one) - 1)].text = one.substr(one.find('=') + 1);
    }
    // Moved in: assigning a literal trips a false -Wrestrict in GCC 12.
    void Frames(std::string count) { form.frameCountText = std::move(count); }
    std::string LastMessage() const {
        return host.messages().empty() ? std::string() : host.messages().back().text;
    }
};

// The ends of every range pass and one beyond is refused (FieldTableTest); the texts of
// the refusals velmora-cli shows are in EffectCliTest.
TEST_F(SetupTest, PingPongAndWhereTheFocusGoes) {
    Configure(SetupPixelizeEffect);
    form.pingPong = true;
    Frames("1");
    EXPECT_EQ(SetupPixelizeEffect(form, kSetupValidate), 0);
    EXPECT_EQ(LastMessage(), "Number of Frames must be larger than 2 for use of PingPong");
    // Where the focus goes: to the offending field, or to the frame count.
    Configure(SetupEmboss);
    Type("2=256");
    SetupEmboss(form, kSetupValidate);
    EXPECT_EQ(form.focus, FormControl::Edit2);
    Configure(SetupBlur, 40, 30, true);
    Frames("1");
    SetupBlur(form, kSetupValidate);
    EXPECT_EQ(form.focus, FormControl::FrameCount);
}

TEST_F(SetupTest, ListsAndOptionsChangeTheForm) {
    Configure(SetupRollSphereSatellite);
    const char* positions[9][2] = {{"0", "0"},     {"50", "60"},    {"-50", "60"},
                                   {"-50", "-60"}, {"50", "-60"},   {"50", "120"},
                                   {"-50", "120"}, {"-50", "-120"}, {"50", "-120"}};
    for (int line = 0; line < 9; ++line) {
        form.SelectListLine(1, line);
        SetupRollSphereSatellite(form, kSetupListChanged);
        EXPECT_EQ(form.edits[1].text, positions[line][0]);
        EXPECT_EQ(form.edits[2].text, positions[line][1]);
    }
}

TEST_F(SetupTest, SpiralGridOffersTheCountThatFits) {
    form.imageWidth = form.imageHeight = 100;
    Frames("8");  // a = 35, 3 x 3 = 9 > 8 -> 2 x 2
    host.answers = {Answer::Yes};
    EXPECT_EQ(SpiralGridCheck(form), 1);
    EXPECT_EQ(form.frameCountText, "4");
    // A frame narrower than the root of N does not divide by zero.
    form.imageWidth = form.imageHeight = 1;
    Frames("100");
    host.answers = {Answer::No};
    EXPECT_EQ(SpiralGridCheck(form), 1);
}

// --- every entry's field table against the form the dialog shows ---

class FieldTableTest : public RendererTest {
  protected:
    EffectSession session;
    FrameRecord* first = nullptr;

    void SetUp() override {
        // A frame with a successor of its size, so that every transition can be chosen.
        first = owner.add(testing_support::MakeFrame(doc, kWidth, kHeight, {0, 0xFFFFFF}));
        FrameRecord* second =
            owner.add(testing_support::MakeFrame(doc, kWidth, kHeight, {0, 0xFFFFFF}, 1));
        first->next = second;
        second->prev = first;
    }
    // The dialog opened on the first frame with the entry chosen, as a user picks it.
    std::unique_ptr<EffectSelection> Choose(bool effect, int index) {
        auto selection = std::make_unique<EffectSelection>(host, session);
        session.block.isEffect = effect ? 1 : 0;
        selection->Open(first);
        if (effect)
            selection->SelectEffect(index);
        else
            selection->SelectTransition(index);
        return selection;
    }
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
};

// The ends of each declared range pass the entry's own check and one beyond is refused:
// the command line's range and the dialog's agree.
TEST_F(FieldTableTest, TheChecksKeepTheDeclaredRanges) {
    for (const bool effect : {true, false}) {
        for (int i = 0; i < (effect ? kEffectCount : kTransitionCount); ++i) {
            const RegistryEntry& entry = *FindEntry(effect, i);
            for (const EffectField& field : entry.fields) {
                if (field.kind != FieldKind::Number) continue;
                const FieldRange range = RangeOf(field, kWidth, kHeight);
                SCOPED_TRACE(::testing::Message()
                             << entry.name << " --" << field.name << " " << DescribeRange(field));
                EXPECT_LE(range.min, field.defaultValue);
                EXPECT_GE(range.max, field.defaultValue);
                struct Try {
                    long long value;
                    bool accepted;
                };
                std::vector<Try> tries = {{range.min, true}, {range.max, true}};
                if (range.min > kNoLowerLimit) tries.push_back({range.min - 1LL, false});
                if (range.max < kNoUpperLimit) tries.push_back({range.max + 1LL, false});
                for (const Try& t : tries) {
                    const auto selection = Choose(effect, i);
                    const size_t shown = host.messages().size();
                    selection->form.SetEditText(field.slot, std::to_string(t.value));
                    EXPECT_EQ(entry.setup(selection->form, kSetupValidate), t.accepted ? 1 : 0)
                        << t.value;
                    EXPECT_EQ(host.messages().size(), shown + (t.accepted ? 0 : 1)) << t.value;
                }
            }
        }
    }
}

}  // namespace
