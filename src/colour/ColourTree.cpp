#include "colour/ColourTree.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>

namespace {

double Coordinate(const ColourTreeContext& c, int index, int d) {
    return double(c.points[index][size_t(d)]);
}

ColourTree MakeLeaf(const int* indexes, int n, ColourTreeContext& context) {
    ColourTree node(new (std::nothrow) ColourTreeNode);
    if (!node) {
        context.error = kTreeNoNode;
        return nullptr;
    }
    try {
        node->bucket.assign(indexes, indexes + n);
    } catch (const std::bad_alloc&) {
        context.error = kTreeNoBucket;
        return nullptr;
    }
    return node;
}

// The ball of radius sqrt(best) around q lies inside the current bounds, so no point
// outside them can beat the best one found.
bool BallWithinBounds(const int32_t* q, const ColourTreeContext& c) {
    const double radius = std::sqrt(double(c.bestDistance));
    for (int d = 0; d < c.dimensions; ++d) {
        const double v = double(q[d]);
        if (!(std::fabs(v - c.lower[size_t(d)]) > radius)) return false;
        if (!(std::fabs(v - c.upper[size_t(d)]) > radius)) return false;
    }
    return true;
}

// Could the current bounds hold a point nearer than the best one? The summed squared
// distance from q to the box is a lower bound for every point in it.
bool BoundsOverlapBall(const int32_t* q, const ColourTreeContext& c) {
    double sum = 0.0;
    for (int d = 0; d < c.dimensions; ++d) {
        const double v = double(q[d]);
        const double lo = c.lower[size_t(d)];
        const double hi = c.upper[size_t(d)];
        double gap = 0.0;
        if (v <= lo) {
            gap = v - lo;
        } else if (v >= hi) {
            gap = v - hi;
        }
        if (c.useMaxNorm) {
            sum = std::fmax(sum, gap * gap);
        } else {
            sum += gap * gap;
        }
        if (sum >= double(c.bestDistance)) return false;
    }
    return true;
}

void SearchNode(const ColourTreeNode* node, const int32_t* q, ColourTreeContext& c) {
    if (c.error != kTreeOk || c.done) return;
    if (node->isLeaf()) {
        for (const int i : node->bucket) {
            const int64_t dist = PointDistance(c, q, c.points[i]);
            if (dist < c.bestDistance) {
                c.bestDistance = dist;
                c.bestIndex = i;
            }
        }
        if (BallWithinBounds(q, c)) c.done = true;
        return;
    }
    const size_t d = size_t(node->splitDimension);
    const double v = node->splitValue;
    const bool nearIsLeft = double(q[d]) <= v;
    const ColourTreeNode* nearSide = nearIsLeft ? node->left.get() : node->right.get();
    const ColourTreeNode* farSide = nearIsLeft ? node->right.get() : node->left.get();

    double& nearBound = nearIsLeft ? c.upper[d] : c.lower[d];
    double saved = nearBound;
    nearBound = v;
    SearchNode(nearSide, q, c);
    nearBound = saved;
    if (c.done) return;

    double& farBound = nearIsLeft ? c.lower[d] : c.upper[d];
    saved = farBound;
    farBound = v;
    if (BoundsOverlapBall(q, c)) SearchNode(farSide, q, c);
    farBound = saved;
    if (c.done) return;
    if (BallWithinBounds(q, c)) c.done = true;
}

}  // namespace

int64_t PointDistance(const ColourTreeContext& context, const int32_t* q, const ColourPoint& p) {
    int64_t result = 0;
    for (int d = 0; d < context.dimensions; ++d) {
        const int64_t diff = int64_t(q[d]) - int64_t(p[size_t(d)]);
        if (context.useMaxNorm) {
            result = std::max(result, diff * diff);
        } else {
            result += diff * diff;
        }
    }
    return result;
}

void Init(ColourTreeContext& context, int dimensions, bool useMaxNorm) {
    context = ColourTreeContext{};
    context.dimensions =
        dimensions < 1 ? 1 : (dimensions > kMaxDimensions ? kMaxDimensions : dimensions);
    context.useMaxNorm = useMaxNorm;
    context.bestIndex = 0;
    ResetQuery(context);
}

