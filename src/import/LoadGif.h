#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "gif/GifReader.h"

class AnimationDocument;
class TreeItem;

// Open and drag-and-drop for GIF files: reads every image, splices the frames into the
// document (the whole animation when it is empty, else after the selected frame or in
// front when the root entry is selected), adds their tree entries, takes the file's
// animation-wide values, and starts the compositions. Returns 0; 1 when the file could
// not be read (reported: "Loading Gif"); -1 when the user refused the resize. The
// document is then unchanged.
int LoadGifIntoDocument(AnimationDocument& doc, const std::string& path);

// Opening a GIF file into an empty document a few images at a time, so that the first
// image is on screen at once and the window stays responsive while a long animation
// comes in. When it is done the document is as LoadGifIntoDocument leaves it. Between
// steps the document holds the images read so far, each with its tree entry and its
// composition started; the logical screen is the bounding box of those images.
class GifLoadInSteps {
  public:
    explicit GifLoadInSteps(AnimationDocument& doc);

    // Reads the header and the first image and makes it the document's only frame.
    // Returns 0, or 1 when the file could not be read (reported: "Loading Gif"), and the
    // document stays empty. Only for an empty document.
    int Begin(const std::string& path);
    // Reads further images for about `budget`. Returns false once every image is in.
    bool Continue(std::chrono::steady_clock::duration budget);
    // Reads the rest.
    void Finish();
    bool done() const { return done_; }
    // True once since the last call when the logical screen grew.
    bool TakeScreenGrown();

  private:
    void Append(std::unique_ptr<FrameRecord> frame);
    void End();

    AnimationDocument& doc_;
    GifFrameStream stream_;
    GifFileInfo info_;
    std::string name_;
    FrameRecord* last_ = nullptr;
    TreeItem* lastItem_ = nullptr;
    bool done_ = true;
    bool screenGrown_ = false;
};
