#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AnimationDocument;
class FrameRecord;

// The AVI writer: an uncompressed 8-bit palettised video stream at a constant rate that
// keeps every frame's delay (see AviExport.cpp), in which every frame carries its own
// palette (the first in the stream format,
// each later one in a palette-change chunk before its picture). Every picture covers
// the logical screen; a frame that does not is composed onto the screen and reduced to
// a palette of its own.

// The file's bytes for the frames from `first` to the end. False when there is nothing
// to write or memory ran out.
bool BuildAvi(AnimationDocument& doc, FrameRecord* first, std::vector<uint8_t>& out);

// Writes the file atomically. 0, or -1 after "Could not save AVI." / "Error".
int SaveAvi(AnimationDocument& doc, FrameRecord* first, const std::string& path);
