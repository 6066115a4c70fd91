#pragma once

class AnimationDocument;

// Undoes optimisation: every frame that is not already full-screen and opaque becomes
// a full-screen, opaque true-colour frame showing exactly what the viewer saw after it,
// with a local palette once it is reduced again. restartReduction: start each changed
// frame's colour reduction. Returns 0, or 5 when memory ran out (frames done so far
// stay changed). Window thread only.
int UnOptimise(AnimationDocument& doc, bool restartReduction);
