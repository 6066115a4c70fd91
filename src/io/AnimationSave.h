#pragma once

#include <string>

class AnimationDocument;

// Returned by SaveAnimationByType when the AVI export failed (beside gif/GifWriter's
// SaveResult codes).
constexpr int kSaveAviFailed = 8;

// True for a name ending in ".avi" (any case): the animation is written as AVI.
bool IsAviPath(const std::string& path);

// Saves the animation as the name's extension asks: AVI for ".avi", else GIF89a
// (SaveAnimation). Returns kSaveOk, a SaveResult or kSaveAviFailed.
int SaveAnimationByType(AnimationDocument& doc, const std::string& path);
