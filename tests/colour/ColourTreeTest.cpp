// The k-d tree's answers against a search of every point.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "colour/ColourTree.h"

namespace {

int64_t BruteForce(const std::vector<ColourPoint>& points, const int32_t* q) {
    int64_t best = INT64_MAX;
    for (const ColourPoint& p : points) {
        int64_t d = 0;
        for (int i = 0; i < 3; ++i) d += int64_t(q[i] - p[size_t(i)]) * (q[i] - p[size_t(i)]);
        best = std::min(best, d);
    }
    return best;
}

TEST(ColourTreeTest, AnswersAreAsNearAsASearchOfEveryPoint) {
    std::mt19937 rng(99);
    for (int round = 0; round < 60; ++round) {
        const int n = 1 + int(rng() % 255);
        std::vector<ColourPoint> points(static_cast<size_t>(n));
        // Some rounds on a coarse lattice: duplicates and equal distances abound.
        const int32_t step = round % 3 == 0 ? 64 : 1;
        for (auto& p : points)
            for (auto& c : p) c = int32_t(rng() % 256) / step * step;
        std::vector<int> indexes(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) indexes[size_t(i)] = i;
        ColourTreeContext context;
        Init(context, 3, false);
        context.points = points.data();
        ColourTree tree = Build(indexes.data(), n, context);
        ASSERT_NE(tree, nullptr);
        for (int k = 0; k < 400; ++k) {
            const int32_t q[3] = {int32_t(rng() % 256), int32_t(rng() % 256), int32_t(rng() % 256)};
            if (k > 0) ResetQuery(context);  // a context fresh from Init is ready
            Search(tree.get(), q, context);
            ASSERT_GE(context.bestIndex, 0);
            ASSERT_LT(context.bestIndex, n);
            ASSERT_EQ(PointDistance(context, q, points[size_t(context.bestIndex)]),
                      BruteForce(points, q))
                << "round " << round << " query " << k;
        }
        Free(tree);
        FreeContext(context);
    }
}

}  // namespace
