#include "banner/BannerGenerator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "document/DocumentCommands.h"
#include "document/FrameRecord.h"
#include "document/MemoryBudget.h"
#include "effects/RendererSkeletons.h"

ShadowStyle BannerShadowStyle(const BannerSettings& s) {
    ShadowStyle style;
    style.textColour = s.textColour;
    style.backgroundColour = s.backgroundColour;
    style.shadowColour = s.shadowColour;
    style.shadowX = s.shadowX;
    style.shadowY = s.shadowY;
    if (s.shadowEnabled) {
        style.intensity = s.intensity;
        style.thickness = s.intensity < 1 ? 0 : s.thickness;
    }
    return style;
}

int BannerTextX(const BannerSettings& s, const CanvasRect& area, int textWidth, int k, int n) {
    // The text travels the image's width plus its own width with everything its shadow
    // adds, so that it starts and ends wholly outside.
    const int t = s.thickness;
    const int travel = s.width + std::max(textWidth + std::abs(s.shadowX) + t, textWidth + 2 * t);
    int x;
    if (n <= 1)
        x = std::max(0, (area.right - textWidth - area.left) / 2);
    else
        x = area.right - int((int64_t(k) * travel) / (n - 1));
    // A shadow reaching further left than the text pushes the start out to the right.
    if (s.shadowX < t) x += t - s.shadowX;
    return x;
}

void DrawBannerFrame(TextCanvas& canvas, const BannerSettings& s, int k, int n) {
    CanvasRect area{0, 0, s.width, s.height};
    if (s.border) area = DrawSunkenEdge(canvas, area);
    canvas.FillRect(area, s.backgroundColour);
    canvas.SetClip(area);
    canvas.SelectFont(s.font);
    const TextExtent extent = canvas.MeasureText(s.text);
    const int x = BannerTextX(s, area, extent.width, k, n);
    const int y = area.top + (area.bottom - extent.height - area.top) / 2 + s.textYOffset;
    DrawShadowedText(canvas, x, y, s.text, BannerShadowStyle(s));
}

void PaintBannerPreview(TextCanvas& canvas, const BannerSettings& s, int width, int height) {
    constexpr uint32_t kLightGrey = 0xC0C0C0;
    canvas.FillRect({0, 0, width, height}, kLightGrey);
    if (s.width < 1 || s.height < 1) return;
    const int left = (width - s.width) / 2;
    const int top = (height - s.height) / 2;
    CanvasRect area{left, top, left + s.width, top + s.height};
    if (s.border) area = DrawSunkenEdge(canvas, area);
    canvas.FillRect(area, s.backgroundColour);
    canvas.SetClip(area);
    canvas.SelectFont(s.font);
    const std::string text = s.text.empty() ? std::string("Banner") : s.text;
    const TextExtent extent = canvas.MeasureText(text);
    const int x = area.left + std::max(0, (area.width() - extent.width) / 2);
    const int y = area.top + (area.height() - extent.height) / 2 + s.textYOffset;
    ShadowStyle style = BannerShadowStyle(s);
    style.thickness = std::min(style.thickness, 20);
    DrawShadowedText(canvas, x, y, text, style);
}

