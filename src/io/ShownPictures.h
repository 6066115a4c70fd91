#pragma once

#include <cstdint>
#include <vector>

#include "colour/ScreenPicture.h"

class AnimationDocument;
class FrameRecord;

// The pictures an animation shows, one per frame, as the editor composes them, for the
// writers of other animated formats. Pixels are 0xAARRGGBB, top-down, screen width x
// height. Alpha is 0 where no frame has drawn: before the first frame, after a disposal
// to the background, and through transparent pixels with nothing beneath; 255 elsewhere.
// The colour of a transparent point is what the editor shows there.
class ShownPictures {
  public:
    explicit ShownPictures(const AnimationDocument& doc);

    // The picture after `frame`, called for the frames in order from the first one drawn.
    // False when the frame has no pixels.
    bool Next(FrameRecord& frame, std::vector<uint32_t>& picture);

  private:
    const AnimationDocument& doc_;
    ScreenPixels screen_;
    BeneathPixels beneath_;
    std::vector<uint8_t> covered_;
};
