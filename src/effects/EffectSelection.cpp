#include "effects/EffectSelection.h"

#include <cstdio>
#include <string>

#include "document/FrameRecord.h"
#include "effects/RendererRun.h"

const char* const kMessage2000 =
    "Please load a Gif file prior to applying an Effect/Transition\nor starting an animation.";
const char* const kMessage2001 =
    "Please select an image file prior to applying an Effect/Transition.";
const char* const kMessage2002 =
    "Transitions can only be performed between the selected Image and its successor.";
const char* const kMessage2003 = "Select Effect - (Transition not possible -> no second image)";
const char* const kMessage2004 = "An Error occured while calculating the last animation :-(";

namespace {
constexpr const char* kTransparentWarning =
    "The color selected for the effect/transition is the transparent color, this may result in "
    "effects "
    "without a visible change.\nContinue ?";
}  // namespace

EffectSelection::EffectSelection(Host& host, EffectSession& session)
    : form(host), session_(session) {}

const RegistryEntry& EffectSelection::currentEntry() const {
    const EffectParams& b = session_.block;
    const RegistryEntry* entry =
        FindEntry(b.isEffect != 0, b.isEffect ? b.effectIndex : b.transitionIndex);
    return entry ? *entry : EffectTable()[0];
}

void EffectSelection::ConfigureCurrent() {
    form.Reset();
    form.transitionMode = !effectMode();
    currentEntry().setup(form, kSetupConfigure);
}

void EffectSelection::Open(FrameRecord* selected) {
    EffectParams& b = session_.block;
    selected_ = selected;
    title = "Select Effect/Transition";
    if (b.noSecondImage) {
        title = kMessage2003;
        b.isEffect = 1;
    }
    if (selected && selected->next) {
        const FrameRecord& s = *selected->next;
        if (s.left != selected->left || s.top != selected->top || s.width != selected->width ||
            s.height != selected->height) {
            title = "Size of second Image doesn't match";
            b.isEffect = 1;
            b.noSecondImage = 1;
        }
    }
    savedPingPong_ = b.pingPong;
    savedIsEffect_ = b.isEffect;
    savedTransition_ = b.transitionIndex;
    savedEffect_ = b.effectIndex;
    lastEffectSelection_ = lastTransitionSelection_ = -1;
    if (b.effectIndex < 0 || b.effectIndex >= kEffectCount) b.effectIndex = 0;
    if (b.transitionIndex < 0 || b.transitionIndex >= kTransitionCount) b.transitionIndex = 0;
    form.imageWidth = selected ? selected->width : 0;
    form.imageHeight = selected ? selected->height : 0;
    form.pingPong = b.pingPong != 0;
    ConfigureCurrent();
    form.frameCountText = std::to_string(b.frameCount);
}

void EffectSelection::SelectEffect(int index) {
    if (index < 0 || index >= kEffectCount || index == lastEffectSelection_) return;
    session_.block.effectIndex = index;
    lastEffectSelection_ = index;
    if (effectMode()) ConfigureCurrent();
}

void EffectSelection::SelectTransition(int index) {
    if (index < 0 || index >= kTransitionCount || index == lastTransitionSelection_) return;
    if (session_.block.noSecondImage) return;
    session_.block.transitionIndex = index;
    lastTransitionSelection_ = index;
    if (!effectMode()) ConfigureCurrent();
}

void EffectSelection::ChooseEffectMode() {
    if (effectMode()) return;
    currentEntry().setup(form, kSetupLeave);
    session_.block.isEffect = 1;
    ConfigureCurrent();
}

bool EffectSelection::ChooseTransitionMode() {
    if (session_.block.noSecondImage) {
        form.host.message(kMessage2002, "Warning", MessageIcon::Exclamation);
        return false;
    }
    if (effectMode()) {
        currentEntry().setup(form, kSetupLeave);
        session_.block.isEffect = 0;
        ConfigureCurrent();
    }
    return true;
}

bool EffectSelection::ListChanged(int list, int line) {
    if (list < 1 || list > 2) return false;
    const ParameterForm::ListSlot& slot = form.lists[size_t(list - 1)];
    if (!slot.enabled || line < 0 || line >= int(slot.lines.size())) return false;
    form.SelectListLine(list, line);
    session_.block.lastSelection = line;
    currentEntry().setup(form, kSetupListChanged);
    return true;
}