FrameRecord* GenerateBanner(TextCanvas& canvas, AnimationDocument& doc, BannerBlock& block) {
    block.chain = nullptr;
    if (!block.valid || !block.confirmed) return nullptr;
    const BannerSettings& s = block.settings;
    const int n = s.frames;
    const int w = s.width, h = s.height;
    if (n < 1 || !IsPlaneSizeAcceptable(w, h) || !FitsInMemory(ChainBytes(n, w, h)) ||
        !canvas.Begin(w, h))
        return nullptr;

    FrameRecord* first = nullptr;
    FrameRecord* last = nullptr;
    for (int i = 0; i < n; ++i) {
        std::unique_ptr<FrameRecord> record = FrameRecord::Construct(doc, last, nullptr);
        if (!record || !record->CreateIndexBuffer(w, h) || !record->CreateTrueColourBuffer())
            return DiscardUnreducedChain(first);
        if (block.hasPalette) record->palette = block.palette;
        record->fileName = "Banner";
        FrameRecord* frame = AnimationDocument::Adopt(std::move(record));
        if (last)
            last->next = frame;
        else
            first = frame;
        last = frame;
    }

    {
        RenderProgress progress(doc, false);
        progress.Announce(n);
        int k = 0;
        for (FrameRecord* f = first; f; f = f->next, ++k) {
            DrawBannerFrame(canvas, s, k, n);
            const std::shared_ptr<TrueColourBuffer> plane = f->trueColourPlane();
            if (!plane || !canvas.Capture(*plane)) return DiscardUnreducedChain(first);
            progress.Step();
        }
    }

    {
        // Compositions of the document's frames read the screen size. An empty document
        // (new, or emptied by Delete) takes the banner's size; otherwise the screen only
        // grows, so that no frame lies outside it.
        AnimationDocument::StructureWriteLock structure(doc);
        const bool empty = doc.empty();
        doc.screenWidth = empty ? w : std::max(doc.screenWidth, w);
        doc.screenHeight = empty ? h : std::max(doc.screenHeight, h);
    }
    block.chain = first;
    StartReduction(first, n);
    return first;
}

std::string NextBannerLabel(const AnimationDocument& doc) {
    return "Banner " + std::to_string(doc.groups.banners.size() + 1);
}

namespace {

std::string BannerChildLabel(int i, int /*n*/) {
    char text[32];
    std::snprintf(text, sizeof text, "Gif: Banner %d", i);
    return text;
}

// No image selected (an empty document, or the root): the chain goes in front of every
// frame, its group right after the global comment entries.
TreeItem* InsertInFront(AnimationDocument& doc, FrameRecord* chain, const std::string& label) {
    FrameRecord* const last = LastOfChain(chain);
    const int n = CountChain(chain);
    {
        AnimationDocument::StructureWriteLock structure(doc);
        last->next = doc.firstFrame;
        if (doc.firstFrame) doc.firstFrame->prev = last;
        chain->prev = nullptr;
        doc.firstFrame = chain;
    }
    TreeItem* root = doc.tree.root();
    TreeItem* after = nullptr;
    for (int i = 0; i < root->childCount() && root->child(i)->startsWith("GlobalComment"); ++i)
        after = root->child(i);
    TreeItem* group = doc.tree.InsertAfter(root, after, label);
    TreeItem* firstEntry = nullptr;
    TreeItem* lastEntry = nullptr;
    for (int i = 1; i <= n; ++i) {
        lastEntry = doc.tree.Append(group, BannerChildLabel(i, n));
        if (!firstEntry) firstEntry = lastEntry;
    }
    doc.frameCount += n;
    for (FrameRecord* f = chain; f != last->next; f = f->next) StartComposition(*f);
    doc.tree.EnsureVisible(lastEntry);
    doc.selectedItem = firstEntry;
    doc.selectedFrame = chain;
    doc.tree.RequestSelect(firstEntry);
    return group;
}

}  // namespace

TreeItem* InsertBanner(AnimationDocument& doc, FrameRecord* chain) {
    if (!chain) return nullptr;
    FrameRecord* const last = LastOfChain(chain);
    const std::string label = NextBannerLabel(doc);
    const bool afterImage =
        doc.selectedFrame && doc.selectedItem && doc.selectedItem->isFrameEntry();
    TreeItem* group = afterImage ? InsertChainAfterSelection(doc, chain, label, BannerChildLabel)
                                 : InsertInFront(doc, chain, label);
    if (!group) return nullptr;
    // Frames behind the banner now lie over new predecessors.
    DiscardComposedFrom(last->next);
    doc.groups.banners.push_back(FrameRun{chain, last});
    doc.MarkChanged();
    return group;
}
