#pragma once

#include <string>

#include "colour/OptimiseProgress.h"

class AnimationDocument;
class FrameRecord;

// Saving optimised, the two ways Save As offers it:
// - optimiseDocumentItself = false: a copy of every frame is optimised and written; the
//   document (frames, global palette, background index) stays exactly as it was;
// - optimiseDocumentItself = true: the document's own frames are optimised and written;
//   the document then holds the optimised frames.
// Returns what the GIF writer returns (0, 1 cannot write), 5 when the copy could not be
// made, or -1 when the optimisation was aborted (nothing is written). The caller sets
// the busy flag around it as for any save.
int SaveOptimised(AnimationDocument& doc, const std::string& path, bool optimiseDocumentItself,
                  OptimiseProgress& progress);

// After the document itself was optimised and saved (and the busy flag cleared): every
// frame after the first is composed again, the selected one at once.
void RedisplayAfterOptimisedSave(AnimationDocument& doc);

// A linked copy of every frame of the document, with everything the writer uses
// (palette kind, disposal, comments). nullptr when memory ran out.
FrameRecord* CopyDocumentFrames(AnimationDocument& doc);

// The writer's optimiser (registered with it): optimises the document's current list
// with the progress of the running SaveOptimised, or through the host.
int OptimiseForSave(AnimationDocument& doc);
