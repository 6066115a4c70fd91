#include "support/PeerReaders.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/UserTask.h"

namespace testing_support {

namespace {
uint32_t Rgb(const GifColorType& c) {
    return (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | uint32_t(c.Blue);
}
std::vector<uint32_t> MapColours(const ColorMapObject* map) {
    std::vector<uint32_t> out;
    if (map) {
        for (int i = 0; i < map->ColorCount; ++i) out.push_back(Rgb(map->Colors[i]));
    }
    return out;
}
std::string BlockText(const ExtensionBlock& b) {
    return std::string(reinterpret_cast<const char*>(b.Bytes), size_t(b.ByteCount));
}
}  // namespace

std::optional<PeerFile> GiflibDecode(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return std::nullopt;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return std::nullopt;
    }
    PeerFile file;
    file.screenWidth = gif->SWidth;
    file.screenHeight = gif->SHeight;
    file.background = gif->SBackGroundColor;
    file.globalColours = MapColours(gif->SColorMap);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& s = gif->SavedImages[i];
        PeerImage img;
        img.left = s.ImageDesc.Left;
        img.top = s.ImageDesc.Top;
        img.width = s.ImageDesc.Width;
        img.height = s.ImageDesc.Height;
        img.interlaced = s.ImageDesc.Interlace;
        img.hasLocalMap = s.ImageDesc.ColorMap != nullptr;
        img.colours = MapColours(s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap);
        img.indexes.assign(s.RasterBits, s.RasterBits + size_t(img.width) * size_t(img.height));
        for (int e = 0; e < s.ExtensionBlockCount; ++e) {
            const ExtensionBlock& b = s.ExtensionBlocks[e];
            if (b.Function == GRAPHICS_EXT_FUNC_CODE) {
                GraphicsControlBlock gcb;
                DGifExtensionToGCB(size_t(b.ByteCount), b.Bytes, &gcb);
                img.delay = gcb.DelayTime;
                img.disposal = gcb.DisposalMode;
                img.transparent = gcb.TransparentColor;
            } else if (b.Function == COMMENT_EXT_FUNC_CODE) {
                // giflib keeps each sub-block as its own block; continuations join them.
                img.comments.push_back(BlockText(b));
            } else if (b.Function == CONTINUE_EXT_FUNC_CODE && !img.comments.empty()) {
                img.comments.back() += BlockText(b);
            } else if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                       e + 1 < s.ExtensionBlockCount &&
                       s.ExtensionBlocks[e + 1].Function == CONTINUE_EXT_FUNC_CODE &&
                       s.ExtensionBlocks[e + 1].ByteCount == 3) {
                const uint8_t* d = s.ExtensionBlocks[e + 1].Bytes;
                file.loop = d[1] | (d[2] << 8);
            }
        }
        file.images.push_back(std::move(img));
    }
    for (int e = 0; e < gif->ExtensionBlockCount; ++e) {
        const ExtensionBlock& b = gif->ExtensionBlocks[e];
        if (b.Function == COMMENT_EXT_FUNC_CODE)
            file.trailingComments.push_back(BlockText(b));
        else if (b.Function == CONTINUE_EXT_FUNC_CODE && !file.trailingComments.empty())
            file.trailingComments.back() += BlockText(b);
    }
    DGifCloseFile(gif, &error);
    return file;
}

