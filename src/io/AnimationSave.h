#pragma once

#include <string>

class AnimationDocument;

// Returned by SaveAnimationByType when the AVI export failed (beside gif/GifWriter's
// SaveResult codes).
constexpr int kSaveAviFailed = 8;
// Returned when writing WebP, APNG, MP4 or WebM failed.
constexpr int kSaveVideoFailed = 9;

// True for a name ending in ".avi" (any case): the animation is written as AVI.
bool IsAviPath(const std::string& path);
// True when the name's extension asks for a GIF file: anything but ".avi", ".webp",
// ".apng", ".mp4" and ".webm".
bool IsGifPath(const std::string& path);

// Saves the animation as the name's extension asks: AVI for ".avi", WebP, APNG, MP4 or
// WebM for theirs, else GIF89a (SaveAnimation). Returns kSaveOk, a SaveResult,
// kSaveAviFailed or kSaveVideoFailed.
int SaveAnimationByType(AnimationDocument& doc, const std::string& path);
