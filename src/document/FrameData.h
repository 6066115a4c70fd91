#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/Palette.h"
#include "document/PixelPlanes.h"

// One comment: bytes, kept byte for byte through load and save.
struct CommentNode {
    std::string text;
    bool operator==(const CommentNode&) const = default;
};
using CommentList = std::vector<CommentNode>;

constexpr uint32_t kNoReservedColour = 0xFFFFFFFFu;

// What a frame is, as a value: its place on the logical screen, its planes (shared,
// never written once they belong to a frame, so a copy costs no pixels), its palette,
// its GIF89a fields, comments and name. The undo history keeps these; FrameRecord adds
// how a frame is processed (jobs, locks, the composed picture).
struct FrameData {
    int32_t left = 0, top = 0;
    int32_t width = 0, height = 0;
    std::shared_ptr<IndexBuffer> indexBuffer;
    int32_t hasLocalPalette = 1;
    Palette palette;  // filled by every creator
    uint32_t delay = 0;
    int32_t disposal = 0;
    uint32_t transparentIndex = 0;
    uint32_t hasTransparency = 0;
    uint32_t interlaced = 0;
    uint8_t bitsPerPixel = 8;
    // A smaller LZW minimum code size that the pixels allow (2 to bitsPerPixel - 1), or 0
    // for bitsPerPixel. The optimiser sets it; the writer checks it against the pixels.
    uint8_t lzwCodeSize = 0;
    // The LZW coder goes on with a full code table instead of starting a new one; the
    // optimiser sets it where that codes smaller.
    bool lzwKeepsFullTable = false;
    std::string fileName;
    std::shared_ptr<TrueColourBuffer> ppTC;
    CommentList comments;
    uint32_t bGifPal = 1;  // the indexes are valid (not waiting for a reduction)
    std::array<uint32_t, 5> reservedColours{kNoReservedColour, kNoReservedColour, kNoReservedColour,
                                            kNoReservedColour, kNoReservedColour};

    // Same frame: equal fields and the very same planes.
    bool operator==(const FrameData&) const = default;
};
