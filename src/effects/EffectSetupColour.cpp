// Setup of the entries that change colours in place: blur, emboss, fades, blendings,
// invert, overblend, and the two texture effects.
#include "effects/EffectSetup.h"
#include "effects/ParameterForm.h"

namespace {
constexpr FormControl kFrames = FormControl::FrameCount;
constexpr FormControl kEdit1 = FormControl::Edit1;
constexpr FormControl kEdit2 = FormControl::Edit2;

// Colour entries without PingPong mirror offer the box unchecked.
void PingPongOff(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, false);
}
void PingPongKept(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, form.pingPong);
}
}  // namespace

int RequireTwoFrames(ParameterForm& form) {
    if (form.FrameCount() < 2)
        return form.Reject("At least two frames are required for this transition !", kFrames,
                           kFrames);
    return 1;
}

int SetupBlur(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Blurs the image(s)");
        form.EnableEdit(1, "Strength(0-100)", "20");
    } else if (mode == kSetupValidate) {
        const int strength = form.EditValue(1);
        if (strength < 0 || strength > 100)
            return form.Reject("Valid values for Strength : 0-100", kEdit1, kEdit1);
        if (form.transitionMode) return RequireTwoFrames(form);
    }
    return 1;
}

int SetupEmboss(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Embosses (in work - best with grayscale images).");
        form.EnableEdit(1, "Strength(0-100)", "20");
        form.EnableEdit(2, "Bias(0-255)", "128");
    } else if (mode == kSetupValidate) {
        const int strength = form.EditValue(1);
        if (strength < 0 || strength > 100)
            return form.Reject("Valid values for Strength : 0-100", kEdit1, kEdit1);
        const int bias = form.EditValue(2);
        if (bias < 0 || bias > 255)
            return form.Reject("Valid values for Bias : 0-255", kEdit2, kEdit2);
        if (form.transitionMode) return RequireTwoFrames(form);
    }
    return 1;
}

int SetupFadeOut(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Performs a 'Fade out' into the selected Color.");
        form.EnableColour(true);
        PingPongOff(form);
    } else if (mode == kSetupValidate && form.transitionMode) {
        return RequireTwoFrames(form);
    }
    return 1;
}

int SetupFade(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Performs a 'Fade out' of Image 1 into Image 2.");
        PingPongOff(form);
    } else if (mode == kSetupValidate && form.transitionMode) {
        return RequireTwoFrames(form);
    }
    return 1;
}

int SetupColorBlendingOut(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Performs a color blending into the selected Color.");
        form.EnableColour(true);
        form.EnableCheck(1, "Dark to Light", true);
        PingPongOff(form);
    }
    return 1;
}

int SetupColorBlending(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Performs a color blending from Image 1 into Image 2 or vice versa.");
        form.EnableCheck(1, "Dark to Light", true);
        form.EnableCheck(2, "Blend Out", true);
        PingPongOff(form);
    }
    return 1;
}

int SetupInvert(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Inverts Image (making it look like a photo-negative).");
        form.EnableColour(true);
        PingPongOff(form);
    }
    return 1;
}

int SetupOverblend(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Blends from 1st Image into 2nd Image using the specified Color.");
        form.EnableColour(true);
        PingPongOff(form);
    }
    return 1;
}

int SetupCheckers(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Structurizes the image by overlaying Checkers");
        PingPongKept(form);
    }
    return 1;
}

int SetupWeave(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Texturizes the image to look like coarse weaved cloth.");
        PingPongKept(form);
    }
    return 1;
}
