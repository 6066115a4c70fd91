// Setup of the entries that move or bend the image: flag, frame out/in, move, page,
// radar, roll sphere (with satellite), tilt in, wave and zoom.
#include <cstdio>
#include <string>

#include "effects/EffectSetup.h"
#include "effects/ParameterForm.h"

namespace {
constexpr FormControl kFrames = FormControl::FrameCount;
constexpr FormControl kNoFocus = FormControl::None;
constexpr FormControl kEdit1 = FormControl::Edit1;
constexpr FormControl kEdit2 = FormControl::Edit2;
constexpr FormControl kEdit3 = FormControl::Edit3;

constexpr const char* kImage1Lines[] = {"Center to Top Edge",    "Center to Top-Right Corner",
                                        "Center to Right Edge",  "Center to Bottom-Right Corner",
                                        "Center to Bottom Edge", "Center to Bottom-Left Corner",
                                        "Center to Left Edge",   "Center to Top-Left Corner"};
constexpr const char* kImage2Lines[] = {"Top Edge to Center",    "Top-Right Corner to Center",
                                        "Right Edge to Center",  "Bottom-Right Corner to Center",
                                        "Bottom Edge to Center", "Bottom-Left Corner to Center",
                                        "Left Edge to Center",   "Top-Left Corner to Center"};
constexpr EffectField kDirection1 =
    ChoiceField("direction-1", "Direction of Image 1", 1, kImage1Lines);
constexpr EffectField kDirection2 =
    ChoiceField("direction-2", "Direction of Image 2", 2, kImage2Lines);

constexpr EffectField kFlagHalfWaves =
    NumberField("halfwaves", "Nr. of halfWaves", 1, 4, 0, 0, UpperLimit::BelowPictureWidth);
constexpr EffectField kAmplitude = NumberField("amplitude", "Amplitude in %", 2, 5, 0, 49);

// The defaults are the first preset's.
constexpr EffectField kRollingThickness =
    NumberField("rolling-thickness", "Rolling Thickness", 3, 20, 0);
constexpr const char* kPageLines[] = {"Top-Left to Bottom-Right", "Bottom-Left to Top-Right",
                                      "Bottom-Right to Top-Right"};

constexpr EffectField kRadarStartAngle = NumberField("start-angle", "Start angle", 1, 0);
constexpr EffectField kClockwise = SwitchField("clockwise", "Clockwise", 1, true);
constexpr const char* kRadarLines[] = {"Center", "Top Right Corner", "Top Left Corner",
                                       "Bottom Left Corner", "Bottom Right Corner"};
constexpr EffectField kRadarPosition = ChoiceField("position", "Position", 1, kRadarLines);

constexpr EffectField kRollRadius = NumberField("radius", "Radius [%]", 1, 90, 0);

constexpr EffectField kSphereRadius = NumberField("sphere-radius", "Sphere-Radius [%]", 1, 65, 0);
constexpr EffectField kSatelliteWidth =
    NumberField("satellite-width", "Satellite width [%]", 4, 10, 0, 100);
constexpr EffectField kSatelliteHeight =
    NumberField("satellite-height", "Satellite height [%]", 5, 20, 0, 100);
constexpr const char* kSatelliteLines[] = {
    "Center-Front",      "Top-Left-Front",     "Top-Right-Front",
    "Bottom-Left-Front", "Bottom-Right-Front", "Top-Left-Back",
    "Top-Right-Back",    "Bottom-Left-Back",   "Bottom-Right-Back"};

constexpr EffectField kHalfwaves = NumberField("halfwaves", "Nr. Halfwaves", 1, 3, 0);
constexpr const char* kSideLines[] = {"Left", "Right", "Top", "Bottom"};
constexpr EffectField kSide = ChoiceField("side", "Side", 1, kSideLines);
constexpr EffectField kUpToDown = SwitchField("up-to-down", "Up to Down", 1, true);
constexpr EffectField kLeftSide = SwitchField("left-side", "Left side", 2, true);

constexpr EffectField kRotationAngle = NumberField("rotation-angle", "Rotation Angle", 1, -360);

constexpr EffectField kFlag[] = {kFlagHalfWaves, kAmplitude, kColourField};
constexpr EffectField kColourOnly[] = {kColourField};
constexpr EffectField kMove[] = {kDirection1, kColourField};
constexpr EffectField kMoveImage1[] = {kDirection1};
constexpr EffectField kMoveImage2[] = {kDirection2};
constexpr EffectField kMoveBoth[] = {kDirection1, kDirection2,
                                     SwitchField("image-2-on-top", "2.Image on top", 1, false),
                                     kColourField};
constexpr EffectField kPage[] = {NumberField("start-angle", "Start Angle", 1, 70),
                                 NumberField("angle-increment", "Angle Increment", 2, -50),
                                 kRollingThickness,
                                 ChoiceField("preset", "Predefined", 1, kPageLines)};
constexpr EffectField kRadarEffect[] = {kRadarStartAngle, kClockwise, kColourField, kRadarPosition};
constexpr EffectField kRadarTransition[] = {kRadarStartAngle, kClockwise, kRadarPosition};
constexpr EffectField kRollSphere[] = {kRollRadius, SwitchField("roll-left", "Roll left", 1, true),
                                       kColourField};
constexpr EffectField kSatellite[] = {
    kSphereRadius,
    NumberField("tilt-angle", "Satellite Tilt Angle", 2, 0),
    NumberField("satellite-angle", "Satellite Angle", 3, 0),
    kSatelliteWidth,
    kSatelliteHeight,
    SwitchField("roll-sphere-left", "Roll Sphere left", 1, true),
    SwitchField("roll-satellite-left", "Roll Satellite left", 2, false),
    SwitchField("roll-sphere", "Roll Sphere", 3, true),
    SwitchField("flat-satellite", "Flat Satellite", 4, false),
    kColourField,
    ChoiceField("start-position", "Start Position", 1, kSatelliteLines)};
constexpr EffectField kTiltInEffect[] = {kHalfwaves, kColourField, kSide};
constexpr EffectField kTiltInTransition[] = {kHalfwaves, kSide};
constexpr EffectField kWaveOut[] = {kHalfwaves, kUpToDown, kLeftSide, kColourField};
constexpr EffectField kWave[] = {kHalfwaves, kUpToDown, kLeftSide,
                                 SwitchField("out", "Out", 3, true)};
constexpr EffectField kZoomOutEffect[] = {kRotationAngle, kColourField};
constexpr EffectField kZoomTransition[] = {kRotationAngle};
}  // namespace

