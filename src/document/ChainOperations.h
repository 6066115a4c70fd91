#pragma once

#include <functional>
#include <string>

class AnimationDocument;
class FrameRecord;
class TreeItem;

// A chain is a list of new frame records linked through next and prev, owned by
// whoever built it until it is spliced into the document (or discarded).

// n copies of a (or of b when a is none), without true colour. nullptr when n <= 0, a
// source is not a complete frame (bitsPerPixel 8), the size is below 1 x 1, or memory
// ran out (what was made is discarded).
FrameRecord* NewChain(FrameRecord* a, FrameRecord* b, int n);

// Reverses the chain that `anyFrame` belongs to; returns the new first frame.
FrameRecord* ReverseChain(FrameRecord* anyFrame);

// True-colour planes for a, b and the first n frames of chain. False when memory ran out.
bool PrepareForTrueColour(FrameRecord* a, FrameRecord* b, FrameRecord* chain, int n);

// For PingPong: (total + 1) / 2 frames exist; appends total - h copies taken backwards
// (from the last frame when total - h = h, else from the one before it). 1 or 0.
int AppendMirror(FrameRecord* chain, int total);

// Announces n reductions, then starts the reduction job of each of the first n frames.
void StartReduction(FrameRecord* chain, int n);

// Ends a generator's run: the chain is kept (and, unless preview, reduced) when the
// shell accepts it, else destroyed. Returns the chain or nullptr.
FrameRecord* FinishGeneration(FrameRecord* a, FrameRecord* b, FrameRecord* chain, int n,
                              int computed, bool preview);

// Destroys every frame of a chain; returns nullptr.
FrameRecord* DiscardChain(FrameRecord* chain);

int CountChain(const FrameRecord* chain);
FrameRecord* LastOfChain(FrameRecord* chain);

// Links the chain after the selected frame, inserts the group entry `groupLabel` after
// the selected entry with one child entry per frame (childLabel(i, n), i from 1), starts
// the frames' compositions, selects the first new entry and shows the last. Returns the
// group entry.
TreeItem* InsertChainAfterSelection(AnimationDocument& doc, FrameRecord* chain,
                                    const std::string& groupLabel,
                                    const std::function<std::string(int, int)>& childLabel);
