#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/DocumentParameters.h"
#include "document/FrameData.h"
#include "document/FrameTree.h"

class AnimationDocument;

// One frame as a value: its data (planes shared with the document, not copied) and
// whether its transparency shows.
struct FrameState {
    FrameData data;
    uint32_t transparencyActive = 1;
    bool operator==(const FrameState&) const = default;
};

// Everything of the document but its frames: the animation-wide parameters, the frame
// tree, the sizes of the group tables and the selection.
struct DocumentOutline {
    DocumentParameters parameters;
    std::vector<FrameTree::Entry> entries;
    std::array<size_t, 3> groupCounts{};  // effects, transitions, banners inserted so far
    int selectedEntry = 0;                // pre-order position, 0 = the root
    bool operator==(const DocumentOutline&) const = default;
};

// The whole document as a value. The undo history keeps what a change touched of one on
// each side of it.
struct DocumentState : DocumentOutline {
    std::vector<FrameState> frames;
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

// Puts `frames` in place of the document's frames [at, at + count) and makes the rest of
// the document what `outline` describes. The frames before `at` and after the run keep
// their records; pictures composed from the run on are discarded (all of them when the
// parameters change). False when memory ran out (the document is then empty).
bool SpliceFrames(AnimationDocument& doc, size_t at, size_t count,
                  const std::vector<FrameState>& frames, const DocumentOutline& outline);

// Memory of the planes that `a` holds and `b` does not (what keeping `a` costs while
// the document holds `b`).
int64_t PlaneBytesNotIn(const std::vector<FrameState>& a, const std::vector<FrameState>& b);