constinit const FieldList kFlagFields{kFlag};
constinit const FieldList kFrameOutFields{kColourOnly};
constinit const FieldList kMoveFields{kMove};
constinit const FieldList kMoveImage1Fields{kMoveImage1};
constinit const FieldList kMoveImage2Fields{kMoveImage2};
constinit const FieldList kMoveBothFields{kMoveBoth};
constinit const FieldList kPageFields{kPage};
constinit const FieldList kRadarEffectFields{kRadarEffect};
constinit const FieldList kRadarTransitionFields{kRadarTransition};
constinit const FieldList kRollSphereFields{kRollSphere};
constinit const FieldList kSatelliteFields{kSatellite};
constinit const FieldList kTiltInEffectFields{kTiltInEffect};
constinit const FieldList kTiltInTransitionFields{kTiltInTransition};
constinit const FieldList kWaveOutFields{kWaveOut};
constinit const FieldList kWaveFields{kWave};
constinit const FieldList kZoomOutEffectFields{kZoomOutEffect};
constinit const FieldList kZoomTransitionFields{kZoomTransition};

namespace {

void PingPongOff(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, false);
}

int RequireTwoFramesFocused(ParameterForm& form) {
    if (form.FrameCount() < 2)
        return form.Reject("At least two frames are required for this transition !", kFrames,
                           kFrames);
    return 1;
}

// --- Page ---
constexpr const char* kPageDescription = "Turns the image away as if turning a page.";
struct PagePreset {
    const char* startAngle;
    const char* increment;
    const char* explanation;
};
constexpr PagePreset kPagePresets[] = {
    {"70", "-50",
     "The Image will be 'picked' on the top left corner and rolled to the bottom right corner"},
    {"160", "-50",
     "The Image will be 'picked' on the bottom left corner and rolled to the top right corner"},
    {"240", "-120",
     "The Image will be 'picked' on the bottom right corner and rolled to the top right corner"},
};

void ApplyPagePreset(ParameterForm& form) {
    const int line = form.ListSelection(1);
    if (line < 0 || line > 2) return;
    const PagePreset& preset = kPagePresets[line];
    form.SetEditText(1, preset.startAngle);
    form.SetEditText(2, preset.increment);
    form.SetEditText(3, "20");
    form.SetDescription("%s\n%s", kPageDescription, preset.explanation);
}

