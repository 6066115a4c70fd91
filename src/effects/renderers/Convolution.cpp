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
    k.weight[0][0] = -double(strength) * 0.01;  // negated as a double: any int may come
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
    // order of the others stays rows top to bottom, cells left to right. Each cell's
    // products channel x weight are tabled: the same doubles, computed once.
    struct Cell {
        int dy, dx;
        double product[256];
    };
    Cell cells[9];
    int count = 0;
    for (int r = 0; r < 3; ++r)
        for (int q = 0; q < 3; ++q) {
            const double weight = kernel.weight[r][q];
            if (weight == 0.0) continue;
            Cell& cell = cells[count++];
            cell.dy = r - 1;
            cell.dx = q - 1;
            for (int v = 0; v < 256; ++v) cell.product[v] = double(v) * weight;
        }
    const double bias = kernel.bias;
    const int w = destination.width;
    const int h = destination.height;

    auto finish = [bias](double red, double green, double blue) -> uint32_t {
        return (ToChannel(red + bias) << 16) | (ToChannel(green + bias) << 8) |
               ToChannel(blue + bias);
    };
    // Border pixels: neighbours outside the image are left out.
    auto borderPixel = [&](int x, int y) -> uint32_t {
        const uint32_t own = source.get(x, y);
        if (own & kTransparentMarker) return own;
        double red = 0.0, green = 0.0, blue = 0.0;
        for (int c = 0; c < count; ++c) {
            const int nx = x + cells[c].dx;
            const int ny = y + cells[c].dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const uint32_t n = Neighbour(source.get(nx, ny));
            red += cells[c].product[(n >> 16) & 0xFF];
            green += cells[c].product[(n >> 8) & 0xFF];
            blue += cells[c].product[n & 0xFF];
        }
        return finish(red, green, blue);
    };

    for (int y = 0; y < h; ++y) {
        uint32_t* out = destination.row(y);
        if (y == 0 || y == h - 1 || w < 3) {
            for (int x = 0; x < w; ++x) out[x] = borderPixel(x, y);
            continue;
        }
        const uint32_t* rows[3] = {source.row(y - 1), source.row(y), source.row(y + 1)};
        out[0] = borderPixel(0, y);
        for (int x = 1; x < w - 1; ++x) {
            const uint32_t own = rows[1][x];
            if (own & kTransparentMarker) {
                out[x] = own;
                continue;
            }
            double red = 0.0, green = 0.0, blue = 0.0;
            for (int c = 0; c < count; ++c) {
                const Cell& cell = cells[c];
                const uint32_t n = Neighbour(rows[cell.dy + 1][x + cell.dx]);
                red += cell.product[(n >> 16) & 0xFF];
                green += cell.product[(n >> 8) & 0xFF];
                blue += cell.product[n & 0xFF];
            }
            out[x] = finish(red, green, blue);
        }
        out[w - 1] = borderPixel(w - 1, y);
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
