#pragma once

class AnimationDocument;

// The call point for optimising before a save ("save optimised"). The optimiser
// registers itself here when it is built in; until then the option has nothing to call
// and saving writes the frames as they are. The optimiser returns 0, or -1 when the
// user cancelled (the save is then abandoned).
using SaveOptimiser = int (*)(AnimationDocument& doc);

void RegisterSaveOptimiser(SaveOptimiser optimiser);
SaveOptimiser RegisteredSaveOptimiser();
