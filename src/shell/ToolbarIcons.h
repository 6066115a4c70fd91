#pragma once

#include <QIcon>

// The toolbar's pictures, drawn here: 0 open, 1 save, 2 copy, 3 effect, 4 help, 5 start,
// 6 stop, 7 first, 8 last, 9 transition, 10 banner.
QIcon ToolbarIcon(int image);
