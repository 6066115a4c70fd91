// Setup of the entries that cover the image in stripes, cells and grids: blind,
// fringe, pixelize, random rectangles, random shine, spiral, rotor and spot.
#include <cmath>
#include <cstdio>
#include <string>

#include "effects/EffectSetup.h"
#include "effects/ParameterForm.h"

namespace {
constexpr FormControl kFrames = FormControl::FrameCount;
constexpr FormControl kEdit1 = FormControl::Edit1;

constexpr EffectField kBlindHeight =
    NumberField("blind-height", "Blind Height", 1, 10, 1, 0, UpperLimit::PictureHeight);
constexpr EffectField kFringeWidth =
    NumberField("fringe-width", "Width of fringe", 1, 1, 0, 0, UpperLimit::HalfPictureWidth);
constexpr const char* kFringeLines[] = {"Top/Bottom", "Left/Right"};
constexpr EffectField kFringeSides = ChoiceField("sides", nullptr, 1, kFringeLines);
// The grid needs at least one rectangle a row and a column; the count against the
// frames is checked together.
constexpr EffectField kRectsPerRow = NumberField("rects-per-row", "Rects per row", 1, 10, 1);
constexpr EffectField kRectsPerColumn =
    NumberField("rects-per-column", "Rects per column", 2, 10, 1);
constexpr EffectField kSpotRadius = NumberField("radius", "Radius in %", 1, 20, 0, 49);
constexpr const char* kSpotLines[] = {"Simple circle",
                                      "loop (sin 2t , cos t)",
                                      "double loop (sin t , cos 3t)",
                                      "butterfly (sin 2t , cos 3t)",
                                      "atomium (sin 4t , cos 3t)",
                                      "multicircle1 (sin 2t cos t , cos 3t)",
                                      "multicircle2 (sin t cos 2t , cos 3t)"};

constexpr EffectField kBlindEffect[] = {kBlindHeight, kColourField};
constexpr EffectField kBlindTransition[] = {kBlindHeight};
constexpr EffectField kFringeEffect[] = {
    kFringeWidth, kFringeSides, kColourField,
    SwitchField("transparent-fringes", "Transparent Fringes", 1, false)};
constexpr EffectField kFringeTransition[] = {kFringeWidth, kFringeSides};
constexpr EffectField kRandomRects[] = {kRectsPerRow, kRectsPerColumn};
constexpr EffectField kColourOnly[] = {kColourField};
constexpr EffectField kSpotEffect[] = {
    kSpotRadius, ChoiceField("movement", "Predefined Movements", 1, kSpotLines), kColourField};
// The transition's list keeps its unlabelled text.
constexpr EffectField kSpotTransition[] = {kSpotRadius,
                                           ChoiceField("movement", nullptr, 1, kSpotLines)};

void PingPongKept(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, form.pingPong);
}

std::string Format(const char* format, int a, int b = 0) {
    char text[512];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

int ValidateBlind(ParameterForm& form) {
    if (!form.InRange(kBlindHeight)) {
        return form.Reject(
            Format("Valid values for Blind height : 2-%d(picture height)", form.imageHeight),
            kEdit1, kEdit1);
    }
    return 1;
}

int ValidateFringeWidth(ParameterForm& form) {
    if (!form.InRange(kFringeWidth)) {
        const int half = RangeOf(kFringeWidth, form.imageWidth, form.imageHeight).max;
        return form.Reject(
            Format("Width of fringe must be between 0 and half-width of image (=%d)", half), kEdit1,
            kEdit1);
    }
    return 1;
}

int ValidateSpot(ParameterForm& form) {
    if (form.InRange(kSpotRadius)) return 1;
    // A negative radius is refused for what it is, not for being too large.
    if (form.EditValue(1) < 0) return form.Reject("Radius must not be negative", kEdit1, kEdit1);
    return form.Reject("Radius must be smaller than 50 %", kEdit1, kEdit1);
}

// Rounds by adding 0.5 and truncating, as the grid check counts cells.
int RoundHalfUp(double v) {
    return int(v + 0.5);
}

}  // namespace

constinit const FieldList kBlindEffectFields{kBlindEffect};
constinit const FieldList kBlindTransitionFields{kBlindTransition};
constinit const FieldList kFringeEffectFields{kFringeEffect};
constinit const FieldList kFringeTransitionFields{kFringeTransition};
constinit const FieldList kRandomRectsFields{kRandomRects};
constinit const FieldList kRandomShineEffectFields{kColourOnly};
constinit const FieldList kSpiralEffectFields{kColourOnly};
constinit const FieldList kRotorFields{kColourOnly};
constinit const FieldList kSpotEffectFields{kSpotEffect};
constinit const FieldList kSpotTransitionFields{kSpotTransition};

