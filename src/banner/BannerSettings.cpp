#include "banner/BannerSettings.h"

#include <cstdio>

const char* const kNoBannerTextQuestion = "There is no Banner Text.\nContinue anyway ?";
const char* const kNoBannerTextCaption = "Banner Text";

const BannerRange* CheckBannerRanges(BannerSettings& settings, std::string& message) {
    for (const BannerRange& range : kBannerRanges) {
        int32_t& value = settings.*range.field;
        if (value >= range.low && value <= range.high) continue;
        value = value < range.low ? range.low : range.high;
        char text[160];
        std::snprintf(text, sizeof text, "The '%s' value must be in the range from %d to %d",
                      range.label, int(range.low), int(range.high));
        message = text;
        return &range;
    }
    message.clear();
    return nullptr;
}

int32_t ClampFontHeight(int32_t height) {
    if (height < -kMaxBannerFontHeight) return -kMaxBannerFontHeight;
    if (height > kMaxBannerFontHeight) return kMaxBannerFontHeight;
    return height;
}
