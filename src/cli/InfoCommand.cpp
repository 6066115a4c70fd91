// velmora-cli info FILE [--json]: what a GIF file holds, as Velmora reads it.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliHost.h"
#include "document/AnimationDocument.h"
#include "gif/GifReader.h"

namespace {

int RunInfo(const std::vector<std::string>& args);

const CliCommand kInfo{"info", "info FILE [--json]",
                       "show the logical screen, palettes, loop count, comments and frames",
                       RunInfo, "info anim.gif --json"};
const CliCommandRegistration registration(kInfo);

// Comments are bytes; they are shown as Latin-1.
std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else if (c < 0x80) {
                    out += char(c);
                } else {
                    out += char(0xC0 | (c >> 6));
                    out += char(0x80 | (c & 0x3F));
                }
        }
    }
    return out + "\"";
}

std::string JsonPalette(const Palette& palette) {
    std::string out = "[";
    bool first = true;
    for (const PaletteEntry& e : palette) {
        if (!e.used()) continue;
        if (!first) out += ",";
        first = false;
        out += "[" + std::to_string(e.red) + "," + std::to_string(e.green) + "," +
               std::to_string(e.blue) + "]";
    }
    return out + "]";
}

std::string JsonComments(const CommentList& comments) {
    std::string out = "[";
    for (size_t i = 0; i < comments.size(); ++i) {
        if (i) out += ",";
        out += JsonString(comments[i].text);
    }
    return out + "]";
}

int UsedEntries(const Palette& palette) {
    return int(std::count_if(palette.begin(), palette.end(),
                             [](const PaletteEntry& e) { return e.used(); }));
}

struct Summary {
    int screenWidth = 0, screenHeight = 0;
};

void PrintJson(const GifFileInfo& info, const FrameRecord* first, const Summary& s) {
    std::string out = "{\"screen\":{\"width\":" + std::to_string(s.screenWidth) +
                      ",\"height\":" + std::to_string(s.screenHeight) + "}";
    out += ",\"background\":" + std::to_string(info.backgroundIndex);
    out += ",\"loop\":" + (info.hasLoopCount ? std::to_string(info.loopCount) : "null");
    out +=
        ",\"globalPalette\":" + (info.hasGlobalPalette ? JsonPalette(info.globalPalette) : "null");
    out += ",\"comments\":" + JsonComments(info.trailingComments);
    out += ",\"frames\":[";
    for (const FrameRecord* f = first; f; f = f->next) {
        if (f != first) out += ",";
        out += "{\"left\":" + std::to_string(f->left) + ",\"top\":" + std::to_string(f->top) +
               ",\"width\":" + std::to_string(f->width) +
               ",\"height\":" + std::to_string(f->height) +
               ",\"delay\":" + std::to_string(f->delay) +
               ",\"disposal\":" + std::to_string(f->disposal) + ",\"transparent\":" +
               (f->hasTransparency ? std::to_string(f->transparentIndex) : "null") +
               ",\"interlaced\":" + (f->interlaced ? "true" : "false") +
               ",\"localPalette\":" + (f->hasLocalPalette ? JsonPalette(f->palette) : "null") +
               ",\"comments\":" + JsonComments(f->comments) + "}";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

void PrintText(const GifFileInfo& info, const FrameRecord* first, const Summary& s) {
    std::printf("screen: %dx%d\nbackground: %d\n", s.screenWidth, s.screenHeight,
                info.backgroundIndex);
    if (info.hasLoopCount) {
        std::printf("loop: %d%s\n", info.loopCount, info.loopCount == 0 ? " (endless)" : "");
    } else {
        std::printf("loop: none\n");
    }
    if (info.hasGlobalPalette) {
        std::printf("global palette: %d colours\n", UsedEntries(info.globalPalette));
    } else {
        std::printf("global palette: none\n");
    }
    std::printf("comments: %zu\n", info.trailingComments.size());
    for (const CommentNode& c : info.trailingComments)
        std::printf("  %s\n", JsonString(c.text).c_str());
    std::printf("frames: %d\n", info.imageCount);
    int n = 1;
    for (const FrameRecord* f = first; f; f = f->next, ++n) {
        std::printf("  frame %d: %dx%d at %d,%d delay %u disposal %d transparent ", n, f->width,
                    f->height, f->left, f->top, f->delay, f->disposal);
        if (f->hasTransparency)
            std::printf("%u", f->transparentIndex);
        else
            std::printf("none");
        std::printf(" interlaced %s local palette ", f->interlaced ? "yes" : "no");
        if (f->hasLocalPalette)
            std::printf("%d colours", UsedEntries(f->palette));
        else
            std::printf("none");
        std::printf(" comments %zu\n", f->comments.size());
        for (const CommentNode& c : f->comments)
            std::printf("    %s\n", JsonString(c.text).c_str());
    }
}

int RunInfo(const std::vector<std::string>& args) {
    std::string path;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return UsageError(kInfo, "unknown option '" + a + "'");
        } else if (path.empty()) {
            path = a;
        } else {
            return UsageError(kInfo, "one file only");
        }
    }
    if (path.empty()) return UsageError(kInfo, "missing FILE");

    CliHost host;
    AnimationDocument doc(host, 1);
    FrameRecord* first = AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
    GifFileInfo info;
    const int result = first ? ReadGif(*first, path, info) : kGifNoMemory;
    if (result != kGifOk) {
        static const char* const kReasons[] = {"",
                                               "cannot open the file",
                                               "not a GIF file",
                                               "unexpected block",
                                               "corrupt LZW data",
                                               "no memory",
                                               "",
                                               "code table overflow"};
        std::fprintf(stderr, "velmora-cli: Error: Loading Gif: %s: %s\n", path.c_str(),
                     result >= 0 && result <= 7 ? kReasons[result] : "failed");
        if (first) {
            DiscardFramesAfter(*first, nullptr);
            delete first;
        }
        return kExitFailure;
    }
    const std::string skipped = DescribeSkippedImages(info, path);
    if (!skipped.empty()) std::fprintf(stderr, "velmora-cli: Loading Gif: %s\n", skipped.c_str());
    // The logical screen as Velmora takes it: the bounding box of the frames.
    Summary s;
    for (const FrameRecord* f = first; f; f = f->next) {
        s.screenWidth = std::max(s.screenWidth, f->left + f->width);
        s.screenHeight = std::max(s.screenHeight, f->top + f->height);
    }
    if (json)
        PrintJson(info, first, s);
    else
        PrintText(info, first, s);
    DiscardFramesAfter(*first, nullptr);
    delete first;
    return std::ferror(stdout) ? kExitFailure : kExitOk;
}

}  // namespace
