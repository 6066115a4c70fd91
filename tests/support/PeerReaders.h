#pragma once

// What peer readers (giflib, ImageMagick) see in a file: the oracles of the tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The composed pictures of a GIF as ImageMagick shows them (coalesced), 0xAARRGGBB
// per pixel with alpha 0 where the screen is transparent.
struct ComposedPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
std::optional<std::vector<ComposedPicture>> PeerComposedPictures(const std::string& gifPath);

// The pictures of any still image ImageMagick reads (a JPEG, BMP, Targa, icon), as above.
std::optional<std::vector<ComposedPicture>> PeerStillPictures(const std::string& path);
// The frames of a video as FFmpeg decodes them (opaque).
std::optional<std::vector<ComposedPicture>> PeerVideoFrames(const std::string& path);

// The largest difference of one channel between two pictures of the same size,
// ignoring pixels that are transparent in both; 256 when the sizes differ.
int MaxChannelDifference(const ComposedPicture& a, const ComposedPicture& b);
// The mean difference of the colour channels over pixels opaque in either picture; 256
// when the sizes differ.
double MeanChannelDifference(const ComposedPicture& a, const ComposedPicture& b);

// One image as giflib decodes it.
struct PeerImage {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    bool hasLocalMap = false;
    std::vector<uint8_t> indexes;   // width x height, top-down, de-interlaced
    std::vector<uint32_t> colours;  // the colour map in force (local, else global), 0xRRGGBB
    int delay = -1, disposal = -1, transparent = -1;  // -1: no graphic control block
    std::vector<std::string> comments;                // comment blocks before the image
};
struct PeerFile {
    int screenWidth = 0, screenHeight = 0, background = 0;
    std::vector<uint32_t> globalColours;
    std::vector<PeerImage> images;
    std::vector<std::string> trailingComments;
    int loop = -1;
};
// Decodes a file with giflib's DGifSlurp; nullopt when giflib refuses it.
std::optional<PeerFile> GiflibDecode(const std::string& path);

// What a viewer shows over time: the composed pictures (ImageMagick) with the time each
// starts, in hundredths of a second from the delays giflib reads, and the whole length.
struct PeerTimeline {
    std::vector<ComposedPicture> pictures;
    std::vector<int> starts;
    int length = 0;
    // The picture shown at `time`.
    const ComposedPicture& at(int time) const;
};
// nullopt when either peer cannot read the file or they count its frames differently.
std::optional<PeerTimeline> PeerTimelineOf(const std::string& gifPath);

// The first picture ImageMagick reads from a still image, as 0x00RRGGBB top-down (the
// alpha dropped); empty when it cannot read it.
std::vector<uint32_t> PeerStillRgb(const std::string& path);

// The pixels of an image as giflib decodes them, as 0xRRGGBB of the colour map in force
// (0xFF000000 for an index beyond it).
std::vector<uint32_t> ImageColours(const PeerImage& image);

// The LZW minimum code size each image of a GIF file declares, in file order (giflib
// does not tell it); empty when the blocks cannot be walked.
std::vector<int> LzwCodeSizes(const std::vector<uint8_t>& gif);

}  // namespace testing_support
