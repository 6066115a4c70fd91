#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A k-d tree over palette colours for exact nearest-colour queries. Nodes with fewer
// than kBucketSize points are leaves; the split goes through the mean of the dimension
// with the largest spread.

constexpr int kBucketSize = 6;
constexpr int kMaxDimensions = 3;
constexpr int32_t kUnboundedLow = -2147483647;
constexpr int32_t kUnboundedHigh = 2147483647;
constexpr int32_t kNoDistance = 2147483647;

// One point: red, green, blue.
using ColourPoint = std::array<int32_t, kMaxDimensions>;

struct ColourTreeNode {
    std::unique_ptr<ColourTreeNode> left;
    std::unique_ptr<ColourTreeNode> right;
    std::vector<int> bucket;  // palette indexes, leaves only
    int splitDimension = 0;
    double splitValue = 0.0;

    bool isLeaf() const { return !left && !right; }
};

// Error codes left in the context when memory ran out.
enum ColourTreeError : int {
    kTreeOk = 0,
    kTreeNoNode = 1,
    kTreeNoBucket = 2,
    kTreeNoChildIndexes = 3,
    kTreeNoQuery = 4,
    kTreeNoPoints = 5,
    kTreeNoContext = 6,
};

// Everything one query needs; also carries the point table the tree refers to.
struct ColourTreeContext {
    int dimensions = kMaxDimensions;
    bool useMaxNorm = false;  // square of the largest component difference instead of the sum
    const ColourPoint* points = nullptr;  // palette index -> colour
    std::array<double, kMaxDimensions> lower{};
    std::array<double, kMaxDimensions> upper{};
    int64_t bestDistance = kNoDistance;
    int bestIndex = 0;
    bool done = false;
    int error = kTreeOk;
};

using ColourTree = std::unique_ptr<ColourTreeNode>;

void Init(ColourTreeContext& context, int dimensions, bool useMaxNorm);
// A tree over points[indexes[0..n-1]] (context.points must be set). nullptr when the
// memory ran out (context.error tells why); a tree of zero points is a leaf.
ColourTree Build(const int* indexes, int n, ColourTreeContext& context);
// Bounds, best distance and the done flag back to their start; the best index stays.
void ResetQuery(ColourTreeContext& context);
// Nearest point to `point`; the answer is context.bestIndex (the first of equally near
// points in the order the search meets them).
void Search(const ColourTreeNode* root, const int32_t* point, ColourTreeContext& context);
void Free(ColourTree& root);
void FreeContext(ColourTreeContext& context);

// The distance the context uses between a query and a stored point.
int64_t PointDistance(const ColourTreeContext& context, const int32_t* q, const ColourPoint& p);

// The order in which Search meets the points for a given query: it visits the near side
// of every split first and a leaf's bucket front to back, so among equally near points
// the answer is the one it meets first. This tells that order without searching.
class ColourTreeOrder {
  public:
    ColourTreeOrder(const ColourTreeNode* root, int points);
    // True when Search for q meets point a before point b.
    bool Before(int a, int b, const int32_t* q) const;
    // True when the order of a and b is the same for every query in the box lo..hi
    // (inclusive on each axis).
    bool OrderFixedIn(int a, int b, const int32_t* lo, const int32_t* hi) const;

  private:
    struct Step {
        int node;
        bool right;
    };
    struct Place {
        std::vector<Step> path;
        uint64_t turns = 0;  // bit k: the step at depth k goes right (first 64 steps)
        int bucketPosition = 0;
    };
    struct Split {
        int dimension;
        double value;
    };
    void Walk(const ColourTreeNode* node, std::vector<Step>& path);
    // The first step at which the paths of a and b part; -1 when they share a leaf.
    int Parting(int a, int b) const;
    std::vector<Place> places_;
    std::vector<Split> splits_;
};
