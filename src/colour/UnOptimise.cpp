#include "colour/UnOptimise.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "colour/ScreenPicture.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "document/DocumentNotifier.h"
#include "document/FrameRecord.h"

int UnOptimise(AnimationDocument& doc, bool restartReduction) {
    const int sw = doc.screenWidth, sh = doc.screenHeight;
    if (!IsPlaneSizeAcceptable(sw, sh)) return doc.empty() ? 0 : 5;
    ScreenPixels screen;
    BeneathPixels beneath = NothingBeneath(doc);
    std::vector<FrameRecord*> changed;
    int result = 0;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        // The screen after this frame is what the frame must show on its own.
        ScreenPixels after = ScreenBefore(*f, screen);
        DrawFrameOnScreen(*f, after, &beneath);
        screen = std::move(after);
        if (f->coversScreen() && !f->hasTransparency) {
            StackFrame(*f, beneath);
            continue;
        }

        std::shared_ptr<TrueColourBuffer> colours = TrueColourBuffer::Create(sw, sh);
        std::shared_ptr<IndexBuffer> indexes = IndexBuffer::Create(f, sw, sh);
        if (!colours || !indexes) {
            result = 5;
            break;
        }
        std::copy(screen.begin(), screen.end(), colours->data());
        indexes->fill(0);
        {
            AnimationDocument::StructureWriteLock lock(doc);
            f->SetPaletteValid(false);
            f->ReplaceTrueColourPlane(std::move(colours));
            f->ReplaceIndexPlane(std::move(indexes));
            f->left = 0;
            f->top = 0;
            f->width = sw;
            f->height = sh;
            f->hasTransparency = 0;
            f->transparencyActive = 0;
        }
        doc.MarkChanged();
        StackFrame(*f, beneath);
        changed.push_back(f);
    }
    if (changed.empty()) return result;
    for (FrameRecord* f = changed.front(); f; f = f->next) DiscardComposedBitmap(*f);
    // Reductions start once every frame is built: the later frames were computed from
    // these exact colours, not from the reduced ones.
    if (restartReduction) {
        doc.notifier.Notify(kNotifyBatchStarts, kBatchReduction, int(changed.size()));
        for (FrameRecord* f : changed) StartReduction(*f);
    }
    return result;
}
