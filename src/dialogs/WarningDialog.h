#pragma once

#include <QDialog>

struct AppSettings;
class QCheckBox;
class QLabel;

// The confirmation warnings that the user can switch off with "Don't &Show this message
// again"; the options dialog switches them all on again.
enum class WarningKind { Transparent, Optimize, UnOptimize, GlobalPal, LocalPal, Resize };

const char* WarningText(WarningKind kind);
// The do-not-show-again setting of the warning (1: never ask).
uint32_t& WarningSetting(AppSettings& settings, WarningKind kind);

// The warning box itself: title "Warning", the text, the box and "&Ok" / "&Cancel".
class WarningDialog : public QDialog {
    Q_OBJECT
  public:
    WarningDialog(QWidget* parent, const QString& text);
    QCheckBox* dontShowBox() const { return dontShow_; }
    QLabel* textLabel() const { return text_; }

  private:
    QCheckBox* dontShow_ = nullptr;
    QLabel* text_ = nullptr;
};

// True to proceed. Asks unless the warning was switched off; Ok with the box checked
// switches it off.
bool Warn(QWidget* parent, AppSettings& settings, WarningKind kind);
