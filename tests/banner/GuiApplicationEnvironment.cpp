// Ends the test program's GUI application after the last test.
#if VELMORA_TEXTCANVAS
#include "banner/GuiApplication.h"

namespace {
// GoogleTest owns the environments it is given.
::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);
}  // namespace
#endif
