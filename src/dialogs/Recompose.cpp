#include "dialogs/Recompose.h"

#include <mutex>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/DocumentCommands.h"

namespace {

// Composes again those of `shown` that lost their picture.
void ComposeAgain(const std::vector<FrameRecord*>& shown) {
    for (FrameRecord* f : shown) {
        if (!HasComposedBitmap(*f)) StartComposition(*f);
    }
}

}  // namespace

void RecomposeFrom(FrameRecord* frame) {
    if (!frame) return;
    std::vector<FrameRecord*> shown;
    for (FrameRecord* f = frame; f; f = f->next) {
        if (HasComposedBitmap(*f)) shown.push_back(f);
    }
    DiscardComposedFrom(frame);
    ComposeAgain(shown);
}

void RecomposeAll(AnimationDocument& doc) {
    std::vector<FrameRecord*> shown;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        if (HasComposedBitmap(*f)) shown.push_back(f);
        DiscardComposedBitmap(*f);
    }
    ComposeAgain(shown);
}
