#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/FrameRecord.h"
#include "document/Palette.h"
#include "gif/GifResult.h"

// What a GIF file says about the animation as a whole. The reader collects it here and
// the loader hands it to the document only once the file has been accepted, so that a
// failed or refused load leaves the document as it was.
struct GifFileInfo {
    int screenWidth = 0, screenHeight = 0;  // the screen descriptor
    uint8_t backgroundIndex = 0;
    bool hasGlobalPalette = false;
    Palette globalPalette;  // entries past the table are unused
    bool hasLoopCount = false;
    uint16_t loopCount = 0;
    CommentList trailingComments;  // comments after the last image
    int imageCount = 0;
};

// Reads every image of a GIF file into `first` and new frame records linked behind it
// (each constructed between its predecessor and first's original next, so it inherits
// hasLocalPalette and delay; the frames outside the chain are never touched). Images are
// read one after another, not recursively. Returns a GifResult: a failure in the first
// image fails the read; a failure in a later image ends the chain with the images read
// so far and still returns kGifOk (a missing trailer and trailing garbage are tolerated).
int ReadGif(FrameRecord& first, const std::string& path, GifFileInfo& info);

// The same on bytes in memory; `path` only names the frames.
int ReadGifData(FrameRecord& first, const uint8_t* data, size_t size, const std::string& path,
                GifFileInfo& info);

// Destroys the frames that ReadGif linked behind `first` (not `first` itself) and
// restores first.next. Used when a read chain is refused.
void DiscardFramesAfter(FrameRecord& first, FrameRecord* originalNext);
