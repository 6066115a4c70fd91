#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/Palette.h"

class FrameRecord;
class IndexBuffer;

// The quality palette: libimagequant chooses at most 255 colours for how the picture
// looks and maps the pixels to them with Floyd-Steinberg dithering, so that gradients and
// photos keep their shading. Like the exact rule it gives the frame its own palette,
// keeps the reserved colours exactly, and sends transparent pixels to the slot after the
// colours.

// dither: 0 (none) to 100 (full). Returns false when the frame's abortReduce was set or
// memory ran out; the frame is then left as it was.
bool ReduceFrameQuality(FrameRecord& frame, int dither);

// A frame mapped onto a quality palette, not yet handed to the frame.
struct QualityMapping {
    Palette palette{};
    int colours = 0;
    std::shared_ptr<IndexBuffer> indexes;
    bool transparencyActive = false;
    // How far the mapped picture is from the frame's colours: the mean square difference
    // of the opaque pixels' channels (PSNR is 10 log10(255^2 / error)).
    double error = 0;
};

// Maps the frame onto its own quality palette. False when aborted or out of memory.
bool MapFrameQuality(FrameRecord& frame, int dither, QualityMapping& out);

// Gives the frame the mapping's palette and indexes.
void PublishQualityMapping(FrameRecord& frame, QualityMapping& mapping);

// One quality palette for a run of similar frames (video frames of one scene): chosen from
// the histogram of the run's first frames, then each frame is mapped onto it. Mapping is
// not thread-safe: one frame at a time.
class SharedQualityPalette {
  public:
    // From the frames' true colour (those with the first one's reserved colours); nullptr
    // when the first has none, it was aborted or memory ran out.
    static std::unique_ptr<SharedQualityPalette> Choose(const std::vector<FrameRecord*>& frames);
    ~SharedQualityPalette();
    SharedQualityPalette(const SharedQualityPalette&) = delete;
    SharedQualityPalette& operator=(const SharedQualityPalette&) = delete;

    // Whether the frame may use this palette at all (its reserved colours are the same).
    bool Fits(const FrameRecord& frame) const;
    bool Map(FrameRecord& frame, int dither, QualityMapping& out);

  private:
    struct State;
    explicit SharedQualityPalette(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};
