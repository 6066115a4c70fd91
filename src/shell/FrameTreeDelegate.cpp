#include "shell/FrameTreeDelegate.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "shell/FrameTreeModel.h"

namespace {
constexpr int kGap = 8;
}

FrameTreeDelegate::FrameTreeDelegate(int thumbnailHeight, QObject* parent)
    : QStyledItemDelegate(parent), thumbnailHeight_(thumbnailHeight) {}

int FrameTreeDelegate::delayWidth(const QStyleOptionViewItem& option, const QString& text) const {
    return text.isEmpty() ? 0 : option.fontMetrics.horizontalAdvance(text) + kGap;
}

void FrameTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QString delay = index.data(FrameTreeModel::kDelayRole).toString();
    if (delay.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The label takes the room the delay leaves.
    const int reserved = delayWidth(option, delay);
    QStyleOptionViewItem full(option);
    initStyleOption(&full, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &full, painter, widget);
    // The row's background is drawn once, above; the label part only adds its content.
    QStyleOptionViewItem rest(option);
    rest.rect.setRight(option.rect.right() - reserved);
    rest.state &= ~QStyle::State_HasFocus;  // one focus frame, round the whole row
    if (option.state & QStyle::State_Selected) {
        rest.state &= ~QStyle::State_Selected;
        rest.palette.setColor(QPalette::Text, option.palette.color(QPalette::HighlightedText));
    }
    QStyledItemDelegate::paint(painter, rest, index);
    const QRect area(option.rect.right() - reserved + 1, option.rect.top(), reserved - kGap / 2,
                     option.rect.height());
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, delay);
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor =
            option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize FrameTreeDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += delayWidth(option, index.data(FrameTreeModel::kDelayRole).toString());
    size.setHeight(std::max(size.height(), thumbnailHeight_ + 4));
    return size;
}
