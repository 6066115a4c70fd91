#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "colour/ColourTree.h"
#include "document/Palette.h"

// A fast stand-in for one k-d tree query per pixel with exactly the tree's answers.
// The colour cube is cut into cells; each cell, when first met, gets the list of
// palette colours that can be nearest to some point in it, so a query measures only
// those. Equally near colours are settled by the order in which the tree's search
// would meet them.
class NearestColourGrid {
  public:
    // order: the search order of the tree built over the same first `colours` entries.
    NearestColourGrid(const Palette& palette, int colours, const ColourTreeOrder& order);

    int Nearest(uint32_t rgb);

  private:
    // Boxes of 32 and 16 colours a side keep their lists in a pool; cells of 8 keep a
    // short list inline, so that a query touches little memory besides the palette.
    static constexpr int kOuterLevels = 2;
    static constexpr std::array<int, kOuterLevels> kBoxBits{5, 4};
    static constexpr int kCellBits = 3;
    static constexpr int kInline = 13;
    static constexpr int kShortList = 6;
    static constexpr int kPadding = 255;  // never a palette colour: there are at most 255
    static constexpr uint8_t kUnbuilt = 0xFF;
    static constexpr uint8_t kPooled = 0xFE;

    struct Colour {
        float red, green, blue;  // squared distances of 8-bit colours are exact in floats
        int32_t index;
    };
    struct List {
        int32_t start = -1;
        int32_t count = 0;
    };
    // count, then up to kInline palette indexes; a longer list lives in the pool, its
    // start in the bytes after `count`.
    // When `fixedOrder` is set, the inline list is in the order the tree's search meets
    // the colours for every query in the cell, so the first nearest one is the answer.
    struct Cell {
        uint8_t count = kUnbuilt;
        uint8_t pooledCount = 0;
        uint8_t fixedOrder = 0;
        uint8_t indexes[kInline] = {};
    };

    List OuterBox(int level, int r, int g, int b);
    Cell& CellOf(int r, int g, int b);
    // Appends to `out` the indexes among `from` that can be nearest in the box.
    void Gather(int r, int g, int b, int bits, const uint8_t* from, int n,
                std::vector<uint8_t>& out);

    const ColourTreeOrder& order_;
    int colours_;
    std::array<Colour, 256> palette_{};
    std::array<uint8_t, 256> all_{};
    std::array<std::vector<List>, kOuterLevels> boxes_;
    // Which built cell a cell of the cube is (kNoCell until built). Built cells sit
    // densely in order of first use, which keeps the memory a picture touches small.
    static constexpr uint16_t kNoCell = 0xFFFF;
    std::vector<uint16_t> cellIds_;
    std::vector<Cell> cells_;
    std::vector<uint8_t> pool_;
    std::vector<uint8_t> scratch_;
};
