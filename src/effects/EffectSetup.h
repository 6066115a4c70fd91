#pragma once

#include "effects/EffectFields.h"

class ParameterForm;

// Setup handlers of the registry entries (form, mode) -> accept flag.

// Colour and fade family
int SetupBlur(ParameterForm& form, int mode);
int SetupEmboss(ParameterForm& form, int mode);
int SetupFadeOut(ParameterForm& form, int mode);
int SetupFade(ParameterForm& form, int mode);
int SetupColorBlendingOut(ParameterForm& form, int mode);
int SetupColorBlending(ParameterForm& form, int mode);
int SetupInvert(ParameterForm& form, int mode);
int SetupOverblend(ParameterForm& form, int mode);
int SetupCheckers(ParameterForm& form, int mode);
int SetupWeave(ParameterForm& form, int mode);

// Stripes, cells and grids
int SetupBlindEffect(ParameterForm& form, int mode);
int SetupBlindTransition(ParameterForm& form, int mode);
int SetupFringeEffect(ParameterForm& form, int mode);
int SetupFringeTransition(ParameterForm& form, int mode);
int SetupPixelizeEffect(ParameterForm& form, int mode);
int SetupPixelizeTransition(ParameterForm& form, int mode);
int SetupRandomRects(ParameterForm& form, int mode);
int SetupRandomShineEffect(ParameterForm& form, int mode);
int SetupRandomShineTransition(ParameterForm& form, int mode);
int SetupSpiralEffect(ParameterForm& form, int mode);
int SetupSpiralTransition(ParameterForm& form, int mode);
int SetupRotorEffect(ParameterForm& form, int mode);
int SetupRotorTransition(ParameterForm& form, int mode);
int SetupSpotEffect(ParameterForm& form, int mode);
int SetupSpotTransition(ParameterForm& form, int mode);

// Movement and geometry
int SetupFlag(ParameterForm& form, int mode);
int SetupFrameOut(ParameterForm& form, int mode);
int SetupFrameOutImage1(ParameterForm& form, int mode);
int SetupFrameInImage2(ParameterForm& form, int mode);
int SetupMove(ParameterForm& form, int mode);
int SetupMoveImage1(ParameterForm& form, int mode);
int SetupMoveImage2(ParameterForm& form, int mode);
int SetupMoveBoth(ParameterForm& form, int mode);
int SetupPageEffect(ParameterForm& form, int mode);
int SetupPageTransition(ParameterForm& form, int mode);
int SetupRadarEffect(ParameterForm& form, int mode);
int SetupRadarTransition(ParameterForm& form, int mode);
int SetupRollSphereEffect(ParameterForm& form, int mode);
int SetupRollSphereTransition(ParameterForm& form, int mode);
int SetupRollSphereSatellite(ParameterForm& form, int mode);
int SetupTiltInEffect(ParameterForm& form, int mode);
int SetupTiltInTransition(ParameterForm& form, int mode);
int SetupWaveOut(ParameterForm& form, int mode);
int SetupWave(ParameterForm& form, int mode);
int SetupZoomOutEffect(ParameterForm& form, int mode);
int SetupZoomIn(ParameterForm& form, int mode);
int SetupZoomOutTransition(ParameterForm& form, int mode);

// The fields each handler shows; entries not named here have none.
extern const FieldList kBlurFields;
extern const FieldList kEmbossFields;
extern const FieldList kFadeOutFields;
extern const FieldList kColorBlendingOutFields;
extern const FieldList kColorBlendingFields;
extern const FieldList kInvertFields;
extern const FieldList kOverblendFields;
extern const FieldList kBlindEffectFields;
extern const FieldList kBlindTransitionFields;
extern const FieldList kFringeEffectFields;
extern const FieldList kFringeTransitionFields;
extern const FieldList kRandomRectsFields;
extern const FieldList kRandomShineEffectFields;
extern const FieldList kSpiralEffectFields;
extern const FieldList kRotorFields;
extern const FieldList kSpotEffectFields;
extern const FieldList kSpotTransitionFields;
extern const FieldList kFlagFields;
extern const FieldList kFrameOutFields;
extern const FieldList kMoveFields;
extern const FieldList kMoveImage1Fields;
extern const FieldList kMoveImage2Fields;
extern const FieldList kMoveBothFields;
extern const FieldList kPageFields;
extern const FieldList kRadarEffectFields;
extern const FieldList kRadarTransitionFields;
extern const FieldList kRollSphereFields;
extern const FieldList kSatelliteFields;
extern const FieldList kTiltInEffectFields;
extern const FieldList kTiltInTransitionFields;
extern const FieldList kWaveOutFields;
extern const FieldList kWaveFields;
extern const FieldList kZoomOutEffectFields;
extern const FieldList kZoomTransitionFields;

// Shared checks.
// "At least two frames are required for this transition !" when fewer than two.
int RequireTwoFrames(ParameterForm& form);
// The spiral grid check with its Yes/No/Cancel question; may change "Number of Frames".
int SpiralGridCheck(ParameterForm& form);
