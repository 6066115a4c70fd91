#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/BmpDecoder.h"

class AnimationDocument;

// The light grey that cursors are drawn over.
constexpr uint32_t kCursorBackground = 0xC0C0C0u;

// The number of images in an .ico/.cur directory, or 0 when the bytes are no icon file.
int CountIconImages(const uint8_t* data, size_t size);

// Decodes image `index` of an .ico/.cur file: bitmap entries with their AND masks, and
// PNG entries. False when the directory or the image is damaged.
bool DecodeIconImage(const uint8_t* data, size_t size, int index, DecodedPicture& out);

// Decodes the image the desktop shows at its standard 32 x 32 size: a 32 x 32 entry
// where there is one, otherwise the nearest larger, otherwise the nearest smaller, and
// of those the one with the most colours; a damaged entry gives way to the next best.
// The index decoded, or -1 when none decodes.
int DecodePreferredIconImage(const uint8_t* data, size_t size, DecodedPicture& out);

// The picture as it looks drawn over `background`: alpha blended when it has alpha,
// otherwise through its AND mask (background AND mask, XOR colour).
std::vector<uint32_t> DrawOverBackground(const DecodedPicture& picture, uint32_t background);

// Open for .ico: the preferred icon's colour pixels become a new frame. 0, or -1 after
// "Couldn't Load Icon" (or a declined resize).
int LoadIconFile(AnimationDocument& doc, const std::string& path);

// Open for .cur and .ani: the cursor drawn over light grey becomes a frame; an animated
// cursor adds one frame per step, asking about resizing at most once. 0, or -1.
int LoadCursorFile(AnimationDocument& doc, const std::string& path);
