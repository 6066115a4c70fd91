#include "effects/renderers/Convolution.h"

#include <cstdint>

#include "document/PixelPlanes.h"

ConvolutionKernel BlurKernel(int strength) {
    const double s = strength * 0.01;
    const double edge = (1 - s) * 0.75 * 0.25;
    const double corner = (1 - s - (1 - s) * 0.75) * 0.25;
    ConvolutionKernel k;
    k.weight[0][0] = k.weight[0][2] = k.weight[2][0] = k.weight[2][2] = corner;
    k.weight[0][1] = k.weight[1][0] = k.weight[1][2] = k.weight[2][1] = edge;
    k.weight[1][1] = s;
    return k;
}

ConvolutionKernel EmbossKernel(int strength, int bias) {
    ConvolutionKernel k;
    k.weight[0][0] = -strength * 0.01;
    k.weight[2][2] = strength * 0.01;
    k.bias = bias;
    return k;
}

namespace {

struct Cell {
    int dy, dx;
    double w;
};

// A channel sum becomes a byte: 255 or more gives 255, then it is truncated toward
// zero. A negative sum (a deep emboss shadow) gives 0: letting its low bits wrap
// round would paint the darkest relief in bright, unrelated colours.
inline uint32_t ToChannel(double sum) {
    if (sum >= 255.0) return 255;
    if (sum <= 0.0) return 0;
    return uint32_t(sum);
}

constexpr uint32_t kMidGrey = 0x808080u;

inline uint32_t Neighbour(uint32_t pixel) {
    return (pixel & kTransparentMarker) ? kMidGrey : pixel;
}

}  // namespace

void Convolve(TrueColourBuffer& destination, const TrueColourBuffer& source,
              const ConvolutionKernel& kernel) {
    // Cells of weight 0 add nothing to a sum (x * 0.0 is 0), so they are left out; the
    // order of the others stays rows top to bottom, cells left to right.
    Cell cells[9];
    int count = 0;
    for (int r = 0; r < 3; ++r)
        for (int q = 0; q < 3; ++q)
            if (kernel.weight[r][q] != 0.0)
                cells[count++] = Cell{r - 1, q - 1, kernel.weight[r][q]};
    const double bias = kernel.bias;
    const int w = destination.width;
    const int h = destination.height;

    auto pixelAt = [&](int x, int y, bool inside) -> uint32_t {
        const uint32_t own = source.get(x, y);
        if (own & kTransparentMarker) return own;
        double red = 0.0, green = 0.0, blue = 0.0;
        for (int c = 0; c < count; ++c) {
            const int nx = x + cells[c].dx;
            const int ny = y + cells[c].dy;
            if (!inside && (nx < 0 || ny < 0 || nx >= w || ny >= h)) continue;
            const uint32_t n = Neighbour(source.get(nx, ny));
            red += double((n >> 16) & 0xFF) * cells[c].w;
            green += double((n >> 8) & 0xFF) * cells[c].w;
            blue += double(n & 0xFF) * cells[c].w;
        }
        red += bias;
        green += bias;
        blue += bias;
        return (ToChannel(red) << 16) | (ToChannel(green) << 8) | ToChannel(blue);
    };

    for (int y = 0; y < h; ++y) {
        uint32_t* out = destination.row(y);
        const bool innerRow = y > 0 && y < h - 1;
        for (int x = 0; x < w; ++x) {
            const bool inside = innerRow && x > 0 && x < w - 1;
            out[x] = pixelAt(x, y, inside);
        }
    }
}

void CrossMixPixels(TrueColourBuffer& a, TrueColourBuffer& b, TrueColourBuffer* middle) {
    const size_t count = size_t(a.width) * size_t(a.height);
    uint32_t* pa = a.data();
    uint32_t* pb = b.data();
    uint32_t* pm = middle ? middle->data() : nullptr;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t va = pa[i];
        const uint32_t vb = pb[i];
        uint32_t na = va & kTransparentMarker;
        uint32_t nb = vb & kTransparentMarker;
        uint32_t nm = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const uint32_t ca = (va >> shift) & 0xFF;
            const uint32_t cb = (vb >> shift) & 0xFF;
            na |= (((3 * ca) >> 2) + (cb >> 2)) << shift;
            nb |= (((3 * cb) >> 2) + (ca >> 2)) << shift;
            nm |= ((ca + cb) / 2) << shift;
        }
        pa[i] = na;
        pb[i] = nb;
        if (pm) pm[i] = nm;  // whole pixels: the middle frame starts from nothing
    }
}
