#pragma once

#include <string>

#include "colour/OptimiseProgress.h"

class AnimationDocument;

// Saving optimised, the two ways Save As offers it:
// - optimiseDocumentItself = false: a second document is made from this one's state
//   (its frames share the planes), optimised and written; this document (frames, global
//   palette, background index, history) stays exactly as it was;
// - optimiseDocumentItself = true: the document itself is optimised (a change that the
//   caller's open DocumentEdit, if any, records) and written; it then holds the
//   optimised frames.
// Optimising is OptimiseForSize followed by the removal of frames that repeat the one
// before (their time kept). Returns what the GIF writer returns (0, 1 cannot write), 5
// when the copy could not be made, or -1 when the optimisation was aborted (nothing is
// written, an existing file stays as it was). The caller sets the busy flag around it as
// for any save.
int SaveOptimised(AnimationDocument& doc, const std::string& path, bool optimiseDocumentItself,
                  OptimiseProgress& progress);

// After the document itself was optimised and saved (and the busy flag cleared): every
// frame after the first is composed again, the selected one at once.
void RedisplayAfterOptimisedSave(AnimationDocument& doc);
