#pragma once

#include <QWidget>

class AnimationDocument;
class FrameRecord;

// The image window: the composed picture of the selected frame, centred at its natural
// size or shrunk to fit, with a dotted rectangle around a frame that does not cover the
// whole logical screen.
class ImagePane : public QWidget {
    Q_OBJECT
  public:
    ImagePane(AnimationDocument& document, QWidget* parent = nullptr);
    void showFrame(FrameRecord* frame);
    // Where the logical screen is drawn inside the pane.
    QRect screenRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    AnimationDocument& document_;
    FrameRecord* frame_ = nullptr;
};
