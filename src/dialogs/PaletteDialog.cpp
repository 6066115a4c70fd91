#include "dialogs/PaletteDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/ContextHelp.h"
#include "dialogs/Recompose.h"
#include "document/AnimationDocument.h"
#include "document/FrameRecord.h"
#include "host/Host.h"
#include "app/HelpWindow.h"

PaletteGrid::PaletteGrid(PaletteDialog& dialog) : QWidget(&dialog), dialog_(dialog) {
    setObjectName(QStringLiteral("3000"));
    setMinimumSize(16 * 8 + 60 + 2 * kBorder, 16 * 8 + 60 + 2 * kBorder);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QPoint PaletteGrid::origin() const {
    const int w = width() - 2 * kBorder, h = height() - 2 * kBorder;
    return {kBorder + (w - 16 * cellWidth() - 60) / 2, kBorder + (h - 16 * cellHeight() - 60) / 2};
}

QRect PaletteGrid::cellRect(int index) const {
    const QPoint o = origin();
    const int column = index % 16, row = index / 16;
    return {o.x() + column * (cellWidth() + kGap), o.y() + row * (cellHeight() + kGap), cellWidth(),
            cellHeight()};
}

int PaletteGrid::indexAt(QPoint point) const {
    const int cw = cellWidth(), ch = cellHeight();
    if (cw <= 0 || ch <= 0) return -1;
    const QPoint o = origin();
    const int dx = point.x() - o.x(), dy = point.y() - o.y();
    // Only the cells (with the gap behind each) select; the margins around them do not,
    // so no click can make an index past 255.
    if (dx < 0 || dy < 0) return -1;
    const int column = dx / (cw + kGap), row = dy / (ch + kGap);
    if (column > 15 || row > 15) return -1;
    return row * 16 + column;
}

void PaletteGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    for (int i = 0; i < 256; ++i) {
        const QRect r = cellRect(i);
        painter.fillRect(r, dialog_.cellColour(i));
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    const QRect s = cellRect(dialog_.selectedIndex());
    painter.setPen(QColor(255, 0, 0));
    painter.drawRect(s.adjusted(-2, -2, 1, 1));
}

void PaletteGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) buttonDown_ = true;
}

void PaletteGrid::mouseReleaseEvent(QMouseEvent* event) {
    // Only a click that began here selects: the release of the click that opened the
    // dialog does not.
    if (event->button() != Qt::LeftButton || !buttonDown_) return;
    buttonDown_ = false;
    const int index = indexAt(event->position().toPoint());
    if (index >= 0) dialog_.select(index);
}

void PaletteGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    buttonDown_ = false;
    const int index = indexAt(event->position().toPoint());
    if (index >= 0) dialog_.editEntry(index);
}

PaletteDialog::PaletteDialog(QWidget* parent, AnimationDocument& doc, PaletteRequest& request)
    : QDialog(parent), doc_(doc), request_(request) {
    setObjectName(QStringLiteral("IDD_COLORDLG"));
    setWindowTitle(QStringLiteral("Choose Color"));
    if (FrameRecord* frame = request_.frame) {
        // The palette is complete only once the frame's colour reduction has ended.
        frame->WaitForReduction();
        working_ = frame->effectivePalette();
        start_ = int(std::min<uint32_t>(frame->transparentIndex, 255));
    } else {
        working_ = doc_.globalPalette;
        start_ = doc_.backgroundIndex;
    }
    selected_ = start_;

    grid_ = new PaletteGrid(*this);
    entryLabel_ = new QLabel;
    entryLabel_->setObjectName(QStringLiteral("3001"));
    hintLabel_ = new QLabel(request_.edit
                                ? QStringLiteral("Click on a Color to Select; double-click to Edit")
                                : QStringLiteral("Click on a Color to Select"));
    hintLabel_->setObjectName(QStringLiteral("3002"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addWidget(entryLabel_);
    layout->addWidget(hintLabel_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &PaletteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (!ShowHelp(this, QStringLiteral("Palette Dialog")))
            doc_.host.message("Can't activate Help on the Palette Dialog", "Error",
                              MessageIcon::Exclamation);
    });
    // F1 anywhere in the dialog opens its page, as the Help button does.
    new ContextHelp(this, QStringLiteral("Palette Dialog"));
    showEntry(false);
}

int PaletteDialog::Run(QWidget* parent, AnimationDocument& doc, PaletteRequest& request) {
    PaletteDialog dialog(parent, doc, request);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

QColor PaletteDialog::cellColour(int index) const {
    const PaletteEntry& e = working_[size_t(index)];
    if (!e.used()) return Qt::white;
    return QColor(std::clamp(e.red, 0, 255), std::clamp(e.green, 0, 255),
                  std::clamp(e.blue, 0, 255));
}

void PaletteDialog::showEntry(bool edited) {
    const PaletteEntry& e = working_[size_t(selected_)];
    // After an edit the blue reads "b:" as it always has.
    const char* blue = edited ? "b" : "B";
    const QString text = e.used() ? QStringLiteral("Color Index %1 - R:%2 G:%3 %4:%5")
                                        .arg(selected_)
                                        .arg(e.red)
                                        .arg(e.green)
                                        .arg(QLatin1String(blue))
                                        .arg(e.blue)
                                  : QStringLiteral("Color Index %1 - R:n/a G:n/a %2:n/a")
                                        .arg(selected_)
                                        .arg(QLatin1String(blue));
    entryLabel_->setText(text);
}

void PaletteDialog::select(int index) {
    if (index < 0 || index > 255) return;
    selected_ = index;
    grid_->update();
    showEntry(false);
}

void PaletteDialog::editEntry(int index) {
    if (!request_.edit) {
        doc_.host.message(
            "Please click on a color to select;\nfor editing, use 'Edit Palette' in the "
            "corresponding Tool-Window",
            "Palette Editing not possible", MessageIcon::Information);
        return;
    }
    select(index);
    const QColor grey = palette().color(QPalette::Window);
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, grey);
    QColorDialog chooser(cellColour(index), this);
    chooser.setOption(QColorDialog::DontUseNativeDialog, true);
    if (chooser.exec() != QDialog::Accepted) return;
    const QColor c = chooser.selectedColor();
    working_[size_t(index)] = PaletteEntry{c.red(), c.green(), c.blue()};
    showEntry(true);
    grid_->update();
}

void PaletteDialog::accept() {
    FrameRecord* frame = request_.frame;
    // A frame's palette or transparent index shows in it and the frames built on it; the
    // global palette and the background in every frame.
    const auto recompose = [&] {
        if (frame)
            RecomposeFrom(frame);
        else
            RecomposeAll(doc_);
    };
    if (request_.returnIndex) {
        request_.resultIndex = selected_;
    } else if (!request_.edit) {
        bool changed;
        {
            AnimationDocument::StructureWriteLock structure(doc_);
            if (frame) {
                changed = frame->transparentIndex != uint32_t(selected_);
                frame->transparentIndex = uint32_t(selected_);
            } else {
                changed = doc_.backgroundIndex != selected_;
                doc_.backgroundIndex = uint8_t(selected_);
            }
        }
        doc_.MarkChanged();
        if (changed) recompose();
    } else {
        if (frame) frame->WaitForReduction();
        bool changed;
        {
            AnimationDocument::StructureWriteLock structure(doc_);
            Palette& target = frame ? frame->palette : doc_.globalPalette;
            changed = target != working_;
            target = working_;
        }
        doc_.MarkChanged();
        if (changed) recompose();
    }
    QDialog::accept();
}
