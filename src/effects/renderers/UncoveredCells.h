#pragma once

#include <cstdint>
#include <vector>

// The cells of a table not yet covered, as counts in a Fenwick tree, so that the
// (r + 1)-th uncovered cell in row-major order is found in logarithmic time. Random
// picks choose a rank among the uncovered cells, so every pick finds a cell and a run
// never depends on luck to end.
class UncoveredCells {
  public:
    // count cells, all uncovered. False (and nothing kept) when count is below 0, above
    // what a plane can hold, or its table does not fit in memory.
    bool Init(int64_t count);
    // The 0-based cell of the (r + 1)-th uncovered cell, marked covered; -1 when r is
    // negative or there are not that many uncovered cells.
    int64_t Take(int64_t r);
    int64_t uncovered() const { return uncovered_; }

  private:
    std::vector<uint32_t> tree_;
    int64_t count_ = 0;
    int64_t top_ = 1;
    int64_t uncovered_ = 0;
};
