#pragma once

#include <QColor>
#include <QDialog>
#include <QMap>
#include <QPoint>
#include <QSize>
#include <optional>

#include "dialogs/ColourSwatch.h"
#include "document/DocumentEdit.h"
#include "app/SettingsStore.h"

class AnimationDocument;
class FrameRecord;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "Parameters": the modeless tool window beside the main window that shows and edits
// the animation's global GIF parameters and those of the selected frame. Every change
// goes to the document at once as an undo step and recomposes the frames whose
// picture it changes. Controls carry their numeric ids as object names.
class ParametersWindow : public QDialog {
    Q_OBJECT
  public:
    // The owner is the main window: the tool window follows its moves.
    ParametersWindow(QWidget* owner, AnimationDocument& doc, AppSettings& settings);
    ~ParametersWindow() override;

    // The document or the selection changed: show them again.
    void Refresh();
    // A reduction ended: show the frame's values and swatches again, leaving the focus
    // where the user has it.
    void ShowFrameAgain();
    // Records where the window is as the "Param Placement" setting.
    void recordPlacement();
    // Moves the window to the recorded placement when that lies on a screen.
    void restorePlacement();
    WindowPlacement placement() const;

    QWidget* control(int id) const { return controls_.value(id); }
    QLineEdit* field(int id) const;
    QCheckBox* box(int id) const;
    QComboBox* list(int id) const;
    QPushButton* button(int id) const;
    ColourSwatch* swatch(int id) const;
    bool enabledState() const { return enabled_; }
    int shownTransparentIndex() const { return shownTransparent_; }
    int previousDelay() const { return previousDelay_; }

    // Help topic of a control (0: none).
    static int HelpTopic(int id);

  signals:
    // The selected frame's picture may look different: repaint the image window.
    void pictureChanged();
    // The delay in force for playback changed: a playing animation restarts.
    void delayInForceChanged();
    // Handlers give the keyboard back to the frame tree.
    void treeFocusWanted();
    // The user closed the window.
    void closedByUser();
    // A change of the document was made here (it is in the undo history once the
    // handler has returned).
    void documentChanged();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void fill();
    void enableAll(bool on);
    void updateSwatches();
    void computePreviousDelay();
    // The undo step of a handler's change (none while the fields are being filled).
    std::optional<DocumentEdit> change(const char* field, bool typed = false,
                                       const FrameRecord* frame = nullptr);
    void markModified();
    void done();  // end of a handler: focus back to the tree
    FrameRecord* frame() const;

    // Reads a 16-bit number field; nullopt when it is empty (nothing to apply yet) or
    // refused (message shown, field restored to `current`).
    std::optional<int> readNumber(QLineEdit* edit, const char* what, int current);

    void onGlobalPalette(bool on);
    void onEditGlobalPalette();
    void onBackground();
    void onUseGlobalDelay(bool on);
    void onGlobalDelay();
    void onLocalDelay();
    void onLocalPalette(bool on);
    void onEditLocalPalette();
    void onTransparentSwatch();
    void onTransparency(bool on);
    void onLoops();
    void onInfinite(bool on);
    void onLocalDisposal(int index);
    void onGlobalDisposal(int index);
    void onUseGlobalDisposal(bool on);

    AnimationDocument& doc_;
    AppSettings& settings_;
    QMap<int, QWidget*> controls_;
    bool initialising_ = false;
    bool enabled_ = false;
    int shownTransparent_ = 0;
    int previousDelay_ = -1;
    QWidget* owner_ = nullptr;
    QPoint ownerPos_;
    QSize ownerSize_;
};
