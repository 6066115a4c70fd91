#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QWidget;

// Context help for a dialog: F1 on a control opens that control's topic of the help
// pages; on a control without a topic it opens the dialog's own page. Controls that take
// no focus (read-only fields, labels, swatches, previews) are reached with What's This:
// Shift+F1 (or the title bar's "?") and a click on the control opens its topic.
class ContextHelp : public QObject {
  public:
    ContextHelp(QWidget* dialog, QString keyword);
    void add(QWidget* control, int topic);
    // The topic of a control (0: none).
    int topicOf(const QWidget* control) const;
    // What F1 does for the control that has the focus.
    void showFor(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* dialog_;
    QString keyword_;
    QMap<const QWidget*, int> topics_;
};
