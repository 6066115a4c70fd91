#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/ChainOperations.h"
#include "effects/EffectParams.h"
#include "support/TestSupport.h"

namespace effects_test {

// Owns a chain returned by a renderer for the length of a test.
struct ChainOwner {
    FrameRecord* head = nullptr;
    explicit ChainOwner(FrameRecord* h) : head(h) {}
    ~ChainOwner() { DiscardChain(head); }
    ChainOwner(const ChainOwner&) = delete;
    ChainOwner& operator=(const ChainOwner&) = delete;
    std::vector<FrameRecord*> frames() const {
        std::vector<FrameRecord*> out;
        for (FrameRecord* f = head; f; f = f->next) out.push_back(f);
        return out;
    }
};

// Frame with its own palette; pixel (x, y) gets index pattern(x, y).
template <typename Pattern>
FrameRecord* PatternFrame(AnimationDocument& doc, int w, int h, std::vector<uint32_t> colours,
                          Pattern pattern) {
    FrameRecord* f = testing_support::MakeFrame(doc, w, h, std::move(colours), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f->indexPlane()->set(x, y, uint8_t(pattern(x, y)));
    return f;
}

inline uint8_t At(const FrameRecord& f, int x, int y) {
    return f.indexPlane()->get(x, y);
}

// A preview block (no progress, no reduction) for frame counts and values.
inline EffectParams PreviewBlock(int frames, int value1 = 0, int value2 = 0) {
    return {.frameCount = frames, .value = {value1, value2}, .colorIndex = 0, .preview = 1};
}

// Destroys loose frames made by a test.
struct FrameOwner {
    std::vector<FrameRecord*> frames;
    FrameRecord* add(FrameRecord* f) {
        frames.push_back(f);
        return f;
    }
    ~FrameOwner() {
        for (FrameRecord* f : frames) {
            f->prev = f->next = nullptr;
            DiscardChain(f);
        }
    }
};

// What renderer tests start from: a document, and frames that live as long as the test.
class RendererTest : public ::testing::Test {
  protected:
    RecordingHost host;
    AnimationDocument doc{host, 1};
    FrameOwner owner;

    // Index 1 everywhere, in `colour`; index 0 is black.
    FrameRecord* Uniform(int w, int h, uint32_t colour = 0xFF0000) {
        return owner.add(PatternFrame(doc, w, h, {0x000000, colour}, [](int, int) { return 1; }));
    }
};

}  // namespace effects_test
