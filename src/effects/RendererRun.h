#pragma once

#include <cstdint>

#include "effects/EffectParams.h"

class FrameRecord;
struct RegistryEntry;

// Bytes of a renderer's output chain of n frames of width x height: the index and the
// true-colour plane of every frame, the bookkeeping of every record, and the true-colour
// planes of the two inputs. Saturates instead of wrapping; 0 for nothing to make.
int64_t OutputChainBytes(int64_t n, int64_t width, int64_t height);

// True when an output chain of n frames of frame's size fits in the memory budget.
bool OutputChainFits(const FrameRecord& frame, int64_t n);

// Runs the entry's renderer the way Apply and the dialog's preview do. None without
// calling it when the frames it would make cannot fit in memory; none when memory ran
// out on the way. Whatever the block holds, the renderer sees a count that fits.
FrameRecord* RunRenderer(const RegistryEntry& entry, FrameRecord* frame1, FrameRecord* frame2,
                         int n, const EffectParams& block);
