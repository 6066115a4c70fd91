// Setup of the entries that change colours in place: blur, emboss, fades, blendings,
// invert, overblend, and the two texture effects.
#include "effects/EffectSetup.h"
#include "effects/ParameterForm.h"

namespace {
constexpr FormControl kFrames = FormControl::FrameCount;
constexpr FormControl kEdit1 = FormControl::Edit1;
constexpr FormControl kEdit2 = FormControl::Edit2;

constexpr EffectField kStrength = NumberField("strength", "Strength(0-100)", 1, 20, 0, 100);
constexpr EffectField kBias = NumberField("bias", "Bias(0-255)", 2, 128, 0, 255);
constexpr EffectField kDarkToLight = SwitchField("dark-to-light", "Dark to Light", 1, true);

constexpr EffectField kBlur[] = {kStrength};
constexpr EffectField kEmboss[] = {kStrength, kBias};
constexpr EffectField kColourOnly[] = {kColourField};
constexpr EffectField kColorBlendingOut[] = {kColourField, kDarkToLight};
constexpr EffectField kColorBlending[] = {kDarkToLight,
                                          SwitchField("blend-out", "Blend Out", 2, true)};

// Colour entries without PingPong mirror offer the box unchecked.
void PingPongOff(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, false);
}
void PingPongKept(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, form.pingPong);
}
}  // namespace

constinit const FieldList kBlurFields{kBlur};
constinit const FieldList kEmbossFields{kEmboss};
constinit const FieldList kFadeOutFields{kColourOnly};
constinit const FieldList kColorBlendingOutFields{kColorBlendingOut};
constinit const FieldList kColorBlendingFields{kColorBlending};
constinit const FieldList kInvertFields{kColourOnly};
constinit const FieldList kOverblendFields{kColourOnly};

int RequireTwoFrames(ParameterForm& form) {
    if (form.FrameCount() < 2)
        return form.Reject("At least two frames are required for this transition !", kFrames,
                           kFrames);
    return 1;
}

int SetupBlur(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Blurs the image(s)");
        form.ShowFields(kBlurFields);
    } else if (mode == kSetupValidate) {
        if (!form.InRange(kStrength))
            return form.Reject("Valid values for Strength : 0-100", kEdit1, kEdit1);
        if (form.transitionMode) return RequireTwoFrames(form);
    }
    return 1;
}

int SetupEmboss(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Embosses (in work - best with grayscale images).");
        form.ShowFields(kEmbossFields);
    } else if (mode == kSetupValidate) {
        if (!form.InRange(kStrength))
            return form.Reject("Valid values for Strength : 0-100", kEdit1, kEdit1);
        if (!form.InRange(kBias))
            return form.Reject("Valid values for Bias : 0-255", kEdit2, kEdit2);
        if (form.transitionMode) return RequireTwoFrames(form);
    }
    return 1;
}

int SetupFadeOut(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Performs a 'Fade out' into the selected Color.");
        form.ShowFields(kFadeOutFields);
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
        form.ShowFields(kColorBlendingOutFields);
        PingPongOff(form);
    }
    return 1;
}

int SetupColorBlending(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Performs a color blending from Image 1 into Image 2 or vice versa.");
        form.ShowFields(kColorBlendingFields);
        PingPongOff(form);
    }
    return 1;
}

int SetupInvert(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Inverts Image (making it look like a photo-negative).");
        form.ShowFields(kInvertFields);
        PingPongOff(form);
    }
    return 1;
}

int SetupOverblend(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Blends from 1st Image into 2nd Image using the specified Color.");
        form.ShowFields(kOverblendFields);
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