namespace {
// Splits raw RGBA bytes into w x h pictures.
std::optional<std::vector<ComposedPicture>> SplitRgba(const std::vector<uint8_t>& bytes, int w,
                                                      int h) {
    const size_t frameBytes = size_t(w) * size_t(h) * 4;
    if (frameBytes == 0 || bytes.empty() || bytes.size() % frameBytes != 0) return std::nullopt;
    std::vector<ComposedPicture> pictures;
    for (size_t at = 0; at < bytes.size(); at += frameBytes) {
        ComposedPicture picture{w, h, {}};
        picture.pixels.reserve(size_t(w) * size_t(h));
        for (size_t p = at; p < at + frameBytes; p += 4) {
            const auto byte = [&](size_t k) { return uint32_t(bytes[p + k]); };
            picture.pixels.push_back(byte(3) << 24 | byte(0) << 16 | byte(1) << 8 | byte(2));
        }
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

// ImageMagick's pictures of a file: the page size, then every image (coalesced if asked).
std::optional<std::vector<ComposedPicture>> MagickPictures(const std::string& path, bool coalesce) {
    const ToolResult size = RunTool("identify -format '%W %H\\n' " + ShellQuote(path));
    std::istringstream words(size.out);
    int w = 0, h = 0;
    if (size.status != 0 || !(words >> w >> h) || w <= 0 || h <= 0) return std::nullopt;
    const TempFolder folder;
    const std::string raw = folder.file("frames.rgba");
    const ToolResult converted =
        RunTool("convert " + ShellQuote(path) + (coalesce ? " -coalesce" : " -auto-orient") +
                " -depth 8 rgba:" + ShellQuote(raw));
    if (converted.status != 0) return std::nullopt;
    return SplitRgba(ReadBytes(raw), w, h);
}
}  // namespace

std::optional<std::vector<ComposedPicture>> PeerComposedPictures(const std::string& gifPath) {
    return MagickPictures(gifPath, true);
}

std::optional<std::vector<ComposedPicture>> PeerStillPictures(const std::string& path) {
    return MagickPictures(path, false);
}

std::optional<std::vector<ComposedPicture>> PeerVideoFrames(const std::string& path) {
    const ToolResult size = RunTool(
        "ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 " +
        ShellQuote(path));
    std::istringstream words(size.out);
    int w = 0, h = 0;
    char comma = 0;
    if (size.status != 0 || !(words >> w >> comma >> h)) return std::nullopt;
    const TempFolder folder;
    const std::string raw = folder.file("frames.rgba");
    // Every decoded frame once: no frames repeated or dropped to make a constant rate.
    if (RunTool("ffmpeg -v error -nostdin -i " + ShellQuote(path) +
                " -fps_mode passthrough -f rawvideo -pix_fmt rgba " + ShellQuote(raw))
            .status != 0)
        return std::nullopt;
    return SplitRgba(ReadBytes(raw), w, h);
}

int MaxChannelDifference(const ComposedPicture& a, const ComposedPicture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return 256;
    int worst = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const uint32_t p = a.pixels[i], q = b.pixels[i];
        if ((p >> 24) == 0 && (q >> 24) == 0) continue;
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
    }
    return worst;
}

double MeanChannelDifference(const ComposedPicture& a, const ComposedPicture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return 256;
    double sum = 0;
    size_t counted = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const uint32_t p = a.pixels[i], q = b.pixels[i];
        if ((p >> 24) == 0 && (q >> 24) == 0) continue;
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
        counted += 3;
    }
    return counted ? sum / double(counted) : 0;
}

std::vector<uint32_t> PeerStillRgb(const std::string& path) {
    const auto pictures = PeerStillPictures(path);
    if (!pictures || pictures->empty()) return {};
    std::vector<uint32_t> rgb = pictures->front().pixels;
    for (uint32_t& p : rgb) p &= 0xFFFFFF;
    return rgb;
}

std::vector<uint32_t> ImageColours(const PeerImage& image) {
    std::vector<uint32_t> out;
    for (const uint8_t i : image.indexes)
        out.push_back(i < image.colours.size() ? image.colours[i] : 0xFF000000u);
    return out;
}

const ComposedPicture& PeerTimeline::at(int time) const {
    size_t i = 0;
    while (i + 1 < starts.size() && starts[i + 1] <= time) ++i;
    return pictures[i];
}

std::optional<PeerTimeline> PeerTimelineOf(const std::string& gifPath) {
    const auto decoded = GiflibDecode(gifPath);
    auto pictures = PeerComposedPictures(gifPath);
    if (!decoded || !pictures || pictures->empty() || pictures->size() != decoded->images.size())
        return std::nullopt;
    PeerTimeline t;
    t.pictures = std::move(*pictures);
    for (const PeerImage& image : decoded->images) {
        t.starts.push_back(t.length);
        t.length += std::max(image.delay, 0);
    }
    return t;
}

std::vector<int> LzwCodeSizes(const std::vector<uint8_t>& gif) {
    const auto table = [](uint8_t flags) {
        return flags & 0x80 ? size_t(3) << ((flags & 7) + 1) : 0;
    };
    // Sub-blocks up to the terminator; false when the file ends first.
    const auto skipBlocks = [&gif](size_t& p) {
        while (p < gif.size() && gif[p] != 0) p += size_t(gif[p]) + 1;
        return ++p <= gif.size();
    };
    std::vector<int> sizes;
    if (gif.size() < 13) return {};
    size_t p = 13 + table(gif[10]);
    while (p < gif.size() && gif[p] != 0x3B) {
        if (gif[p] == 0x21) {
            p += 2;
        } else if (gif[p] == 0x2C && p + 10 < gif.size()) {
            p += 10 + table(gif[p + 9]);
            if (p >= gif.size()) return {};
            sizes.push_back(gif[p++]);
        } else {
            return {};
        }
        if (!skipBlocks(p)) return {};
    }
    return sizes;
}

}  // namespace testing_support
