#include "effects/renderers/UncoveredCells.h"

#include <new>

#include "document/MemoryBudget.h"
#include "document/PixelPlanes.h"

bool UncoveredCells::Init(int64_t count) {
    tree_.clear();
    count_ = uncovered_ = 0;
    top_ = 1;
    if (count < 0 || count > kMaxPlanePixels) return false;
    if (!FitsInMemory((count + 1) * int64_t(sizeof(uint32_t)))) return false;
    try {
        tree_.assign(size_t(count) + 1, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    count_ = uncovered_ = count;
    for (int64_t i = 1; i <= count; ++i) {
        tree_[size_t(i)] += 1;
        const int64_t parent = i + (i & -i);
        if (parent <= count) tree_[size_t(parent)] += tree_[size_t(i)];
    }
    while (top_ * 2 <= count) top_ *= 2;
    return true;
}

int64_t UncoveredCells::Take(int64_t r) {
    if (r < 0 || r >= uncovered_) return -1;
    int64_t pos = 0, rest = r + 1;
    for (int64_t step = top_; step > 0; step /= 2) {
        const int64_t next = pos + step;
        if (next <= count_ && int64_t(tree_[size_t(next)]) < rest) {
            pos = next;
            rest -= tree_[size_t(next)];
        }
    }
    const int64_t cell = pos;  // the tree's position before the cell is its 0-based index
    if (cell >= count_) return -1;
    for (int64_t i = cell + 1; i <= count_; i += i & -i) tree_[size_t(i)] -= 1;
    --uncovered_;
    return cell;
}
