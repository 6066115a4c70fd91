#pragma once

#include <string>

#include "banner/BannerSettings.h"
#include "banner/ShadowedText.h"
#include "banner/TextCanvas.h"

class AnimationDocument;
class FrameRecord;
class TreeItem;

// The shadow as the settings ask for it: no shadow at all when it is disabled, and no
// soft part when the intensity is below 1.
ShadowStyle BannerShadowStyle(const BannerSettings& settings);

// Left edge of the text in frame k of n for an image whose drawing area is `area`: from
// the right edge (k = 0) to beyond the left edge (k = n - 1), or centred for one frame.
// textWidth is the measured width of the text.
int BannerTextX(const BannerSettings& settings, const CanvasRect& area, int textWidth, int k,
                int n);

// Draws frame k of n onto the canvas (which Begin has sized to the image).
void DrawBannerFrame(TextCanvas& canvas, const BannerSettings& settings, int k, int n);

// The dialog's preview on a canvas of width x height (already begun): light grey, the
// image-sized rectangle centred, its border, background and the text (or "Banner")
// centred in it with its shadow, the thickness capped at 20.
void PaintBannerPreview(TextCanvas& canvas, const BannerSettings& settings, int width, int height);

// Draws the banner's frames into a new chain (true colour, each handed to colour
// reduction) and stores it in block.chain; the logical screen grows to hold the image.
// Only for a valid, confirmed block. Returns the first frame, or nullptr (nothing left
// behind) when the frames could not be made.
FrameRecord* GenerateBanner(TextCanvas& canvas, AnimationDocument& doc, BannerBlock& block);

// "Banner %d" for the next banner group.
std::string NextBannerLabel(const AnimationDocument& doc);

// Puts a generated chain into the document: it becomes the document when that is empty,
// else it goes after the selected frame (in front of every frame when no frame is
// selected); group entry "Banner %d" with children "Gif: Banner %d" (1 ... n), recorded
// in the banner group table; the first new frame is selected; the document is modified.
// Returns the group entry.
TreeItem* InsertBanner(AnimationDocument& doc, FrameRecord* chain);
