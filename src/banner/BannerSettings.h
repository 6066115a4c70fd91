#pragma once

#include <cstdint>
#include <string>

#include "document/Palette.h"

class FrameRecord;

// A logical font as the banner keeps it. height < 0: the characters' em height in
// pixels; height > 0: the height of the character cell (ascent + descent); 0: the
// default size. No face name means the variable-pitch sans-serif family.
struct BannerFont {
    int32_t height = 40;
    int32_t weight = 700;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string faceName;
    bool operator==(const BannerFont&) const = default;
};

constexpr int kMaxBannerTextLength = 2048;
constexpr int kMaxBannerFontHeight = 400;

// The banner settings, kept for the whole run; the initial values are the defaults.
struct BannerSettings {
    std::string text;
    BannerFont font;
    int32_t border = 0;
    int32_t textYOffset = 0;
    int32_t shadowEnabled = 1;
    int32_t shadowX = 9;
    int32_t shadowY = 7;
    int32_t thickness = 8;
    int32_t intensity = 14;
    int32_t frames = 10;
    int32_t width = 140;
    int32_t height = 80;
    uint32_t textColour = 0x000000;
    uint32_t backgroundColour = 0xFFFFFF;
    uint32_t shadowColour = 0x000000;
    bool operator==(const BannerSettings&) const = default;
};

// One checked field: its label (as the dialog shows it), where it lives, its bounds.
struct BannerRange {
    const char* label;
    int32_t BannerSettings::*field;
    int32_t low;
    int32_t high;
};
// In the order the checks run when the dialog is confirmed.
constexpr BannerRange kBannerRanges[] = {
    {"Text Y Offset", &BannerSettings::textYOffset, -3000, 3000},
    {"Shadow X Offset", &BannerSettings::shadowX, -200, 200},
    {"Shadow Y Offset", &BannerSettings::shadowY, -200, 200},
    {"Shadow Thickness", &BannerSettings::thickness, 0, 20},
    {"Nr. of Frames", &BannerSettings::frames, 1, 1000},
    {"Image Width", &BannerSettings::width, 1, 2048},
    {"Image Height", &BannerSettings::height, 1, 2048},
};

// Checks the ranges in order. The first value outside is clamped to the nearer bound,
// `message` gets "The '<label>' value must be in the range from <low> to <high>" and its
// range is returned; nullptr when every value is valid.
const BannerRange* CheckBannerRanges(BannerSettings& settings, std::string& message);

// Clamps a chosen font's height to -400 ... 400.
int32_t ClampFontHeight(int32_t height);

// What the banner dialog hands to the generator.
struct BannerBlock {
    int32_t hasPalette = 0;  // 1: the frames take `palette`
    Palette palette{};
    int32_t checkEmptyText = 1;  // ask before accepting an empty text
    FrameRecord* chain = nullptr;
    BannerSettings settings;
    int32_t confirmed = 0;
    int32_t valid = 0;
};

// The text of the empty-text question and its caption.
extern const char* const kNoBannerTextQuestion;  // "There is no Banner Text.\nContinue anyway ?"
extern const char* const kNoBannerTextCaption;   // "Banner Text"
