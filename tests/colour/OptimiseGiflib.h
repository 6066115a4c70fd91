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

namespace optimise_test {

struct Decoded {
    int width = 0, height = 0;
    std::vector<Picture> pictures;               // composed, one per image
    std::vector<std::array<int, 4>> rectangles;  // left, top, width, height
    int localTables = 0;
};

inline uint32_t Rgb(const GifColorType& c) {
    return uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | uint32_t(c.Blue);
}

// giflib decodes; the pictures are composed here the way a GIF viewer does it.
inline std::optional<Decoded> DecodeWithGiflib(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return std::nullopt;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return std::nullopt;
    }
    Decoded out;
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    const uint32_t background = gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount
                                    ? Rgb(gif->SColorMap->Colors[gif->SBackGroundColor])
                                    : 0;
    Picture canvas(size_t(out.width) * size_t(out.height), background);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const GifImageDesc& d = image.ImageDesc;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        out.localTables += d.ColorMap ? 1 : 0;
        out.rectangles.push_back({d.Left, d.Top, d.Width, d.Height});
        const Picture saved = canvas;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int sx = d.Left + x, sy = d.Top + y;
                const int index = image.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)];
                if (sx >= out.width || sy >= out.height || index == gcb.TransparentColor) continue;
                canvas[size_t(sy) * size_t(out.width) + size_t(sx)] =
                    map && index < map->ColorCount ? Rgb(map->Colors[index]) : 0;
            }
        }
        out.pictures.push_back(canvas);
        if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = d.Top; y < std::min(d.Top + d.Height, out.height); ++y) {
                for (int x = d.Left; x < std::min(d.Left + d.Width, out.width); ++x) {
                    canvas[size_t(y) * size_t(out.width) + size_t(x)] = background;
                }
            }
        } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
            canvas = saved;
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

}  // namespace optimise_test