int SpiralGridCheck(ParameterForm& form) {
    const int n = form.FrameCount();
    const double w = form.imageWidth;
    const double h = form.imageHeight;
    if (n < 1 || w < 1 || h < 1) return 1;  // the frame count check speaks for itself
    // A frame narrower than sqrt(N) would give cells of width 0; one pixel is the least.
    int a = RoundHalfUp(w / std::sqrt(double(n)));
    if (a < 1) a = 1;
    int columns = RoundHalfUp(w / a);
    int b = RoundHalfUp(a * h / w);
    if (b < 1) b = 1;
    int rows = RoundHalfUp(h / b);
    if (n == columns * rows) return 1;
    if (n < columns * rows) {
        columns -= 1;
        rows -= 1;
    }
    const int cells = columns * rows;
    if (cells < 1) return 1;  // no grid to offer
    char text[512];
    std::snprintf(
        text, sizeof text,
        "For a %d x %d spiral grid only %d frames are necessary.\nUse %d frames instead of %d ?",
        columns, rows, cells, cells, n);
    const Answer answer =
        form.Ask(text, "Spiral grid doesn't correspond to Nr. of Frames", Buttons::YesNoCancel);
    if (answer == Answer::Cancel) return 0;
    if (answer == Answer::Yes) form.frameCountText = std::to_string(cells);
    return 1;
}

int SetupBlindEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Images will be covered by the selected Color as if closing a blind.");
        PingPongKept(form);
        form.ShowFields(kBlindEffectFields);
    } else if (mode == kSetupValidate) {
        return ValidateBlind(form);
    }
    return 1;
}

int SetupBlindTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription(
            "First image will be covered by the second image as if closing a blind.");
        PingPongKept(form);
        form.ShowFields(kBlindTransitionFields);
    } else if (mode == kSetupValidate) {
        return ValidateBlind(form);
    }
    return 1;
}

int SetupFringeEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Overlays the first image with fringes in the selected color.");
        PingPongKept(form);
        form.ShowFields(kFringeEffectFields);
    } else if (mode == kSetupValidate) {
        return ValidateFringeWidth(form);
    } else if (mode == kSetupOptionClicked) {
        // Transparent fringes need no colour.
        form.EnableColour(!form.Checked(1));
    }
    return 1;
}

int SetupFringeTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Overlays the first image with fringes of the second.");
        PingPongKept(form);
        form.ShowFields(kFringeTransitionFields);
    } else if (mode == kSetupValidate) {
        if (!ValidateFringeWidth(form)) return 0;
        return RequireTwoFrames(form);
    }
    return 1;
}

int SetupPixelizeEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Increases the pixel size by averaging over nearby colors.");
        PingPongKept(form);
    } else if (mode == kSetupValidate) {
        if (form.pingPong && form.FrameCount() < 2)
            return form.Reject("Number of Frames must be larger than 2 for use of PingPong",
                               kFrames, kFrames);
    }
    return 1;
}

int SetupPixelizeTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription(
            "Increases the pixel size by averaging over nearby colors, then decreases them "
            "resulting in "
            "the 2nd image.");
    } else if (mode == kSetupValidate) {
        return RequireTwoFrames(form);
    }
    return 1;
}

int SetupRandomRects(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Randomly positiones Rectangles of the 2nd image over the 1st.");
        PingPongKept(form);
        form.ShowFields(kRandomRectsFields);
    } else if (mode == kSetupValidate) {
        const long long product = (long long)form.EditValue(1) * form.EditValue(2);
        const int frames = form.FrameCount();
        if (product < frames) {
            return form.Reject(Format("Number of Frames (=%d) must be smaller than Number of Rects "
                                      "(=columns*rows=%d)",
                                      frames, int(product)),
                               kFrames, kFrames);
        }
    }
    return 1;
}

int SetupRandomShineEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Image turns to selected Color - random pixel by random pixel.");
        form.ShowFields(kRandomShineEffectFields);
        PingPongKept(form);
    }
    return 1;
}

int SetupRandomShineTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Second images shines through first image at random positions.");
        PingPongKept(form);
    }
    return 1;
}

int SetupSpiralEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Image will be overlayed by a rectangular Spiral .");
        PingPongKept(form);
        form.ShowFields(kSpiralEffectFields);
    } else if (mode == kSetupValidate) {
        return SpiralGridCheck(form);
    }
    return 1;
}

int SetupSpiralTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Spirals first image onto second.");
        PingPongKept(form);
    } else if (mode == kSetupValidate) {
        return SpiralGridCheck(form);
    }
    return 1;
}

int SetupRotorEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Linewise rotation of the image.");
        form.ShowFields(kRotorFields);
        PingPongKept(form);
    }
    return 1;
}

int SetupRotorTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Linewise rotates the first image into the second one.");
        form.ShowFields(kRotorFields);
        PingPongKept(form);
    }
    return 1;
}

int SetupSpotEffect(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Spot lighting up parts of the Image.");
        form.ShowFields(kSpotEffectFields);
    } else if (mode == kSetupValidate) {
        return ValidateSpot(form);
    }
    return 1;
}

int SetupSpotTransition(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Spot lighting up parts of the 1st Image by revealing the 2nd Image.");
        form.ShowFields(kSpotTransitionFields);
    } else if (mode == kSetupValidate) {
        return ValidateSpot(form);
    }
    return 1;
}
