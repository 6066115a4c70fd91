#include "document/PaletteChoice.h"

#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"

void SetUseGlobalPalette(AnimationDocument& doc, bool on) {
    if (!on) {
        for (FrameRecord* f = doc.firstFrame; f; f = f->next) f->WaitForReduction();
    }
    {
        AnimationDocument::StructureWriteLock structure(doc);
        doc.hasGlobalPalette = on;
        if (!on) {
            for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
                if (f->hasLocalPalette) continue;
                f->palette = doc.globalPalette;
                f->hasLocalPalette = 1;
            }
        }
    }
    doc.MarkChanged();
}

bool SetUseLocalPalette(AnimationDocument& doc, FrameRecord& frame, bool on) {
    // A running reduction sets the palette kind when it ends: the switch comes after it.
    frame.WaitForReduction();
    const bool globalSwitchedOn = !on && !doc.hasGlobalPalette;
    {
        AnimationDocument::StructureWriteLock structure(doc);
        if (globalSwitchedOn) doc.hasGlobalPalette = true;
        if (on && !frame.hasLocalPalette) frame.palette = doc.globalPalette;
        frame.hasLocalPalette = on ? 1 : 0;
    }
    doc.MarkChanged();
    return globalSwitchedOn;
}
