#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QString>

class AnimationDocument;
class FrameRecord;

// The image window: the composed picture of the selected frame, on a checkerboard where
// no frame has put an opaque pixel, with a dotted rectangle around a frame that does not
// cover the whole logical screen. Fit (the default) shows the picture centred at its
// natural size, or shrunk when the pane is smaller; a zoom factor shows it at that size,
// pixels as sharp squares when enlarged, with scroll bars when it is larger than the pane.
class ImagePane : public QAbstractScrollArea {
    Q_OBJECT
  public:
    ImagePane(AnimationDocument& document, QWidget* parent = nullptr);
    void showFrame(FrameRecord* frame);
    // Where the logical screen is drawn inside the pane (pane coordinates; it reaches
    // past the pane when zoomed in).
    QRect screenRect() const;

    // Zoom: fit, or a factor (1.0 is one screen pixel per picture pixel).
    bool fitting() const { return zoom_ <= 0; }
    // Screen pixels per picture pixel as drawn now.
    double scale() const;
    void zoomIn();
    void zoomOut();
    void fit();
    void actualSize();
    // "Fit (37%)" or "200%".
    QString zoomText() const;
    // What lies under a point of the pane: "x 12, y 8  index 5  #RRGGBB" (the index where
    // the selected frame covers the point; "transparent" for the colour where the picture
    // is see-through); empty off the picture.
    QString pixelTextAt(QPoint panePos) const;

  signals:
    void zoomChanged(const QString& text);
    // The pixel under the mouse changed (text as pixelTextAt).
    void pointedPixelChanged(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    // The logical screen's rectangle in viewport coordinates.
    QRect pictureRect() const;
    // Zooms to `zoom` (0: fit) keeping the picture point under `anchor` (viewport
    // coordinates) where it is.
    void zoomTo(double zoom, QPointF anchor);
    void zoomStep(int direction, QPointF anchor);
    void updateScrollBars();
    void updatePointed();

    AnimationDocument& document_;
    FrameRecord* frame_ = nullptr;
    double zoom_ = 0;  // 0: fit
    QPoint mouse_;     // viewport coordinates, while the mouse is over the pane
    bool mouseInside_ = false;
    int wheelDelta_ = 0;  // Ctrl+wheel turns not yet made into zoom steps
    QString pointed_;
};
