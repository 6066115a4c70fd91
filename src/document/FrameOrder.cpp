#include "document/FrameOrder.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "document/AnimationDocument.h"
#include "document/DocumentCommands.h"
#include "document/DocumentState.h"

namespace {

using Entries = std::vector<FrameTree::Entry>;
constexpr size_t kNone = size_t(-1);

bool Starts(const FrameTree::Entry& e, const char* prefix) {
    return e.text.rfind(prefix, 0) == 0;
}
bool IsImage(const FrameTree::Entry& e) {
    return Starts(e, "Gif");
}
bool IsGroup(const FrameTree::Entry& e) {
    return !IsImage(e) && !Starts(e, "Comment") && !Starts(e, "GlobalComment");
}

// One past the entries under entries[head].
size_t SubtreeEnd(const Entries& entries, size_t head) {
    size_t i = head + 1;
    while (i < entries.size() && entries[i].depth > entries[head].depth) ++i;
    return i;
}

// The document as a value with, per frame, the index of its image entry.
struct Layout {
    DocumentState state;
    std::vector<size_t> heads;
    std::vector<int> frameAt;  // per entry: the frame whose image entry it is, else -1

    explicit Layout(AnimationDocument& doc) : state(CaptureState(doc)) {
        frameAt.assign(state.entries.size(), -1);
        for (size_t i = 0; i < state.entries.size(); ++i) {
            if (!IsImage(state.entries[i])) continue;
            frameAt[i] = int(heads.size());
            heads.push_back(i);
        }
    }
    bool consistent() const { return heads.size() == state.frames.size(); }
};

// A frame with its image entry and the comment entries under it, depths counted from
// the image entry.
struct Block {
    FrameState frame;
    Entries entries;
};

Block TakeBlock(const Layout& layout, size_t k) {
    Block block{layout.state.frames[k], {}};
    const Entries& entries = layout.state.entries;
    const size_t head = layout.heads[k];
    for (size_t i = head; i < SubtreeEnd(entries, head); ++i) {
        FrameTree::Entry e = entries[i];
        e.depth -= entries[head].depth;
        block.entries.push_back(std::move(e));
    }
    return block;
}

// The new tree and frames, built front to back.
struct Output {
    Entries entries;
    std::vector<FrameState> frames;
    size_t firstMarked = kNone;  // entry index of the first placed block

    void original(const Layout& layout, size_t i) {
        entries.push_back(layout.state.entries[i]);
        if (layout.frameAt[i] >= 0)
            frames.push_back(layout.state.frames[size_t(layout.frameAt[i])]);
    }
    void block(const Block& b, int depth) {
        if (firstMarked == kNone) firstMarked = entries.size();
        for (FrameTree::Entry e : b.entries) {
            e.depth += depth;
            entries.push_back(std::move(e));
        }
        frames.push_back(b.frame);
    }
};

bool ValidPositions(const Layout& layout, const std::vector<size_t>& positions, size_t least) {
    if (!layout.consistent() || positions.size() < least) return false;
    for (size_t i = 0; i < positions.size(); ++i) {
        if (positions[i] >= layout.state.frames.size()) return false;
        if (i > 0 && positions[i] <= positions[i - 1]) return false;
    }
    return true;
}

// Makes the document what `out` describes, replacing only the frames that differ.
int Apply(AnimationDocument& doc, const Layout& layout, Output out) {
    const std::vector<FrameState>& before = layout.state.frames;
    if (out.entries == layout.state.entries && out.frames == before) return -1;
    DocumentOutline outline = layout.state;
    outline.entries = std::move(out.entries);
    outline.selectedEntry = out.firstMarked == kNone ? 0 : int(out.firstMarked) + 1;
    const size_t n = before.size(), m = out.frames.size();
    size_t head = 0;
    while (head < std::min(n, m) && before[head] == out.frames[head]) ++head;
    size_t tail = 0;
    while (tail < std::min(n, m) - head && before[n - 1 - tail] == out.frames[m - 1 - tail]) ++tail;
    const std::vector<FrameState> run(out.frames.begin() + std::ptrdiff_t(head),
                                      out.frames.end() - std::ptrdiff_t(tail));
    doc.MarkChanged();
    return SpliceFrames(doc, head, n - head - tail, run, outline) ? 0 : -1;
}

}  // namespace