int SetupPage(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("%s", kPageDescription);
        form.ShowFields(kPageFields);
        PingPongOff(form);
        ApplyPagePreset(form);
    } else if (mode == kSetupValidate) {
        if (!form.InRange(kRollingThickness))
            return form.Reject("The 'Rolling Thickness' must be greater or equal to 0.", kEdit3,
                               kNoFocus);
    } else if (mode == kSetupListChanged) {
        ApplyPagePreset(form);
    }
    return 1;
}

// --- Radar ---
int SetupRadar(ParameterForm& form, int mode, bool effect) {
    if (mode == kSetupConfigure) {
        if (effect)
            form.SetDescription("Image will be covered by a 'Radar' in the selected color");
        else
            form.SetDescription("Image will be covered by a 'Radar' of the second image");
        form.ShowFields(effect ? kRadarEffectFields : kRadarTransitionFields);
        PingPongOff(form);
    } else if (mode == kSetupListChanged) {
        // Only a radar turning around the centre has a free start angle.
        if (form.ListSelection(1) == 0)
            form.EnableEdit(1);
        else
            form.DisableEdit(1);
    }
    return 1;
}

// --- Roll sphere ---
constexpr const char* kRadiusSentence =
    "'Radius' is specified in percent of the smaller image's dimension.";

int SetupRollSphere(ParameterForm& form, int mode, const char* firstLine) {
    if (mode == kSetupConfigure) {
        form.SetDescription("%s\n%s", firstLine, kRadiusSentence);
        form.ShowFields(kRollSphereFields);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        if (!form.InRange(kRollRadius))
            return form.Reject("The 'Radius' in percent must be greater or equal to 0.", kEdit1,
                               kNoFocus);
    }
    return 1;
}

void ApplySatellitePosition(ParameterForm& form) {
    static const char* const kPositions[9][2] = {{"0", "0"},     {"50", "60"},    {"-50", "60"},
                                                 {"-50", "-60"}, {"50", "-60"},   {"50", "120"},
                                                 {"-50", "120"}, {"-50", "-120"}, {"50", "-120"}};
    const int line = form.ListSelection(1);
    if (line < 0 || line > 8) return;
    form.SetEditText(2, kPositions[line][0]);
    form.SetEditText(3, kPositions[line][1]);
}

// --- Tilt in and wave ---
int ValidateHalfwaves(ParameterForm& form) {
    if (!form.InRange(kHalfwaves))
        return form.Reject("The 'Nr. Halfwaves' must be greater or equal to 0.", kEdit1, kNoFocus);
    return 1;
}

int SetupTiltIn(ParameterForm& form, int mode, bool effect) {
    if (mode == kSetupConfigure) {
        if (effect)
            form.SetDescription("Tilts in the Image (like a saloon door).");
        else
            form.SetDescription("Tilts in the 2nd Image (like a saloon door).");
        form.ShowFields(effect ? kTiltInEffectFields : kTiltInTransitionFields);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return ValidateHalfwaves(form);
    }
    return 1;
}

int SetupWaveEntry(ParameterForm& form, int mode, bool effect) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Wave (image starts swinging)");
        form.ShowFields(effect ? kWaveOutFields : kWaveFields);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return ValidateHalfwaves(form);
    }
    return 1;
}

int SetupZoom(ParameterForm& form, int mode, const char* description, FieldList fields) {
    if (mode == kSetupConfigure) {
        form.SetDescription("%s", description);
        form.ShowFields(fields);
        PingPongOff(form);
    }
    return 1;
}

}  // namespace

int SetupFlag(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Projects image onto a Flag.");
        form.ShowFields(kFlagFields);
    } else if (mode == kSetupValidate) {
        // The messages and focus follow the dialog as users know it, odd as they read.
        if (form.EditValue(1) < kFlagHalfWaves.min)
            return form.Reject("Amplitude must be > 0", kEdit1, kEdit1);
        if (!form.InRange(kAmplitude))
            return form.Reject("Amplitude must be smaller than 50%", kEdit2, kEdit1);
        if (!form.InRange(kFlagHalfWaves)) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "Number of HalfWaves must be smaller than ImageWidht(=%d)",
                          form.imageWidth);
            return form.Reject(text, kEdit1, kEdit2);
        }
    }
    return 1;
}

