#pragma once

#include <cstdint>

class TrueColourBuffer;

// A 3 x 3 kernel addressed [row][column], row 0 above the pixel, column 0 left of it,
// plus a bias added to every channel sum.
struct ConvolutionKernel {
    double weight[3][3] = {};
    int bias = 0;
};

ConvolutionKernel BlurKernel(int strength);
ConvolutionKernel EmbossKernel(int strength, int bias);

// destination = source convolved with the kernel (both of the destination's size).
// Transparent source pixels are copied with their marker; transparent neighbours count
// as mid grey; neighbours outside the image are left out. Sums run over the rows top
// to bottom and the cells left to right, in doubles, so results are reproducible.
void Convolve(TrueColourBuffer& destination, const TrueColourBuffer& source,
              const ConvolutionKernel& kernel);

// Mixes A and B a quarter towards each other; with `middle` (same size) it also gets
// their average. A and B keep their transparent markers, the middle has none.
void CrossMixPixels(TrueColourBuffer& a, TrueColourBuffer& b, TrueColourBuffer* middle);
