#pragma once

#include <optional>

class QWidget;

// The two small questions of the timing commands; each sees only the number it asks for.
// nullopt when the user cancels.
namespace FrameTimingDialog {

// "Set Delay": one delay in hundredths of a second for every selected frame.
std::optional<int> AskDelay(QWidget* parent, int initial, int frames);

// "Scale Delays": a percentage every selected frame's delay is multiplied by.
std::optional<int> AskPercent(QWidget* parent, int initial, int frames);

}  // namespace FrameTimingDialog