std::vector<size_t> FramePositions(AnimationDocument& doc, const std::vector<TreeItem*>& items) {
    const std::unordered_set<const TreeItem*> wanted(items.begin(), items.end());
    std::vector<size_t> positions;
    size_t k = 0;
    for (TreeItem* e = FrameTree::NextFrameEntry(doc.tree.root()); e;
         e = FrameTree::NextFrameEntry(e), ++k) {
        if (wanted.count(e)) positions.push_back(k);
    }
    return positions;
}

int ReverseFrames(AnimationDocument& doc, const std::vector<size_t>& positions) {
    const Layout layout(doc);
    if (!ValidPositions(layout, positions, 2)) return -1;
    std::vector<Block> blocks;
    for (size_t p : positions) blocks.push_back(TakeBlock(layout, p));
    Output out;
    const Entries& entries = layout.state.entries;
    size_t slot = 0;
    for (size_t i = 0; i < entries.size();) {
        const int frame = layout.frameAt[i];
        if (frame >= 0 && slot < positions.size() && size_t(frame) == positions[slot]) {
            // This slot takes the frame from the other end, at this slot's level.
            out.block(blocks[blocks.size() - 1 - slot], entries[i].depth);
            ++slot;
            i = SubtreeEnd(entries, i);
            continue;
        }
        out.original(layout, i++);
    }
    return Apply(doc, layout, std::move(out));
}

int YoyoFrames(AnimationDocument& doc, const std::vector<size_t>& positions) {
    const Layout layout(doc);
    if (!ValidPositions(layout, positions, 3)) return -1;
    const Entries& entries = layout.state.entries;
    const size_t lastHead = layout.heads[positions.back()];
    const size_t insertAt = SubtreeEnd(entries, lastHead);
    Output out;
    for (size_t i = 0; i <= entries.size(); ++i) {
        if (i == insertAt) {
            for (size_t s = positions.size() - 1; s-- > 1;)
                out.block(TakeBlock(layout, positions[s]), entries[lastHead].depth);
        }
        if (i < entries.size()) out.original(layout, i);
    }
    return Apply(doc, layout, std::move(out));
}

namespace {

// Puts `blocks` at the target; the frames at `leaving` go from where they were.
int Place(AnimationDocument& doc, const Layout& layout, const std::vector<Block>& blocks,
          const std::vector<size_t>& leaving, const TreeItem* target, DropPlace place) {
    const Entries& entries = layout.state.entries;
    const std::unordered_set<size_t> selected(leaving.begin(), leaving.end());
    const bool copy = leaving.empty();

    // The target's index among the entries (kNone: the root).
    size_t t = kNone;
    size_t index = 0;
    for (TreeItem* e = FrameTree::NextEntry(doc.tree.root()); e;
         e = FrameTree::NextEntry(e), ++index) {
        if (e == target) t = index;
    }
    if (t != kNone && Starts(entries[t], "GlobalComment")) {
        t = kNone;  // above the frames: the front
        place = DropPlace::Before;
    }
    if (t != kNone && Starts(entries[t], "Comment")) {
        while (t > 0 && !IsImage(entries[t])) --t;  // the image the comment belongs to
        place = DropPlace::After;
    }
    size_t insertAt;
    int depth = 1;
    if (t == kNone) {
        insertAt = entries.size();
        if (place == DropPlace::Before) {
            insertAt = 0;
            while (insertAt < entries.size() && Starts(entries[insertAt], "GlobalComment"))
                ++insertAt;
        }
    } else {
        depth = entries[t].depth;
        insertAt = place == DropPlace::Before ? t : SubtreeEnd(entries, t);
        // Dropping frames onto one of themselves leaves them where they are.
        if (!copy && layout.frameAt[t] >= 0 && selected.count(size_t(layout.frameAt[t]))) return -1;
    }

    // Group entries whose frames all leave go with them.
    std::vector<bool> emptied(entries.size(), false);
    if (!copy) {
        for (size_t g = 0; g < entries.size(); ++g) {
            if (!IsGroup(entries[g])) continue;
            size_t frames = 0, leaving = 0;
            for (size_t i = g + 1; i < SubtreeEnd(entries, g); ++i) {
                if (layout.frameAt[i] < 0) continue;
                ++frames;
                if (selected.count(size_t(layout.frameAt[i]))) ++leaving;
            }
            emptied[g] = frames > 0 && frames == leaving;
        }
    }
    Output out;
    for (size_t i = 0; i <= entries.size();) {
        if (i == insertAt) {
            for (const Block& b : blocks) out.block(b, depth);
        }
        if (i == entries.size()) break;
        const int frame = layout.frameAt[i];
        if (!copy && frame >= 0 && selected.count(size_t(frame))) {
            i = SubtreeEnd(entries, i);  // never past insertAt: the target is not inside
            continue;
        }
        if (emptied[i]) {
            ++i;
            continue;
        }
        out.original(layout, i++);
    }
    return Apply(doc, layout, std::move(out));
}

}  // namespace

