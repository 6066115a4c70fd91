#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "document/FrameData.h"
#include "document/JobPool.h"

class AnimationDocument;

constexpr size_t kMaxFileNameLength = 258;  // the name field holds 258 characters
constexpr uint32_t kGreyBeneath = 0x808080u;

// One image of the animation: its data (FrameData) and the state its two frame jobs
// share with the window thread. Frames form a doubly linked list owned by the document.
//
// Threading: indexBuffer, ppTC and bGifPal are read by other frames' compositions; the
// plane pointers are swapped and bGifPal changed only under paletteLock, and readers
// copy the pointer under that lock. The composed picture and `composing` are guarded
// by composeLock.
class FrameRecord : public FrameData {
  public:
    // A new record between prev and next (the neighbours are not linked to it). It
    // takes the delay from prev, else the document's global delay; it has a palette of
    // its own. nullptr when the memory cannot be had.
    static std::unique_ptr<FrameRecord> Construct(AnimationDocument& document, FrameRecord* prev,
                                                  FrameRecord* next);
    // Waits for both frame jobs, then frees everything (the tail of Destroy).
    ~FrameRecord();
    FrameRecord(const FrameRecord&) = delete;
    FrameRecord& operator=(const FrameRecord&) = delete;

    AnimationDocument& document;

    FrameRecord* next = nullptr;
    FrameRecord* prev = nullptr;
    JobHandle reduceThread;
    JobHandle composeThread;
    // A job of a view that reads the frame's picture (the tree's thumbnail); under
    // composeLock, waited for like the others when the frame goes.
    JobHandle pictureJob;
    // Changes whenever the composed picture is discarded because the frame (or one it
    // builds on) changed; unique over all frames, so that a view can tell a picture it
    // made from this frame is still current.
    std::atomic<uint64_t> pictureVersion;
    std::atomic<uint32_t> abortReduce{0};
    std::atomic<uint32_t> reduceFinished{1};
    bool composing = false;  // under composeLock
    std::atomic<uint32_t> transparencyActive{1};
    std::mutex composeLock;
    std::condition_variable compositionEnded;
    std::shared_ptr<const ComposedPicture> composedBitmap;  // under composeLock
    std::atomic<uint32_t> alive{1};
    mutable std::mutex paletteLock;
    uint32_t codeWidth = 0;  // LZW code width while the frame is written

    // Planes. Both store the record's width and height.
    bool CreateIndexBuffer(int w, int h);
    // bGifPal = 0, then a new true-colour plane of the record's size (contents zero).
    bool CreateTrueColourBuffer();
    void SetPaletteValid(bool valid);
    bool IsPaletteValid() const;
    // Snapshots of the planes, safe against a concurrent swap.
    std::shared_ptr<IndexBuffer> indexPlane() const;
    std::shared_ptr<TrueColourBuffer> trueColourPlane() const;
    // Swaps in new planes (either may be null to drop it) under paletteLock.
    void ReplaceIndexPlane(std::shared_ptr<IndexBuffer> plane);
    void ReplaceTrueColourPlane(std::shared_ptr<TrueColourBuffer> plane);

    // Waits until a pending colour reduction of this frame has ended (boosting it).
    void WaitForReduction();
    // The palette the indexes refer to: the frame's own or the document's global one.
    const Palette& effectivePalette() const;

    // True when the frame lies at (0,0) with the logical screen's size.
    bool coversScreen() const;

    // The frame's data as a value, and back, under paletteLock.
    FrameData data() const;
    void setData(const FrameData& data);

  private:
    explicit FrameRecord(AnimationDocument& document);
    friend class AnimationDocument;
};

// A new value for FrameRecord::pictureVersion, never handed out before.
uint64_t NextPictureVersion();

// Fills ppTC from the indexes. keepValid: bGifPal becomes 0 (a reduction will follow).
// Returns false when memory ran out.
bool ToTrueColour(FrameRecord& frame, bool keepValid);

// Copies size, position, delay, transparency, interlace, bitsPerPixel, name, pixels,
// palette (and whether it is the frame's own) and reserved colours, once a pending
// reduction of the source has ended. 0 success, -1 no destination, 5 no memory.
int CopyInto(FrameRecord& source, FrameRecord* destination, bool withTrueColour);

// "Copy of %s", or the name itself when it already begins with "Copy of".
std::string CopyName(const std::string& sourceName);

// Puts a name into the 258-character name field.
std::string FitFileName(const std::string& name);
