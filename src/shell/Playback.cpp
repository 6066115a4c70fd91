#include "shell/Playback.h"

#include <algorithm>

#include "document/AnimationDocument.h"
#include "host/Host.h"

Playback::Playback(AnimationDocument& document, QObject* parent)
    : QObject(parent), document_(document) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Playback::tick);
}

int Playback::IntervalFor(uint32_t delay) {
    return delay == 0 ? 10 : int(std::min<uint32_t>(delay, 655350)) * 10;
}

void Playback::setSpeed(int percent) {
    speed_ = std::clamp(percent, 25, 400);
}

int Playback::intervalInForce() const {
    return std::max(10, int(int64_t(IntervalFor(delayInForce())) * 100 / speed_));
}

uint32_t Playback::delayInForce() const {
    if (document_.useGlobalDelay) return document_.globalDelay;
    return document_.selectedFrame ? document_.selectedFrame->delay : document_.globalDelay;
}

void Playback::toggle() {
    if (document_.empty()) {
        document_.host.message(
            "Please load a Gif file prior to applying an Effect/Transition\nor starting an "
            "animation.",
            "Warning", MessageIcon::Exclamation);
        return;
    }
    if (playing_) {
        stop();
        return;
    }
    playing_ = true;
    // Started on the last image, the first pass begins with the first one.
    const bool atEnd =
        position_ && document_.tree.Contains(position_) && !FrameTree::NextFrameEntry(position_);
    passes_ = atEnd ? -1 : 0;
    timer_.start(intervalInForce());
    emit playingChanged(true);
}

void Playback::stop() {
    timer_.stop();
    if (!playing_) return;
    playing_ = false;
    emit playingChanged(false);
}

TreeItem* Playback::firstImageEntry() const {
    return FrameTree::NextFrameEntry(document_.tree.root());
}

TreeItem* Playback::lastImageEntry(TreeItem* from) const {
    TreeItem* last = from && from->isFrameEntry() ? from : nullptr;
    for (TreeItem* e = FrameTree::NextFrameEntry(from ? from : document_.tree.root()); e;
         e = FrameTree::NextFrameEntry(e)) {
        last = e;
    }
    return last;
}

void Playback::tick() {
    if (!playing_) return;
    const bool placed = position_ && document_.tree.Contains(position_);
    TreeItem* next = placed ? FrameTree::NextFrameEntry(position_) : nullptr;
    if (!next && placed) {
        // A pass has ended on the last image: the loop count says how many times playing
        // goes back to the first; after the last pass the last image stays.
        ++passes_;
        if (document_.loopCount > 0 && passes_ > int(document_.loopCount)) {
            stop();
            return;
        }
    }
    if (!next) next = firstImageEntry();
    if (!next) {
        stop();
        document_.host.message(":-(", "Bug", MessageIcon::Exclamation);
        return;
    }
    if (!document_.GetGif(next)) {
        stop();
        document_.host.message("No Gif available for animation", "Bug", MessageIcon::Exclamation);
        return;
    }
    emit selectEntry(next);
    position_ = next;
    if (playing_) timer_.start(intervalInForce());
}
