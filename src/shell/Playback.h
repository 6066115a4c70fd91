#pragma once

#include <QObject>
#include <QTimer>

class AnimationDocument;
class Host;
class TreeItem;

// Plays the animation by stepping the tree's selection from image entry to image entry
// on a single-shot timer that follows each frame's delay (a delay of 0 plays at 10 ms,
// the shortest interval a desktop timer gives reliably). The animation's loop count ends
// it as browsers do: 0 plays for ever, N goes back to the start N times and then stops on
// the last image. A speed factor shortens or stretches the delays while playing without
// changing them.
class Playback : public QObject {
    Q_OBJECT
  public:
    Playback(AnimationDocument& document, QObject* parent = nullptr);

    bool playing() const { return playing_; }
    // Start Animation: starts when stopped, stops when playing.
    void toggle();
    void stop();
    // The entry shown last; every selection change sets it, New and Delete clear it.
    void setPosition(TreeItem* item) { position_ = item; }
    TreeItem* position() const { return position_; }
    // The entries Goto First and Goto Last select.
    TreeItem* firstImageEntry() const;
    TreeItem* lastImageEntry(TreeItem* from) const;
    // Milliseconds a frame stays.
    static int IntervalFor(uint32_t delay);
    // Playing speed in percent of the file's own (25..400; values outside are clamped).
    void setSpeed(int percent);
    int speed() const { return speed_; }
    // Milliseconds the frame shown now stays at the current speed (never below 10 ms).
    int intervalInForce() const;
    // One step: shows the next image, or stops after the last pass. The timer calls it;
    // tests call it to play without waiting.
    void tick();

  signals:
    // Playback wants this entry selected (the window selects it in the tree).
    void selectEntry(TreeItem* item);
    void playingChanged(bool playing);

  private:
    uint32_t delayInForce() const;

    AnimationDocument& document_;
    QTimer timer_;
    bool playing_ = false;
    TreeItem* position_ = nullptr;
    int speed_ = 100;
    int passes_ = 0;  // times the last image was reached since the start
};
