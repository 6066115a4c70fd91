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

void PingPongOff(ParameterForm& form) {
    form.EnableCheck(kPingPongSlot, nullptr, false);
}

int RequireTwoFramesFocused(ParameterForm& form) {
    if (form.FrameCount() < 2)
        return form.Reject("At least two frames are required for this transition !", kFrames,
                           kFrames);
    return 1;
}

void AddImage1Directions(ParameterForm& form) {
    for (const char* line :
         {"Center to Top Edge", "Center to Top-Right Corner", "Center to Right Edge",
          "Center to Bottom-Right Corner", "Center to Bottom Edge", "Center to Bottom-Left Corner",
          "Center to Left Edge", "Center to Top-Left Corner"}) {
        form.AddFirstListLine(line);
    }
    form.SetListLabel(1, "Direction of Image 1");
    form.SelectListLine(1, 0);
}

void AddImage2Directions(ParameterForm& form) {
    for (const char* line :
         {"Top Edge to Center", "Top-Right Corner to Center", "Right Edge to Center",
          "Bottom-Right Corner to Center", "Bottom Edge to Center", "Bottom-Left Corner to Center",
          "Left Edge to Center", "Top-Left Corner to Center"}) {
        form.AddSecondListLine(line);
    }
    form.SetListLabel(2, "Direction of Image 2");
    form.SelectListLine(2, 0);
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
        form.EnableEdit(1, "Start Angle");
        form.EnableEdit(2, "Angle Increment");
        form.EnableEdit(3, "Rolling Thickness");
        PingPongOff(form);
        form.SetListLabel(1, "Predefined");
        for (const char* line :
             {"Top-Left to Bottom-Right", "Bottom-Left to Top-Right", "Bottom-Right to Top-Right"})
            form.AddFirstListLine(line);
        form.SelectListLine(1, 0);
        ApplyPagePreset(form);
    } else if (mode == kSetupValidate) {
        if (form.EditValue(3) < 0)
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
        form.EnableEdit(1, "Start angle", "0");
        form.EnableCheck(1, "Clockwise", true);
        if (effect) form.EnableColour(true);
        PingPongOff(form);
        form.SetListLabel(1, "Position");
        for (const char* line : {"Center", "Top Right Corner", "Top Left Corner",
                                 "Bottom Left Corner", "Bottom Right Corner"})
            form.AddFirstListLine(line);
        form.SelectListLine(1, 0);
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
        form.EnableEdit(1, "Radius [%]", "90");
        form.EnableCheck(1, "Roll left", true);
        PingPongOff(form);
        form.EnableColour(true);
    } else if (mode == kSetupValidate) {
        if (form.EditValue(1) < 0)
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
    if (form.EditValue(1) < 0)
        return form.Reject("The 'Nr. Halfwaves' must be greater or equal to 0.", kEdit1, kNoFocus);
    return 1;
}

int SetupTiltIn(ParameterForm& form, int mode, bool effect) {
    if (mode == kSetupConfigure) {
        if (effect)
            form.SetDescription("Tilts in the Image (like a saloon door).");
        else
            form.SetDescription("Tilts in the 2nd Image (like a saloon door).");
        form.EnableEdit(1, "Nr. Halfwaves", "3");
        if (effect) form.EnableColour(true);
        PingPongOff(form);
        form.SetListLabel(1, "Side");
        for (const char* line : {"Left", "Right", "Top", "Bottom"}) form.AddFirstListLine(line);
        form.SelectListLine(1, 0);
    } else if (mode == kSetupValidate) {
        return ValidateHalfwaves(form);
    }
    return 1;
}

int SetupWaveEntry(ParameterForm& form, int mode, bool effect) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Wave (image starts swinging)");
        form.EnableEdit(1, "Nr. Halfwaves", "3");
        form.EnableCheck(1, "Up to Down", true);
        form.EnableCheck(2, "Left side", true);
        if (effect)
            form.EnableColour(true);
        else
            form.EnableCheck(3, "Out", true);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return ValidateHalfwaves(form);
    }
    return 1;
}

