#pragma once

#include <string>

class AnimationDocument;

// Open and drag-and-drop for GIF files: reads every image, splices the frames into the
// document (the whole animation when it is empty, else after the selected frame or in
// front when the root entry is selected), adds their tree entries, takes the file's
// animation-wide values, and starts the compositions. Returns 0; 1 when the file could
// not be read (reported: "Loading Gif"); -1 when the user refused the resize. The
// document is then unchanged.
int LoadGifIntoDocument(AnimationDocument& doc, const std::string& path);
