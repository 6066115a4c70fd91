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
    // Boxes of 32 and 16 colours a side keep their lists in a pool; cells of 8 keep
    // their list laid out for measuring four colours at a time.
    static constexpr int kOuterLevels = 2;
    static constexpr std::array<int, kOuterLevels> kBoxBits{5, 4};
    static constexpr int kCellBits = 3;
    static constexpr int kNarrow = 8;  // most cells have fewer candidates than this
    static constexpr int kWide = 16;   // a lane's position must fit the low 4 bits of a key
    static constexpr uint8_t kWideList = 0xFE;
    static constexpr uint8_t kPooled = 0xFF;

    struct Colour {
        float red, green, blue;  // squared distances of 8-bit colours are exact in floats
    };
    struct List {
        int32_t start = -1;
        int32_t count = 0;
    };
    // A cell's candidates in the order the tree's search meets them at the cell's
    // corner, padded with a colour far outside the cube. When `fixedOrder` is set that
    // order holds for every query in the cell, so the first nearest colour is the answer.
    template <int Lanes>
    struct alignas(16) LaneList {
        float red[Lanes];
        float green[Lanes];
        float blue[Lanes];
        uint8_t indexes[Lanes];
        uint8_t count = 0;
        uint8_t fixedOrder = 0;
    };
    // Up to kNarrow candidates inline; more in wide_ (up to kWide) or in the pool.
    struct Cell {
        LaneList<kNarrow> narrow;
        uint8_t kind = 0;  // 0 inline, kWideList or kPooled
        List more;         // wide_[more.start], or the pool range
    };

    List OuterBox(int level, int r, int g, int b);
    // Builds the cell holding (r, g, b) and returns its number.
    uint16_t AddCell(int r, int g, int b);
    Cell BuildCell(int r, int g, int b);
    // Appends to `out` the indexes among `from` that can be nearest in the box.
    void Gather(int r, int g, int b, int bits, const uint8_t* from, int n,
                std::vector<uint8_t>& out);
    template <int Lanes>
    void FillLanes(LaneList<Lanes>& lanes, const uint8_t* indexes, int n, const int32_t* lo,
                   const int32_t* hi) const;
    template <int Lanes>
    int NearestIn(const LaneList<Lanes>& lanes, int32_t r, int32_t g, int32_t b) const;
    // Of the equally near colours list[k] for the bits k of `near`, the one the search
    // meets first.
    int FirstMet(const uint8_t* list, uint32_t near, const int32_t* q) const;
    int NearestInPool(const List& list, int32_t r, int32_t g, int32_t b) const;

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
    std::vector<LaneList<kWide>> wide_;
    std::vector<uint8_t> pool_;
    std::vector<uint8_t> scratch_;
};
