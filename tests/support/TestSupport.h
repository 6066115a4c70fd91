#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "host/Host.h"

// A host that records everything the engine says and answers from a script.
class RecordingHost : public Host {
  public:
    struct Message {
        std::string text, caption;
        MessageIcon icon;
    };
    struct Progress {
        std::string text;
        int position;
    };

    void message(const std::string& text, const std::string& caption, MessageIcon icon) override;
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons,
               MessageIcon icon) override;
    bool askResize() override;
    void showProgress(const std::string& text, int position) override;
    void waitCursor(bool on) override;

    std::vector<Message> messages() const;
    std::vector<Message> questions() const;
    std::vector<Progress> progress() const;
    std::string lastProgressText() const;
    int resizeQuestions() const { return resizeQuestions_; }

    // Answers given to ask() in order; Answer::Yes (or Ok) when the script ran out.
    std::vector<Answer> answers;
    bool resizeAnswer = true;
    std::atomic<int> waitCursorDepth{0};

  private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_, questions_;
    std::vector<Progress> progress_;
    size_t nextAnswer_ = 0;
    std::atomic<int> resizeQuestions_{0};
};

// Test helpers for building frames by hand.
namespace testing_support {

// A complete 8-bit frame of w x h with the given palette colours (0x00RRGGBB) and
// every pixel set to index `fill`. Not linked anywhere.
FrameRecord* MakeFrame(AnimationDocument& doc, int w, int h, std::vector<uint32_t> colours,
                       uint8_t fill = 0);
// Appends a frame at the end of the document's list with a "Gif :name" entry.
void AppendToDocument(AnimationDocument& doc, FrameRecord* frame, const std::string& name);

// Whether the document's tree indexes exactly its frames: the frame list is linked both
// ways, its n-th frame entry (in pre-order) stands for its n-th frame, as many entries as
// frames, the frame count agrees, and the selection is an entry of the tree whose frame
// (when it is a frame entry) is the selected frame.
::testing::AssertionResult TreeIndexesFrames(AnimationDocument& doc);

}  // namespace testing_support

namespace testing_support {

// The labels of an entry's children, in order.
std::vector<std::string> ChildLabels(TreeItem* entry);
// What the editor shows of every frame, in order: its composed picture (once its colours
// are reduced), empty where there is none.
std::vector<std::vector<uint32_t>> ComposedPixels(AnimationDocument& doc);
// One pixel of a frame's composed picture as 0xRRGGBB; 0xDEAD when there is no picture.
uint32_t ComposedAt(FrameRecord& frame, int x, int y);

}  // namespace testing_support
