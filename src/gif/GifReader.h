#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/FrameRecord.h"
#include "document/Palette.h"
#include "gif/GifResult.h"

// An image that could not be read and was left out, so that the images after it still
// come in (as other readers do).
struct SkippedImage {
    int number = 0;  // its place among the file's images, from 1
    int width = 0, height = 0;
    int result = 0;  // the GifResult that stopped it
};

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
    CommentList trailingComments;       // comments after the last image
    int imageCount = 0;                 // images read
    int skippedCount = 0;               // images left out
    std::vector<SkippedImage> skipped;  // the first few of those
};

// A sentence for the user naming the images of `fileName` that were left out; empty
// when none were.
std::string DescribeSkippedImages(const GifFileInfo& info, const std::string& fileName);

// Reads every image of a GIF file into `first` and new frame records linked behind it
// (each constructed between its predecessor and first's original next, so it inherits
// hasLocalPalette and delay; the frames outside the chain are never touched). Images are
// read one after another, not recursively. An image whose data could be read to its end
// but not decoded (no pixels, data too short or corrupt, no memory) is skipped and
// listed in info.skipped; reading goes on with the next one. Returns a GifResult: it
// fails when no image can be read; a broken block structure after the first image ends
// the chain with the images read so far and still returns kGifOk (a missing trailer and
// trailing garbage are tolerated).
int ReadGif(FrameRecord& first, const std::string& path, GifFileInfo& info);

// The same on bytes in memory; `path` only names the frames.
int ReadGifData(FrameRecord& first, const uint8_t* data, size_t size, const std::string& path,
                GifFileInfo& info);

// Reads a GIF file one image at a time, with the results of ReadGif, so that a caller
// can show the first images while the rest are still to come.
class GifFrameStream {
  public:
    GifFrameStream();
    ~GifFrameStream();
    GifFrameStream(const GifFrameStream&) = delete;
    GifFrameStream& operator=(const GifFrameStream&) = delete;

    // Reads the file, its header and its first image that can be read into `first`
    // (skipping those before it that cannot); a GifResult.
    int Open(FrameRecord& first, const std::string& path, GifFileInfo& info);
    // The same on bytes in memory, which must outlive the stream.
    int OpenData(FrameRecord& first, const uint8_t* data, size_t size, const std::string& path,
                 GifFileInfo& info);
    // The next image in a new frame record constructed behind `current` (the caller links
    // it), or nullptr once the images have ended; `info` is then complete.
    std::unique_ptr<FrameRecord> ReadNext(FrameRecord& current);
    bool done() const { return done_; }

  private:
    struct State;
    std::vector<uint8_t> bytes_;
    std::unique_ptr<State> state_;
    GifFileInfo* info_ = nullptr;
    std::string path_;
    bool done_ = true;
};

// Destroys the frames that ReadGif linked behind `first` (not `first` itself) and
// restores first.next. Used when a read chain is refused.
void DiscardFramesAfter(FrameRecord& first, FrameRecord* originalNext);
