#include "banner/TextCanvas.h"

namespace {
// The classic three-dimensional colours of a sunken control edge.
constexpr uint32_t kEdgeShadow = 0x808080;
constexpr uint32_t kEdgeHighlight = 0xFFFFFF;
constexpr uint32_t kEdgeDarkShadow = 0x404040;
constexpr uint32_t kEdgeLight = 0xC0C0C0;

// One ring one pixel wide: top and left in `topLeft`, bottom and right in `bottomRight`.
void Ring(TextCanvas& canvas, const CanvasRect& r, uint32_t topLeft, uint32_t bottomRight) {
    if (r.width() <= 0 || r.height() <= 0) return;
    canvas.FillRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    canvas.FillRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    canvas.FillRect({r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    canvas.FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
}
}  // namespace

CanvasRect DrawSunkenEdge(TextCanvas& canvas, const CanvasRect& rect) {
    Ring(canvas, rect, kEdgeShadow, kEdgeHighlight);
    const CanvasRect inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    Ring(canvas, inner, kEdgeDarkShadow, kEdgeLight);
    CanvasRect inside{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    // A rectangle too small for the edge keeps nothing inside.
    if (inside.right < inside.left) inside.right = inside.left;
    if (inside.bottom < inside.top) inside.bottom = inside.top;
    return inside;
}
