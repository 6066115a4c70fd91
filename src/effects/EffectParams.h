#pragma once

#include <cstdint>

// The parameter block that the selection dialog fills and every renderer reads. One
// block lives for the whole run of the program and keeps the last settings.
struct EffectParams {
    int32_t frameCount = 10;             // frames to generate, at least 1
    int32_t isEffect = 0;                // 1 effect, 0 transition
    int32_t noSecondImage = 0;           // 1: no usable successor, transitions impossible
    int32_t pingPong = 0;                // 1: run forward, then back again
    int32_t lastSelection = 0;           // scratch of the dialog's list notifications
    int32_t effectIndex = 0;             // into the effect table
    int32_t transitionIndex = 0;         // into the transition table
    int32_t value[5] = {0, 0, 0, 0, 0};  // numeric parameters, meaning per entry
    int32_t option[4] = {0, 0, 0, 0};    // 0/1 switches, meaning per entry
    int32_t colorIndex = -1;  // palette index of the selected colour in frame 1's palette
    int32_t direction = 0;    // selection of the first list
    int32_t secondList = 0;   // selection of the second list
    int32_t preview = 0;      // 1 while the dialog's preview computes
};

// What the shell keeps between uses of the effect dialog: the block and the dialog's
// own colour (a palette index, 0 at start-up).
struct EffectSession {
    EffectParams block;
    int32_t dialogColour = 0;
};
