#include "dialogs/ContextHelp.h"

#include <QKeyEvent>
#include <QWidget>

#include "shell/HelpWindow.h"

ContextHelp::ContextHelp(QWidget* dialog, QString keyword)
    : QObject(dialog), dialog_(dialog), keyword_(std::move(keyword)) {
    // F1 that the focused control leaves alone comes up to the dialog.
    dialog->installEventFilter(this);
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        showFor(dialog_->focusWidget());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ContextHelp::add(QWidget* control, int topic) {
    if (!control) return;
    topics_.insert(control, topic);
    control->setWhatsThis(QStringLiteral("Help topic %1 (press F1).").arg(topic));
}

int ContextHelp::topicOf(const QWidget* control) const {
    // A control's parts (the edit of a spin box, say) count as the control.
    for (const QWidget* w = control; w && w != dialog_; w = w->parentWidget()) {
        const auto found = topics_.constFind(w);
        if (found != topics_.constEnd()) return found.value();
    }
    return 0;
}

void ContextHelp::showFor(QWidget* control) {
    const int topic = topicOf(control);
    if (topic)
        ShowHelpTopic(dialog_, topic);
    else
        ShowHelp(dialog_, keyword_);
}
