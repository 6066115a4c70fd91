#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"

// The colour a saved colour table holds for an unused palette entry (0x00RRGGBB), which
// is also how the palette grid shows it.
constexpr uint32_t kUnusedEntrySaved = 0xFFFFFF;

// Result codes of saving.
enum SaveResult : int {
    kSaveOk = 0,
    kSaveCannotWrite = 1,  // the file cannot be created or written (nothing replaced)
};

// Writes the document's frames as they are into a GIF89a file, whatever the name's
// extension, coded with the document's lossy setting. Returns a SaveResult.
int SaveAnimation(AnimationDocument& doc, const std::string& path);
// The same with the given lossy level (0: every index exactly as the frame holds it).
int SaveAnimation(AnimationDocument& doc, const std::string& path, int lossy);

// One frame as a still GIF: header with the document's screen and global palette, the
// frame's comments, descriptor, local table and data, trailer.
int SaveSingleGif(AnimationDocument& doc, FrameRecord& frame, const std::string& path);

// The blocks, appended to a byte buffer (exposed for tests).
namespace gif_blocks {
void WriteHeader(const AnimationDocument& doc, const FrameRecord& first, std::vector<uint8_t>& out);
void WriteLoopBlock(uint16_t loopCount, std::vector<uint8_t>& out);
void WriteComment(const std::string& text, std::vector<uint8_t>& out);
void WriteGraphicControl(const AnimationDocument& doc, const FrameRecord& frame,
                         std::vector<uint8_t>& out);
}  // namespace gif_blocks
