#pragma once

#include <cstdint>

#include "document/FrameData.h"
#include "document/Palette.h"

// The animation-wide GIF89a parameters as a value (the undo history keeps copies).
struct DocumentParameters {
    int32_t screenWidth = 0, screenHeight = 0;
    bool hasGlobalPalette = false;
    Palette globalPalette;
    uint8_t backgroundIndex = 0;
    uint16_t loopCount = 0;
    bool endless = true;
    uint32_t globalDelay = 10;
    bool useGlobalDelay = false;
    int32_t globalDisposal = 0;
    bool useGlobalDisposal = false;
    CommentList globalComments;
    bool hasGlobalComments = false;

    bool operator==(const DocumentParameters&) const = default;
};