int SetupZoom(ParameterForm& form, int mode, const char* description, bool colour) {
    if (mode == kSetupConfigure) {
        form.SetDescription("%s", description);
        form.EnableEdit(1, "Rotation Angle", "-360");
        if (colour) form.EnableColour(true);
        PingPongOff(form);
    }
    return 1;
}

}  // namespace

int SetupFlag(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Projects image onto a Flag.");
        form.EnableEdit(1, "Nr. of halfWaves", "4");
        form.EnableEdit(2, "Amplitude in %", "5");
        form.EnableColour(true);
    } else if (mode == kSetupValidate) {
        // The messages and focus follow the dialog as users know it, odd as they read.
        if (form.EditValue(1) < 0) return form.Reject("Amplitude must be > 0", kEdit1, kEdit1);
        if (form.EditValue(2) < 0 || form.EditValue(2) >= 50) {
            char text[64];
            std::snprintf(text, sizeof text, "Amplitude must be smaller than 50%%");
            return form.Reject(text, kEdit2, kEdit1);
        }
        if (form.EditValue(1) >= form.imageWidth) {
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
        form.EnableColour(true);
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
        form.EnableColour(true);
        AddImage1Directions(form);
        PingPongOff(form);
    }
    return 1;
}

int SetupMoveImage1(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves 1st Image over fixed 2nd Image into selected direction.");
        AddImage1Directions(form);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return RequireTwoFramesFocused(form);
    }
    return 1;
}

int SetupMoveImage2(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves 2nd Image over fixed 1st Image into selected direction.");
        AddImage2Directions(form);
        PingPongOff(form);
    } else if (mode == kSetupValidate) {
        return RequireTwoFramesFocused(form);
    }
    return 1;
}

int SetupMoveBoth(ParameterForm& form, int mode) {
    if (mode == kSetupConfigure) {
        form.SetDescription("Moves both Images,with Image 1 on top of Image 2.");
        AddImage1Directions(form);
        AddImage2Directions(form);
        form.EnableCheck(1, "2.Image on top", false);
        form.EnableColour(true);
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
        form.EnableEdit(1, "Sphere-Radius [%]", "65");
        form.EnableEdit(2, "Satellite Tilt Angle");
        form.EnableEdit(3, "Satellite Angle");
        form.EnableEdit(4, "Satellite width [%]", "10");
        form.EnableEdit(5, "Satellite height [%]", "20");
        form.EnableCheck(1, "Roll Sphere left", true);
        form.EnableCheck(2, "Roll Satellite left", false);
        form.EnableCheck(3, "Roll Sphere", true);
        form.EnableCheck(4, "Flat Satellite", false);
        PingPongOff(form);
        form.EnableColour(true);
        form.SetListLabel(1, "Start Position");
        for (const char* line : {"Center-Front", "Top-Left-Front", "Top-Right-Front",
                                 "Bottom-Left-Front", "Bottom-Right-Front", "Top-Left-Back",
                                 "Top-Right-Back", "Bottom-Left-Back", "Bottom-Right-Back"})
            form.AddFirstListLine(line);
        form.SelectListLine(1, 0);
        ApplySatellitePosition(form);
    } else if (mode == kSetupValidate) {
        // Each rejection selects the radius text, whichever value was wrong.
        if (form.EditValue(1) < 0)
            return form.Reject("The 'Sphere-Radius' in percent must be greater or equal to 0.",
                               kEdit1, kNoFocus);
        const int width = form.EditValue(4);
        if (width < 0 || width > 100)
            return form.Reject("The 'Ring Image width' in percent must be in range 0 to 100.",
                               kEdit1, kNoFocus);
        const int height = form.EditValue(5);
        if (height < 0 || height > 100)
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
    return SetupZoom(form, mode, "Zooms out the 1st Image.", true);
}
int SetupZoomIn(ParameterForm& form, int mode) {
    return SetupZoom(form, mode, "Zooms in the 2nd Image.", false);
}
int SetupZoomOutTransition(ParameterForm& form, int mode) {
    return SetupZoom(form, mode, "Zooms out the 1st Image.", false);
}
