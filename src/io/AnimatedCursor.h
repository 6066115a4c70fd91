#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/BmpDecoder.h"

class AnimationDocument;

// The parts of an animated cursor (RIFF "ACON") that loading needs.
struct AniFile {
    uint32_t steps = 0;                             // steps to show, bounded by the file
    std::vector<std::pair<size_t, size_t>> frames;  // offset and size of each "icon" chunk
    std::vector<uint32_t> sequence;                 // frame of each step ("seq "), or empty
    std::vector<uint32_t> rates;                    // jiffies per step ("rate"), or empty
    // From the header: the rate of steps "rate" does not cover, and whether frames are
    // icon files (the flag set) or raw bitmaps of the header's size and depth.
    uint32_t displayRate = 0;
    bool iconFrames = true;
    uint32_t width = 0, height = 0, bitCount = 0;

    // The frame shown at `step`, or -1 when the file names none.
    int FrameOfStep(uint32_t step) const;
    // How long `step` shows, in hundredths of a second (rates count jiffies of 1/60 s).
    uint32_t DelayOfStep(uint32_t step) const;
};

// Decodes frame `frame` of a parsed animated cursor: the preferred image of an icon
// frame, or a raw bitmap (with or without its information header).
bool DecodeAniFrame(const uint8_t* data, const AniFile& ani, int frame, DecodedPicture& out);

// Parses the RIFF chunks. False when the bytes are no animated cursor.
bool ParseAni(const uint8_t* data, size_t size, AniFile& out);

// Adds one frame per step (the step's cursor image drawn over light grey at the size of
// the first image), asking about resizing at most once and stopping at the first
// refusal or undecodable step. 0 when the last step added was created, else -1.
int LoadAnimatedCursor(AnimationDocument& doc, const std::vector<uint8_t>& bytes,
                       const std::string& path);
