#pragma once

// Optimised files as a GIF viewer sees them: giflib decodes, the pictures are composed
// here with each image's disposal method.
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "colour/OptimiseTestSupport.h"
#include "support/PeerReaders.h"

namespace optimise_test {

struct Decoded {
    int width = 0, height = 0;
    std::vector<Picture> pictures;               // composed, one per image
    std::vector<std::array<int, 4>> rectangles;  // left, top, width, height
    int localTables = 0;
};

// giflib decodes (through the shared peer decoder); the pictures are composed here the
// way a GIF viewer does it.
inline std::optional<Decoded> DecodeWithGiflib(const std::string& path) {
    const auto file = testing_support::GiflibDecode(path);
    if (!file) return std::nullopt;
    Decoded out;
    out.width = file->screenWidth;
    out.height = file->screenHeight;
    const uint32_t background = file->background < int(file->globalColours.size())
                                    ? file->globalColours[size_t(file->background)]
                                    : 0;
    Picture canvas(size_t(out.width) * size_t(out.height), background);
    for (const testing_support::PeerImage& d : file->images) {
        out.localTables += d.hasLocalMap ? 1 : 0;
        out.rectangles.push_back({d.left, d.top, d.width, d.height});
        const Picture saved = canvas;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                const int sx = d.left + x, sy = d.top + y;
                const int index = d.indexes[size_t(y) * size_t(d.width) + size_t(x)];
                if (sx >= out.width || sy >= out.height || index == d.transparent) continue;
                canvas[size_t(sy) * size_t(out.width) + size_t(sx)] =
                    index < int(d.colours.size()) ? d.colours[size_t(index)] : 0;
            }
        }
        out.pictures.push_back(canvas);
        if (d.disposal == DISPOSE_BACKGROUND) {
            for (int y = d.top; y < std::min(d.top + d.height, out.height); ++y) {
                for (int x = d.left; x < std::min(d.left + d.width, out.width); ++x) {
                    canvas[size_t(y) * size_t(out.width) + size_t(x)] = background;
                }
            }
        } else if (d.disposal == DISPOSE_PREVIOUS) {
            canvas = saved;
        }
    }
    return out;
}

}  // namespace optimise_test