bool EffectSelection::OptionClicked(int option, bool checked) {
    if (option < 1 || option > 4 || !form.checks[size_t(option - 1)].enabled) return false;
    form.checks[size_t(option - 1)].checked = checked;
    currentEntry().setup(form, kSetupOptionClicked);
    return true;
}

bool EffectSelection::PingPongClicked(bool checked) {
    if (checked && session_.block.frameCount < 2) {
        form.host.message("PingPong requires at least two frames.", "Invalid Parameter",
                          MessageIcon::Exclamation);
        form.pingPong = false;
        return false;
    }
    form.pingPong = checked;
    return true;
}

bool EffectSelection::ChooseColour(int index) {
    if (!form.colourUsed || index < 0 || index > 255) return false;
    session_.dialogColour = index;
    return true;
}

bool EffectSelection::EditsSettled() {
    if (!AcceptFrameCount()) return false;
    return currentEntry().setup(form, kSetupValidate) != 0;
}

bool EffectSelection::FrameCountFits(int frames) {
    if (!selected_ || OutputChainFits(*selected_, frames)) return true;
    char text[200];
    std::snprintf(text, sizeof text,
                  "%d frames of %d x %d pixels do not fit into memory.\nPlease choose fewer "
                  "frames.",
                  frames, selected_->width, selected_->height);
    form.Reject(text, FormControl::FrameCount, FormControl::FrameCount, "Invalid Parameter");
    return false;
}

bool EffectSelection::AcceptFrameCount() {
    const int frames = form.FrameCount();
    if (frames < 1 || (frames < 2 && form.pingPong)) {
        form.Reject(form.pingPong
                        ? "Number of Frames must be larger than one if PingPong is selected !"
                        : "Number of Frames must be larger than Zero !",
                    FormControl::FrameCount, FormControl::FrameCount, "Invalid Parameter");
        form.frameCountText = std::to_string(session_.block.frameCount);
        return false;
    }
    if (!FrameCountFits(frames)) {
        form.frameCountText = std::to_string(session_.block.frameCount);
        return false;
    }
    session_.block.frameCount = frames;
    return true;
}

void EffectSelection::WriteControls(EffectParams& b) const {
    for (int i = 0; i < 5; ++i) b.value[i] = form.EditValue(i + 1);
    for (int i = 0; i < 4; ++i) b.option[i] = form.checks[size_t(i)].checked ? 1 : 0;
    b.colorIndex = session_.dialogColour;
    b.direction = form.lists[0].selection < 0 ? 0 : form.lists[0].selection;
    b.secondList = form.lists[1].selection < 0 ? 0 : form.lists[1].selection;
    b.pingPong = form.pingPong ? 1 : 0;
}

EffectParams EffectSelection::PreviewBlock(int fixedPreviewFrames) const {
    EffectParams b = session_.block;
    b.frameCount = fixedPreviewFrames > 0 ? fixedPreviewFrames : form.FrameCount();
    WriteControls(b);
    b.preview = 1;
    return b;
}

bool EffectSelection::Ok() {
    const int frames = form.FrameCount();
    if (frames < 1) {
        form.Reject("Number of Frames must be larger than Zero !", FormControl::FrameCount,
                    FormControl::FrameCount, "Invalid Parameter");
        return false;
    }
    if (!FrameCountFits(frames)) return false;
    session_.block.frameCount = frames;
    if (!currentEntry().setup(form, kSetupValidate)) return false;
    // The spiral check may have offered a smaller number of frames.
    session_.block.frameCount = form.FrameCount();
    if (form.colourEnabled && selected_ && selected_->hasTransparency &&
        selected_->transparentIndex == uint32_t(session_.dialogColour)) {
        const bool goOn = confirmTransparentColour
                              ? confirmTransparentColour()
                              : form.host.ask(kTransparentWarning, "Warning", Buttons::OkCancel,
                                              MessageIcon::Information) == Answer::Ok;
        if (!goOn) return false;
    }
    WriteControls(session_.block);
    session_.block.preview = 0;
    return true;
}

void EffectSelection::Cancel() {
    currentEntry().setup(form, kSetupLeave);
    EffectParams& b = session_.block;
    b.pingPong = savedPingPong_;
    b.isEffect = savedIsEffect_;
    b.transitionIndex = savedTransition_;
    b.effectIndex = savedEffect_;
}
