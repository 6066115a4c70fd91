#pragma once

#include <functional>
#include <string>

#include "effects/EffectParams.h"
#include "effects/EffectRegistry.h"
#include "effects/ParameterForm.h"

class FrameRecord;

// The logic of the "Select Effect/Transition" dialog over the parameter form: opening
// from the block, switching entries and modes, the list/option/PingPong reactions, the
// frame-count checks, OK and Cancel. The Qt dialog drives it from its widgets; the
// command-line tool drives it from its options.
class EffectSelection {
  public:
    EffectSelection(Host& host, EffectSession& session);

    // Dialog initialisation for `selected` (its successor decides about transitions).
    void Open(FrameRecord* selected);

    std::string title = "Select Effect/Transition";
    ParameterForm form;
    bool effectMode() const { return session_.block.isEffect != 0; }
    int effectSelection() const { return session_.block.effectIndex; }
    int transitionSelection() const { return session_.block.transitionIndex; }
    const RegistryEntry& currentEntry() const;
    int dialogColour() const { return session_.dialogColour; }

    // List selections; the parameter area follows when the list's mode is shown.
    void SelectEffect(int index);
    void SelectTransition(int index);
    // Radio buttons. ChooseTransitionMode refuses (message 2002) without a second image.
    void ChooseEffectMode();
    bool ChooseTransitionMode();
    // Parameter controls. Each returns true when the preview should be recomputed.
    bool ListChanged(int list, int line);
    bool OptionClicked(int option, bool checked);
    // False (with its message) when PingPong cannot be switched on.
    bool PingPongClicked(bool checked);
    // The colour chooser returned a colour; false while the entry uses no colour.
    bool ChooseColour(int index);
    // Takes "Number of Frames" as the accepted count; on a value below 1 (below 2 with
    // PingPong) or one whose frames cannot fit in memory shows the message and puts the
    // last accepted value back.
    bool AcceptFrameCount();
    // The 500 ms pause after typing: checks "Number of Frames" (putting the last value
    // back on failure) and validates. True when the preview should be recomputed.
    bool EditsSettled();

    // A fresh block as OK would write it, for the preview (preview = 1).
    EffectParams PreviewBlock(int fixedPreviewFrames = 0) const;
    // Asks about an effect colour that is the frame's transparent colour; true goes on.
    // Unset, the host asks with Ok/Cancel (the editor shows its warning with the
    // don't-show-again box instead).
    std::function<bool()> confirmTransparentColour;

    // OK: every check, then the block is written. False keeps the dialog open.
    bool Ok();
    // Cancel: restores what opening saved.
    void Cancel();

  private:
    void ConfigureCurrent();
    // False (with its message) when `frames` frames of the selected frame's size cannot
    // be held in memory.
    bool FrameCountFits(int frames);
    void WriteControls(EffectParams& block) const;

    EffectSession& session_;
    FrameRecord* selected_ = nullptr;
    // Saved for Cancel.
    int32_t savedPingPong_ = 0, savedIsEffect_ = 0, savedEffect_ = 0, savedTransition_ = 0;
    int lastEffectSelection_ = -1, lastTransitionSelection_ = -1;
};

// Message texts of the string table.
extern const char* const kMessage2000;
extern const char* const kMessage2001;
extern const char* const kMessage2002;
extern const char* const kMessage2003;
extern const char* const kMessage2004;
