#include "effects/Apply.h"

#include <cstdio>
#include <new>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "effects/EffectRegistry.h"
#include "effects/EffectSelection.h"
#include "effects/RendererRun.h"
#include "effects/RendererSkeletons.h"
#include "host/Host.h"

bool TransitionPossible(const AnimationDocument& doc) {
    const FrameRecord* selected = doc.selectedFrame;
    if (doc.empty() || !selected || !selected->next) return false;
    const FrameRecord& s = *selected->next;
    return s.left == selected->left && s.top == selected->top && s.width == selected->width &&
           s.height == selected->height;
}

ApplyResult RunEffectCommand(AnimationDocument& doc, EffectSession& session,
                             const EffectDialogRunner& dialog,
                             const std::function<void()>& stopPlayback) {
    session.block.isEffect = 1;
    return Apply(doc, session, dialog, stopPlayback);
}

ApplyResult RunTransitionCommand(AnimationDocument& doc, EffectSession& session,
                                 const EffectDialogRunner& dialog,
                                 const std::function<void()>& stopPlayback) {
    if (!TransitionPossible(doc)) return ApplyResult::Refused;
    session.block.isEffect = 0;
    return Apply(doc, session, dialog, stopPlayback);
}

std::string NextGroupLabel(const AnimationDocument& doc, bool effect, const char* name) {
    char label[160];
    if (effect)
        std::snprintf(label, sizeof label, "Effect %d: %s", int(doc.groups.effects.size()) + 1,
                      name);
    else
        std::snprintf(label, sizeof label, "Trans %d: %s", int(doc.groups.transitions.size()) + 1,
                      name);
    return label;
}

namespace {
// Splices the chain in as the next group of its kind. Running out of memory for the
// labels discards the chain and leaves the document as it was.
ApplyResult InsertGroup(AnimationDocument& doc, const RegistryEntry& entry, bool effect,
                        FrameRecord* chain) {
    std::vector<FrameRun>& groups = effect ? doc.groups.effects : doc.groups.transitions;
    std::string name, label;
    try {
        name = entry.name;
        label = NextGroupLabel(doc, effect, entry.name);
        groups.reserve(groups.size() + 1);
    } catch (const std::bad_alloc&) {
        DiscardChain(chain);  // its reductions were started: they count as dropped
        doc.host.message(kMessage2004, "Error", MessageIcon::Error);
        return ApplyResult::Failed;
    }
    FrameRecord* last = LastOfChain(chain);
    InsertChainAfterSelection(doc, chain, label, [&name](int i, int n) {
        char text[160];
        std::snprintf(text, sizeof text, "Gif :%s (%d/%d)", name.c_str(), i, n);
        return std::string(text);
    });
    groups.push_back(FrameRun{chain, last});
    return ApplyResult::Inserted;
}
}  // namespace

ApplyResult Apply(AnimationDocument& doc, EffectSession& session, const EffectDialogRunner& dialog,
                  const std::function<void()>& stopPlayback) {
    Host& host = doc.host;
    if (doc.empty()) {
        host.message(kMessage2000, "Warning", MessageIcon::Exclamation);
        return ApplyResult::Refused;
    }
    FrameRecord* selected = doc.selectedFrame;
    if (!selected) {
        host.message("No Gif associated with selection", "Bug", MessageIcon::Error);
        return ApplyResult::Refused;
    }
    if (stopPlayback) stopPlayback();
    if (!doc.selectedItem || !doc.selectedItem->isFrameEntry()) {
        host.message(kMessage2001, "Warning", MessageIcon::Exclamation);
        return ApplyResult::Refused;
    }
    EffectParams& block = session.block;
    block.noSecondImage = selected->next ? 0 : 1;
    if (!dialog || !dialog(session)) return ApplyResult::Cancelled;

    doc.MarkChanged();
    const bool effect = block.isEffect != 0;
    const RegistryEntry* entry =
        FindEntry(effect, effect ? block.effectIndex : block.transitionIndex);
    FrameRecord* second = effect ? nullptr : selected->next;
    FrameRecord* chain = nullptr;
    if (entry && (effect || second)) {
        WaitCursor wait(host);
        block.preview = 0;
        chain = RunRenderer(*entry, selected, second, block.frameCount, block);
        GiveSelectedColourAnEntry(chain, block.colorIndex);
    }
    if (!chain) {
        host.message(kMessage2004, "Error", MessageIcon::Error);
        return ApplyResult::Failed;
    }
    return InsertGroup(doc, *entry, effect, chain);
}
