#pragma once

#include <QRect>

// The rectangle moved (and shrunk where it must) onto the available area of the screen it
// is mostly on, or of the primary screen when it is on none: a placement stored under
// another screen layout never leaves a window out of reach.
QRect ClampToScreen(const QRect& wanted);