ColourTree Build(const int* indexes, int n, ColourTreeContext& context) {
    if (n < 0) n = 0;
    if (n < kBucketSize || !context.points) return MakeLeaf(indexes, n, context);

    // Split along the dimension with the largest spread, through its mean. A later
    // dimension wins only with a strictly larger spread.
    int splitDimension = 0;
    double splitValue = 0.0;
    double bestSpread = -1.0;
    for (int d = 0; d < context.dimensions; ++d) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i) sum += Coordinate(context, indexes[i], d);
        const double mean = sum / double(n);
        double spread = 0.0;
        for (int i = 0; i < n; ++i) {
            const double dev = Coordinate(context, indexes[i], d) - mean;
            spread += dev * dev;
        }
        if (spread > bestSpread) {
            bestSpread = spread;
            splitDimension = d;
            splitValue = mean;
        }
    }

    std::vector<int> leftIndexes, rightIndexes;
    try {
        leftIndexes.reserve(size_t(n));
        rightIndexes.reserve(size_t(n));
    } catch (const std::bad_alloc&) {
        context.error = kTreeNoChildIndexes;
        return nullptr;
    }
    for (int i = 0; i < n; ++i) {
        if (Coordinate(context, indexes[i], splitDimension) > splitValue) {
            rightIndexes.push_back(indexes[i]);
        } else {
            leftIndexes.push_back(indexes[i]);
        }
    }
    if (leftIndexes.size() < 2 || rightIndexes.size() < 2) return MakeLeaf(indexes, n, context);

    ColourTree node(new (std::nothrow) ColourTreeNode);
    if (!node) {
        context.error = kTreeNoNode;
        return nullptr;
    }
    node->splitDimension = splitDimension;
    node->splitValue = splitValue;
    node->left = Build(leftIndexes.data(), int(leftIndexes.size()), context);
    if (!node->left) return nullptr;
    node->right = Build(rightIndexes.data(), int(rightIndexes.size()), context);
    if (!node->right) return nullptr;
    return node;
}

void ResetQuery(ColourTreeContext& context) {
    context.lower.fill(double(kUnboundedLow));
    context.upper.fill(double(kUnboundedHigh));
    context.bestDistance = kNoDistance;
    context.done = false;
}

void Search(const ColourTreeNode* root, const int32_t* point, ColourTreeContext& context) {
    if (!root || context.error != kTreeOk) return;
    SearchNode(root, point, context);
}

void Free(ColourTree& root) {
    root.reset();
}

void FreeContext(ColourTreeContext& context) {
    context = ColourTreeContext{};
}

ColourTreeOrder::ColourTreeOrder(const ColourTreeNode* root, int points)
    : places_(size_t(std::max(points, 0))) {
    std::vector<Step> path;
    if (root) Walk(root, path);
}

void ColourTreeOrder::Walk(const ColourTreeNode* node, std::vector<Step>& path) {
    if (node->isLeaf()) {
        for (size_t k = 0; k < node->bucket.size(); ++k) {
            const int i = node->bucket[k];
            if (i < 0 || size_t(i) >= places_.size()) continue;
            Place& place = places_[size_t(i)];
            place.path = path;
            place.bucketPosition = int(k);
            for (size_t d = 0; d < path.size() && d < 64; ++d) {
                if (path[d].right) place.turns |= uint64_t(1) << d;
            }
        }
        return;
    }
    const int id = int(splits_.size());
    splits_.push_back({node->splitDimension, node->splitValue});
    path.push_back({id, false});
    Walk(node->left.get(), path);
    path.back().right = true;
    Walk(node->right.get(), path);
    path.pop_back();
}

int ColourTreeOrder::Parting(int a, int b) const {
    const Place& pa = places_[size_t(a)];
    const Place& pb = places_[size_t(b)];
    // Paths agree up to the first different turn.
    const uint64_t differ = pa.turns ^ pb.turns;
    if (differ != 0) return std::countr_zero(differ);
    const size_t n = std::min(pa.path.size(), pb.path.size());
    for (size_t k = std::min<size_t>(n, 64); k < n; ++k) {
        if (pa.path[k].right != pb.path[k].right) return int(k);
    }
    return -1;
}

bool ColourTreeOrder::Before(int a, int b, const int32_t* q) const {
    const int k = Parting(a, b);
    const Place& pa = places_[size_t(a)];
    if (k < 0) return pa.bucketPosition < places_[size_t(b)].bucketPosition;
    const Step& step = pa.path[size_t(k)];
    const Split& split = splits_[size_t(step.node)];
    const bool nearIsLeft = double(q[split.dimension]) <= split.value;
    return step.right != nearIsLeft;
}

bool ColourTreeOrder::OrderFixedIn(int a, int b, const int32_t* lo, const int32_t* hi) const {
    const int k = Parting(a, b);
    if (k < 0) return true;
    const Split& split = splits_[size_t(places_[size_t(a)].path[size_t(k)].node)];
    // The near side changes inside the box when the split value lies within it.
    return !(double(lo[split.dimension]) <= split.value &&
             double(hi[split.dimension]) > split.value);
}
