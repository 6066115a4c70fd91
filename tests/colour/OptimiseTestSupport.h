#pragma once

// Animations built by hand for the optimiser's tests, and their composed pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "colour/Optimise.h"
#include "document/AnimationDocument.h"
#include "document/Composition.h"
#include "support/TestSupport.h"

namespace optimise_test {

using Picture = std::vector<uint32_t>;

// A frame made from a picture of at most 256 colours: the palette lists the colours in
// order of first appearance. Appended to the document at (left, top).
inline FrameRecord* AddPicture(AnimationDocument& doc, const Picture& pixels, int w, int h,
                               int left = 0, int top = 0, int disposal = 0) {
    std::vector<uint32_t> colours;
    std::vector<uint8_t> indexes;
    for (uint32_t p : pixels) {
        auto it = std::find(colours.begin(), colours.end(), p);
        if (it == colours.end()) {
            colours.push_back(p);
            it = colours.end() - 1;
        }
        indexes.push_back(uint8_t(it - colours.begin()));
    }
    EXPECT_LE(colours.size(), 256u);
    FrameRecord* f = testing_support::MakeFrame(doc, w, h, colours);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) f->indexPlane()->set(x, y, indexes[size_t(y * w + x)]);
    }
    f->left = left;
    f->top = top;
    f->disposal = disposal;
    testing_support::AppendToDocument(doc, f, "picture.gif");
    return f;
}

// The composed picture of every frame, in order.
inline std::vector<Picture> ComposeAll(AnimationDocument& doc) {
    std::vector<Picture> out;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        const auto picture = GetComposedBitmap(*f);
        out.push_back(picture ? picture->pixels : Picture{});
    }
    return out;
}

// Pixels that differ under the mask.
inline int Mismatches(const Picture& a, const Picture& b, uint32_t mask) {
    if (a.size() != b.size()) return int(std::max(a.size(), b.size()));
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += SameUnderMask(a[i], b[i], mask) ? 0 : 1;
    return n;
}

// Pixels shown by a peer's composed picture (alpha not 0) that differ under the mask.
inline int PeerMismatches(const Picture& ours, const std::vector<uint32_t>& peer, uint32_t mask) {
    if (ours.size() != peer.size()) return int(std::max(ours.size(), peer.size()));
    int n = 0;
    for (size_t i = 0; i < ours.size(); ++i)
        n += (peer[i] >> 24) == 0 || SameUnderMask(ours[i], peer[i], mask) ? 0 : 1;
    return n;
}

// A progress that records what it was told and can abort after a number of polls.
class RecordingProgress : public OptimiseProgress {
  public:
    void SetLabel(const std::string& text) override { labels.push_back(text); }
    void SetPosition(int position) override { positions.push_back(position); }
    void ProcessEvents() override {
        ++polls;
        if (abortAfterPolls >= 0 && polls >= abortAfterPolls) aborted = true;
    }
    bool Aborted() const override { return aborted; }
    void Close() override { closed = true; }

    std::vector<std::string> labels;
    std::vector<int> positions;
    int polls = 0;
    int abortAfterPolls = -1;
    bool aborted = false;
    bool closed = false;
};

// A screen-recording-like animation: a flat desktop with a few windows, a block moving
// across it, and `noisePerFrame` isolated single-pixel flickers per frame (kept at least
// 4 pixels apart in rows and columns). Returns the frames' pictures.
inline std::vector<Picture> ScreenRecording(int w, int h, int frames, int noisePerFrame,
                                            unsigned seed = 7) {
    std::mt19937 random(seed);
    Picture desk(size_t(w) * size_t(h), 0x3060A0);
    for (int y = h / 4; y < h / 2; ++y) {
        for (int x = w / 8; x < w / 2; ++x)
            desk[size_t(y * w + x)] = (x + y) % 7 ? 0xF0F0F0 : 0x202020;
    }
    std::vector<Picture> out;
    for (int k = 0; k < frames; ++k) {
        Picture p = desk;
        const int bx = (k * 5) % (w - 12), by = h / 2 + (k * 3) % (h / 2 - 10);
        for (int y = by; y < by + 8; ++y) {
            for (int x = bx; x < bx + 10; ++x)
                p[size_t(y * w + x)] = 0xC03020 + uint32_t(k % 4) * 0x10;
        }
        std::vector<std::pair<int, int>> noise;
        while (int(noise.size()) < noisePerFrame && k > 0) {
            const int x = int(random() % unsigned(w)), y = int(random() % unsigned(h));
            bool apart = true;
            for (auto [nx, ny] : noise)
                apart = apart && std::abs(nx - x) > 3 && std::abs(ny - y) > 3;
            // Not next to the moving block, whose rows and columns change anyway.
            if (apart && (x < bx - 4 || x > bx + 14) && (y < by - 4 || y > by + 12))
                noise.push_back({x, y});
        }
        for (auto [x, y] : noise) p[size_t(y * w + x)] ^= 0x808080;
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace optimise_test
