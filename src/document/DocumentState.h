#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/DocumentParameters.h"
#include "document/FrameData.h"
#include "document/FrameTree.h"

class AnimationDocument;

// The whole document as a value: the animation-wide parameters, every frame's data
// (planes shared with the document, not copied), the frame tree, the sizes of the group
// tables and the selection. The undo history keeps one on each side of a change.
struct DocumentState {
    struct Frame {
        FrameData data;
        uint32_t transparencyActive = 1;
        bool operator==(const Frame&) const = default;
    };
    DocumentParameters parameters;
    std::vector<Frame> frames;
    std::vector<FrameTree::Entry> entries;
    std::array<size_t, 3> groupCounts{};  // effects, transitions, banners inserted so far
    int selectedEntry = 0;                // pre-order position, 0 = the root

    bool operator==(const DocumentState&) const = default;
};

// Takes the document's state; frames waiting for their colour reduction are taken with
// their true-colour plane, so that putting them back reduces them again.
DocumentState CaptureState(const AnimationDocument& doc);

// Makes the document what `state` describes: frames and tree are built anew from it,
// pending reductions start again, the selection goes back to its position. The
// composed pictures are computed again when asked for. False when memory ran out (the
// document is then empty).
bool RestoreState(AnimationDocument& doc, const DocumentState& state);

// Memory of the planes that `a` holds and `b` does not (what keeping `a` costs while
// the document is `b`).
int64_t PlaneBytesNotIn(const DocumentState& a, const DocumentState& b);
