#pragma once

#include <QStyledItemDelegate>

// Draws a frame tree entry as the usual label (and thumbnail) with the frame's delay
// right-aligned beside it, so that the label itself stays what it always was. Every row
// is as tall as a thumbnail, which lets the view assume uniform rows.
class FrameTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    FrameTreeDelegate(int thumbnailHeight, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int delayWidth(const QStyleOptionViewItem& option, const QString& text) const;
    int thumbnailHeight_;
};
