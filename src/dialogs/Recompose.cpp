#include "dialogs/Recompose.h"

#include <mutex>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/DocumentCommands.h"

namespace {

bool HasPicture(FrameRecord& f) {
    std::lock_guard lock(f.composeLock);
    return f.composedBitmap != nullptr;
}

// Composes again those of `shown` that lost their picture.
void ComposeAgain(const std::vector<FrameRecord*>& shown) {
    for (FrameRecord* f : shown) {
        if (!HasPicture(*f)) StartComposition(*f);
    }
}

}  // namespace

void RecomposeFrom(FrameRecord* frame) {
    if (!frame) return;
    std::vector<FrameRecord*> shown;
    for (FrameRecord* f = frame; f; f = f->next) {
        if (HasPicture(*f)) shown.push_back(f);
    }
    DiscardComposedFrom(frame);
    ComposeAgain(shown);
}

void RecomposeAll(AnimationDocument& doc) {
    std::vector<FrameRecord*> shown;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        if (HasPicture(*f)) shown.push_back(f);
        DiscardComposedBitmap(*f);
    }
    ComposeAgain(shown);
}
