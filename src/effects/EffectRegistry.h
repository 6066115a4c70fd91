#pragma once

#include <array>
#include <string_view>

#include "effects/EffectFields.h"
#include "effects/EffectParams.h"

class FrameRecord;
class ParameterForm;

// Configures or validates the parameter form for one entry; nonzero accepts.
using SetupHandler = int (*)(ParameterForm& form, int mode);
// Computes the frames: frame 2 is the successor for a transition and none for an
// effect. Returns the head of a new chain, or none.
using Renderer = FrameRecord* (*)(FrameRecord* frame1, FrameRecord* frame2, int frameCount,
                                  const EffectParams& block);

struct RegistryEntry {
    const char* name;  // at most 99 characters
    SetupHandler setup;
    Renderer renderer;
    FieldList fields;  // what the setup handler shows, in the order velmora-cli lists them
};

constexpr int kEffectCount = 23;
constexpr int kTransitionCount = 26;

const std::array<RegistryEntry, kEffectCount>& EffectTable();
const std::array<RegistryEntry, kTransitionCount>& TransitionTable();

// The entry at index of the effect (effect = true) or transition table; none outside.
const RegistryEntry* FindEntry(bool effect, int index);
// Index of the entry named `name` (case-insensitive) or -1.
int FindEntryByName(bool effect, std::string_view name);
