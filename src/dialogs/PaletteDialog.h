#pragma once

#include <QDialog>
#include <QWidget>

#include "document/Palette.h"

class AnimationDocument;
class FrameRecord;
class QLabel;
class PaletteDialog;

// What the caller asks of the palette dialog, and what it gets back.
struct PaletteRequest {
    FrameRecord* frame = nullptr;  // nullptr: the document's global palette
    int edit = 0;                  // 1: edit the colours; 0: choose an entry
    int returnIndex = 0;           // 1: OK only reports the choice in resultIndex
    int resultIndex = 0;
};

// The 16 x 16 grid of colour cells (control 3000). Cells are cw x ch with a gap of 4
// behind each, centred in the control.
class PaletteGrid : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kGap = 4;

    explicit PaletteGrid(PaletteDialog& dialog);
    QSize sizeHint() const override { return {380, 380}; }
    // Cell i's rectangle in the control.
    QRect cellRect(int index) const;
    // The entry whose cell (or the gap behind it) holds `point`; -1 for the margins
    // around the 256 cells.
    int indexAt(QPoint point) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // The cells are laid out in the control less a border of 2, so that the selection
    // frame around an edge cell stays visible.
    static constexpr int kBorder = 2;
    int cellWidth() const { return (width() - 2 * kBorder - 60) / 16; }
    int cellHeight() const { return (height() - 2 * kBorder - 60) / 16; }
    QPoint origin() const;

    PaletteDialog& dialog_;
    bool buttonDown_ = false;
};

// "Choose Color": shows a 256-entry palette (a frame's or the global one). In choose
// mode a click selects the background index, a frame's transparent index, or an index
// for the caller; in edit mode a double click edits an entry with the colour chooser,
// and OK writes the edited palette back. Cancel changes nothing.
class PaletteDialog : public QDialog {
    Q_OBJECT
  public:
    PaletteDialog(QWidget* parent, AnimationDocument& doc, PaletteRequest& request);
    // 1 for OK, 0 for Cancel.
    static int Run(QWidget* parent, AnimationDocument& doc, PaletteRequest& request);

    int selectedIndex() const { return selected_; }
    int startIndex() const { return start_; }
    const Palette& workingCopy() const { return working_; }
    PaletteGrid* grid() const { return grid_; }
    QLabel* entryLabel() const { return entryLabel_; }
    QLabel* hintLabel() const { return hintLabel_; }
    // The colour a cell shows (an unused entry is white).
    QColor cellColour(int index) const;

    // The grid's mouse actions.
    void select(int index);
    void editEntry(int index);

  public slots:
    void accept() override;

  private:
    void showEntry(bool edited);

    AnimationDocument& doc_;
    PaletteRequest& request_;
    Palette working_;
    int start_ = 0;
    int selected_ = 0;
    PaletteGrid* grid_ = nullptr;
    QLabel* entryLabel_ = nullptr;
    QLabel* hintLabel_ = nullptr;
};
