#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <unordered_set>

class AnimationDocument;
class FrameRecord;
class TreeItem;

// The small pictures of the frame tree: each frame's composed picture scaled to `size`
// pixels on its long side, over a checkerboard where nothing covers the screen. They are
// made by low-priority jobs on the document's pool; until one is ready its entry shows a
// placeholder, so that painting the tree never waits. Kept while the frame's picture
// stays the same (FrameRecord::pictureVersion), least recently shown dropped first, in a
// share of the composed pictures' memory budget.
class FrameThumbnails : public QObject {
    Q_OBJECT
  public:
    FrameThumbnails(AnimationDocument& doc, int size, QObject* parent = nullptr);
    // Before the document goes: pending jobs are cancelled or waited for.
    ~FrameThumbnails() override;
    FrameThumbnails(const FrameThumbnails&) = delete;
    FrameThumbnails& operator=(const FrameThumbnails&) = delete;

    int size() const { return size_; }
    // The frame of an image entry; nullptr for other entries. Never asks anything.
    FrameRecord* frameOf(const TreeItem* item) const;
    // What an image entry shows: its thumbnail when ready, else the placeholder (and the
    // thumbnail is asked for). A null image for other entries.
    QImage thumbnail(const TreeItem* item);
    // The delay in force for an image entry, "0.10 s"; empty for other entries.
    QString delayText(const TreeItem* item) const;
    // Whether the entry's current thumbnail has arrived.
    bool ready(const TreeItem* item) const;
    int64_t bytesHeld() const { return held_; }

  signals:
    // A thumbnail arrived (or one could not be made yet): the tree repaints.
    void changed();

  private:
    struct Entry {
        uint64_t version = 0;
        QImage image;
        std::list<const FrameRecord*>::iterator order;
    };
    QImage placeholder();
    void request(FrameRecord& frame, uint64_t version);
    void arrived(const FrameRecord* frame, uint64_t version, const QImage& image);
    void drop(std::unordered_map<const FrameRecord*, Entry>::iterator it);

    AnimationDocument& doc_;
    int size_;
    QImage placeholder_;
    std::unordered_map<const FrameRecord*, Entry> entries_;
    std::list<const FrameRecord*> order_;  // most recently shown first
    std::unordered_set<const FrameRecord*> pending_;
    int64_t held_ = 0;
    bool retryQueued_ = false;
};

// A thumbnail of a composed picture (0x00RRGGBB, see-through mask) scaled to `size` on
// its long side over a checkerboard. Safe on any thread.
QImage MakeThumbnail(int width, int height, const uint32_t* pixels, const uint8_t* seeThrough,
                     int size);
