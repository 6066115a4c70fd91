#include "support/TestSupport.h"

#include "document/Composition.h"

void RecordingHost::message(const std::string& text, const std::string& caption, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    messages_.push_back({text, caption, icon});
}

Answer RecordingHost::ask(const std::string& text, const std::string& caption, Buttons buttons,
                          MessageIcon icon) {
    std::lock_guard lock(mutex_);
    questions_.push_back({text, caption, icon});
    if (nextAnswer_ < answers.size()) return answers[nextAnswer_++];
    return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}

bool RecordingHost::askResize() {
    ++resizeQuestions_;
    return resizeAnswer;
}

void RecordingHost::showProgress(const std::string& text, int position) {
    std::lock_guard lock(mutex_);
    progress_.push_back({text, position});
}

void RecordingHost::waitCursor(bool on) {
    waitCursorDepth += on ? 1 : -1;
}

std::vector<RecordingHost::Message> RecordingHost::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<RecordingHost::Message> RecordingHost::questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

std::vector<RecordingHost::Progress> RecordingHost::progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

std::string RecordingHost::lastProgressText() const {
    std::lock_guard lock(mutex_);
    return progress_.empty() ? std::string() : progress_.back().text;
}

namespace testing_support {

FrameRecord* MakeFrame(AnimationDocument& doc, int w, int h, std::vector<uint32_t> colours,
                       uint8_t fill) {
    FrameRecord* frame = AnimationDocument::Adopt(FrameRecord::Construct(doc, nullptr, nullptr));
    frame->CreateIndexBuffer(w, h);
    frame->indexPlane()->fill(fill);
    for (size_t i = 0; i < colours.size() && i < 256; ++i) {
        frame->palette[i] = PaletteEntry::FromRgb(colours[i]);
    }
    frame->fileName = "test.gif";
    return frame;
}

void AppendToDocument(AnimationDocument& doc, FrameRecord* frame, const std::string& name) {
    FrameRecord* last = doc.lastFrame();
    frame->prev = last;
    frame->next = nullptr;
    if (last)
        last->next = frame;
    else
        doc.firstFrame = frame;
    doc.tree.Append(doc.tree.root(), "Gif :" + name);
    doc.frameCount += 1;
    if (doc.screenWidth < frame->left + frame->width) doc.screenWidth = frame->left + frame->width;
    if (doc.screenHeight < frame->top + frame->height)
        doc.screenHeight = frame->top + frame->height;
}

::testing::AssertionResult TreeIndexesFrames(AnimationDocument& doc) {
    std::vector<FrameRecord*> frames;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        if (f->prev != (frames.empty() ? nullptr : frames.back()))
            return ::testing::AssertionFailure() << "frame " << frames.size() << ": prev link";
        if (frames.size() > 1000000) return ::testing::AssertionFailure() << "a cycle of frames";
        frames.push_back(f);
    }
    size_t entries = 0;
    for (TreeItem* e = doc.tree.root(); e; e = FrameTree::NextEntry(e)) {
        if (!e->isFrameEntry()) continue;
        if (e == doc.selectedItem &&
            (entries >= frames.size() || doc.selectedFrame != frames[entries]))
            return ::testing::AssertionFailure()
                   << "the selected entry " << e->text() << " is not the selected frame";
        ++entries;
    }
    if (entries != frames.size())
        return ::testing::AssertionFailure()
               << entries << " frame entries for " << frames.size() << " frames";
    if (doc.frameCount != int(frames.size()))
        return ::testing::AssertionFailure()
               << "frame count " << doc.frameCount << " for " << frames.size() << " frames";
    if (!doc.tree.Contains(doc.selectedItem))
        return ::testing::AssertionFailure() << "the selection is not in the tree";
    return ::testing::AssertionSuccess();
}

}  // namespace testing_support

namespace testing_support {

std::vector<std::string> ChildLabels(TreeItem* entry) {
    std::vector<std::string> labels;
    for (TreeItem* child = entry->firstChild(); child; child = child->nextSibling())
        labels.push_back(child->text());
    return labels;
}

std::vector<std::vector<uint32_t>> ComposedPixels(AnimationDocument& doc) {
    std::vector<std::vector<uint32_t>> shown;
    for (FrameRecord* f = doc.firstFrame; f; f = f->next) {
        f->WaitForReduction();
        const auto picture = GetComposedBitmap(*f);
        shown.push_back(picture ? picture->pixels : std::vector<uint32_t>{});
    }
    return shown;
}

uint32_t ComposedAt(FrameRecord& frame, int x, int y) {
    const auto picture = GetComposedBitmap(frame);
    return picture ? picture->pixels[size_t(y * picture->width + x)] & 0xFFFFFFu : 0xDEADu;
}

}  // namespace testing_support
