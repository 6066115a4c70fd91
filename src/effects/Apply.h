#pragma once

#include <functional>
#include <string>

#include "effects/EffectParams.h"

class AnimationDocument;
class FrameRecord;

// Runs the selection dialog with the session's block; true for OK (the block written).
using EffectDialogRunner = std::function<bool(EffectSession& session)>;

// What one Apply did, for the shell and the tests.
enum class ApplyResult { Inserted, Cancelled, Refused, Failed };

// The Effect command: isEffect = 1, then Apply.
ApplyResult RunEffectCommand(AnimationDocument& doc, EffectSession& session,
                             const EffectDialogRunner& dialog,
                             const std::function<void()>& stopPlayback = {});
// The Transition command: only with a selected frame whose successor has its place and
// size; otherwise nothing happens (Refused, no message).
ApplyResult RunTransitionCommand(AnimationDocument& doc, EffectSession& session,
                                 const EffectDialogRunner& dialog,
                                 const std::function<void()>& stopPlayback = {});
bool TransitionPossible(const AnimationDocument& doc);

// Apply: checks the selection, runs the dialog, runs the chosen renderer in its final
// mode and inserts the frames after the selected frame as one group.
ApplyResult Apply(AnimationDocument& doc, EffectSession& session, const EffectDialogRunner& dialog,
                  const std::function<void()>& stopPlayback = {});

// "Effect %d: %s" / "Trans %d: %s" for the next group of its kind.
std::string NextGroupLabel(const AnimationDocument& doc, bool effect, const char* name);