int MoveFrames(AnimationDocument& doc, const std::vector<size_t>& positions, const TreeItem* target,
               DropPlace place, bool copy) {
    const Layout layout(doc);
    if (!ValidPositions(layout, positions, 1)) return -1;
    std::vector<Block> blocks;
    for (size_t p : positions) blocks.push_back(TakeBlock(layout, p));
    return Place(doc, layout, blocks, copy ? std::vector<size_t>{} : positions, target, place);
}

CopiedFrames CopyFrames(AnimationDocument& doc, const std::vector<size_t>& positions) {
    const Layout layout(doc);
    CopiedFrames copied;
    if (!ValidPositions(layout, positions, 1)) return copied;
    copied.parameters = layout.state.parameters;
    for (size_t p : positions) {
        Block block = TakeBlock(layout, p);
        copied.frames.push_back(std::move(block.frame));
        copied.entries.push_back(std::move(block.entries));
    }
    return copied;
}

int InsertFrames(AnimationDocument& doc, const CopiedFrames& copied, const TreeItem* target,
                 DropPlace place) {
    const Layout layout(doc);
    if (!layout.consistent() || copied.empty() || copied.frames.size() != copied.entries.size())
        return -1;
    const DocumentParameters& here = layout.state.parameters;
    const DocumentParameters& there = copied.parameters;
    if (here.screenWidth != there.screenWidth || here.screenHeight != there.screenHeight ||
        here.hasGlobalPalette != there.hasGlobalPalette ||
        (here.hasGlobalPalette && !(here.globalPalette == there.globalPalette)))
        return -1;
    std::vector<Block> blocks;
    for (size_t i = 0; i < copied.frames.size(); ++i)
        blocks.push_back({copied.frames[i], copied.entries[i]});
    return Place(doc, layout, blocks, {}, target, place);
}

namespace {

// The frames at the given positions (ascending) in the chain.
std::vector<FrameRecord*> FramesAt(AnimationDocument& doc, const std::vector<size_t>& positions) {
    std::vector<FrameRecord*> frames;
    size_t k = 0;
    auto wanted = positions.begin();
    for (FrameRecord* f = doc.firstFrame; f && wanted != positions.end(); f = f->next, ++k) {
        if (k != *wanted) continue;
        frames.push_back(f);
        ++wanted;
    }
    return frames;
}

}  // namespace

int DeleteFrames(AnimationDocument& doc, const std::vector<size_t>& positions) {
    const std::vector<FrameRecord*> frames = FramesAt(doc, positions);
    if (frames.empty()) return -1;
    for (FrameRecord* f : frames) DeleteFrame(doc, f);
    SyncGroupTables(doc);
    if (doc.empty()) ResetEmptyDocument(doc);
    return 0;
}

int DuplicateFrames(AnimationDocument& doc, const std::vector<size_t>& positions) {
    const std::vector<FrameRecord*> frames = FramesAt(doc, positions);
    if (frames.empty()) return -1;
    // Back to front, so that every copy lands behind its own frame.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        doc.selectedFrame = *it;
        doc.selectedItem = doc.EntryOfFrame(*it);
        if (DuplicateSelectedFrame(doc) != 0) return -1;
    }
    return 0;
}
