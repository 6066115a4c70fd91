#pragma once

#include <functional>
#include <string>

class AnimationDocument;

// Export All Images: every frame to its own file, named from one pattern and the
// frame's number (from 0), as a single-image GIF or a JPEG.

// Digits of the numbers for a document of `frames` frames.
int ExportDigits(int frames);

// The file name of frame k. indicator 0: normal mode (the number, zero-padded to
// `digits`, before the file name's last '.', else at the end); otherwise the i-th
// occurrence of the indicator takes the i-th of `digits` digits.
std::string ExportFileName(const std::string& pattern, int k, int digits, char indicator);

// The dialog's OK checks.
// True when the pattern should be offered ".GIF" ("Shall '.GIF' be added ?'").
bool ExportPatternLacksGifExtension(const std::string& pattern);
// Advanced mode: "" when `indicatorText` is one character found exactly `digits`
// times in the pattern, else the message (caption "Problems with Indicator").
std::string ValidateExportIndicator(const std::string& pattern, const std::string& indicatorText,
                                    int digits);
// "Need %d Indicator%s in Name" / "No Indicator needed"
std::string ExportIndicatorInfo(bool advanced, int digits);

struct ExportAllRequest {
    std::string pattern;
    char indicator = 0;  // 0: normal mode
    bool asJpeg = false;
};

// Writes every frame; a failed frame asks "Continue Anyway ?". 0 when every frame was
// written ("Export of all images successful" shown), 1 when the user stopped after a
// failure, 2 when there was nothing to export, 3 when the user went on past failures. The busy flag
// is set while it runs and cleared on every way out.
// `progress` is called before each frame is written (k from 0, of `total`).
int ExportAllImages(AnimationDocument& doc, const ExportAllRequest& request,
                    const std::function<void(int k, int total)>& progress = {});