int SetupFrameOut(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Removes image by expanding a frame around it.");
        form.ShowFields(kFrameOutFields);
        PingPongOff(form);
    }
    return 1;
}

int SetupFrameOutImage1(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Expands 2nd Image as frame around 1st Image.");
        PingPongOff(form);
    }
    return 1;
}

int SetupFrameInImage2(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Expands 1st Image as frame around 2nd Image.");
        PingPongOff(form);
    }
    return 1;
}

int SetupMove(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves Image into selected direction.");
        form.ShowFields(kMoveFields);
        PingPongOff(form);
    }
    return 1;
}

int SetupMoveImage1(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves 1st Image over fixed 2nd Image into selected direction.");
        form.ShowFields(kMoveImage1Fields);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return RequireTwoFramesFocused(form);
    }
    return 1;
}

int SetupMoveImage2(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves 2nd Image over fixed 1st Image into selected direction.");
        form.ShowFields(kMoveImage2Fields);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return RequireTwoFramesFocused(form);
    }
    return 1;
}

int SetupMoveBoth(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves both Images,with Image 1 on top of Image 2.");
        form.ShowFields(kMoveBothFields);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return RequireTwoFramesFocused(form);
    } else if (mode == kSetupOptionClicked) {
        if (form.Checked(1))
            form.SetDescription("Moves both Images,with Image 2 on top of Image 1.");
        else
            form.SetDescription("Moves both Images,with Image 1 on top of Image 2.");
    }
    return 1;
}

int SetupPageEffect(ParameterForm& form, int mode) {
    return SetupPage(form, mode);
}
int SetupPageTransition(ParameterForm& form, int mode) {
    return SetupPage(form, mode);
}
int SetupRadarEffect(ParameterForm& form, int mode) {
    return SetupRadar(form, mode, true);
}
int SetupRadarTransition(ParameterForm& form, int mode) {
    return SetupRadar(form, mode, false);
}

int SetupRollSphereEffect(ParameterForm& form, int mode) {
    return SetupRollSphere(form, mode, "Projects image onto a rolling Sphere");
}

int SetupRollSphereTransition(ParameterForm& form, int mode) {
    return SetupRollSphere(form, mode, "Projects both images onto a rolling Sphere");
}

int SetupRollSphereSatellite(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription(
            "1.Image = Sphere, 2.Image = Satellite.\n'Radius' is specified in percent of the "
            "smaller image's dimension");
        form.ShowFields(kSatelliteFields);
        PingPongOff(form);
        ApplySatellitePosition(form);
    } else if (mode == kSetupValidate) {
        // Each rejection selects the radius text, whichever value was wrong.
        if (!form.InRange(kSphereRadius))
            return form.Reject("The 'Sphere-Radius' in percent must be greater or equal to 0.",
                               kEdit1, kNoFocus);
        if (!form.InRange(kSatelliteWidth))
            return form.Reject("The 'Ring Image width' in percent must be in range 0 to 100.",
                               kEdit1, kNoFocus);
        if (!form.InRange(kSatelliteHeight))
            return form.Reject("The 'Ring Image height' in percent must be in range 0 to 100.",
                               kEdit1, kNoFocus);
    } else if (mode == kSetupListChanged) {
        ApplySatellitePosition(form);
    }
    return 1;
}

int SetupTiltInEffect(ParameterForm& form, int mode) {
    return SetupTiltIn(form, mode, true);
}
int SetupTiltInTransition(ParameterForm& form, int mode) {
    return SetupTiltIn(form, mode, false);
}
int SetupWaveOut(ParameterForm& form, int mode) {
    return SetupWaveEntry(form, mode, true);
}
int SetupWave(ParameterForm& form, int mode) {
    return SetupWaveEntry(form, mode, false);
}

int SetupZoomOutEffect(ParameterForm& form, int mode) {
    return SetupZoom(form, mode, "Zooms out the 1st Image.", kZoomOutEffectFields);
}
int SetupZoomIn(ParameterForm& form, int mode) {
    return SetupZoom(form, mode, "Zooms in the 2nd Image.", kZoomTransitionFields);
}
int SetupZoomOutTransition(ParameterForm& form, int mode) {
    return SetupZoom(form, mode, "Zooms out the 1st Image.", kZoomTransitionFields);
}
