#pragma once

#include <cstdint>
#include <string>

class AnimationDocument;

// Turns an imported true-colour picture into a new frame after the selected one (or at
// the front when the root entry is selected), with its tree entry "Gif :<file name>",
// and starts its colour reduction. pixels: width * height values 0x00RRGGBB (the top
// byte is ignored), rows top-down unless bottomUp. askResize: a picture whose size
// differs from the logical screen's may be resized to it after asking the user.
// Returns 0, or -1 when it failed (reported) or the user declined the resize.
int CreateFrameFromPicture(AnimationDocument& doc, const uint32_t* pixels, int width, int height,
                           bool bottomUp, const std::string& path, bool askResize);
