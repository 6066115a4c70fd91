#pragma once

// A plain rendering of the colour reduction for comparison with the fast one: the count
// list searched from the front, merges into the first equal entry, a stable sort on
// counts, and one fresh tree query per pixel.

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "colour/ColourReduction.h"
#include "colour/ColourTree.h"

namespace reference {

struct Reduction {
    Palette palette;
    int colours = 0;
    uint32_t finalMask = 0;
    std::vector<uint8_t> indexes;  // column-major is not needed: row-major, width * height
    bool anyTransparent = false;
};

inline Reduction Reduce(const TrueColourBuffer& tc, const std::array<uint32_t, 5>& reserved) {
    std::vector<std::pair<uint32_t, uint64_t>> list;
    for (uint32_t r : reserved) {
        if (r != 0xFFFFFFFFu) list.push_back({r, 0x3FFFFFFF});
    }
    size_t grid = 0;
    uint32_t mask = kGridMasks[0];
    for (int x = 0; x < tc.width; ++x) {
        for (int y = 0; y < tc.height; ++y) {
            const uint32_t p = tc.get(x, y);
            if (p & kTransparentMarker) continue;
            const uint32_t c = p & mask;
            auto it = std::find_if(list.begin(), list.end(), [&](auto& e) { return e.first == c; });
            if (it != list.end()) {
                ++it->second;
                continue;
            }
            list.push_back({c, 1});
            if (list.size() >= 1025 && grid + 1 < kGridMasks.size()) {
                mask = kGridMasks[++grid];
                std::vector<std::pair<uint32_t, uint64_t>> merged;
                for (auto& e : list) {
                    const uint32_t m = e.first & mask;
                    auto at = std::find_if(merged.begin(), merged.end(),
                                           [&](auto& f) { return f.first == m; });
                    if (at != merged.end()) {
                        at->second += e.second;
                    } else {
                        merged.push_back({m, e.second});
                    }
                }
                list = merged;
            }
        }
    }
    if (list.size() > 256) {
        std::stable_sort(list.begin(), list.end(),
                         [](auto& a, auto& b) { return a.second > b.second; });
    }
    Reduction out;
    for (size_t i = 0; i < list.size() && i < 256; ++i) {
        out.palette[i] = PaletteEntry::FromRgb(list[i].first);
    }
    out.colours = int(std::min<size_t>(list.size(), 255));
    out.palette[size_t(out.colours)] = PaletteEntry{};
    out.finalMask = mask;

    std::array<ColourPoint, 256> points{};
    std::vector<int> ids;
    for (int i = 0; i < out.colours; ++i) {
        const PaletteEntry& e = out.palette[size_t(i)];
        points[size_t(i)] = {e.red, e.green, e.blue};
        ids.push_back(i);
    }
    ColourTreeContext context;
    Init(context, 3, false);
    context.points = points.data();
    ColourTree tree = Build(ids.data(), int(ids.size()), context);
    out.indexes.assign(size_t(tc.width) * size_t(tc.height), 0);
    for (int x = 0; x < tc.width; ++x) {
        for (int y = 0; y < tc.height; ++y) {
            const uint32_t p = tc.get(x, y);
            uint8_t index;
            if (p & kTransparentMarker) {
                index = uint8_t(out.colours);
                out.anyTransparent = true;
            } else {
                const int32_t q[3] = {int32_t((p >> 16) & 0xFF), int32_t((p >> 8) & 0xFF),
                                      int32_t(p & 0xFF)};
                ResetQuery(context);
                Search(tree.get(), q, context);
                index = uint8_t(context.bestIndex);
            }
            out.indexes[size_t(y) * size_t(tc.width) + size_t(x)] = index;
        }
    }
    return out;
}

}  // namespace reference
