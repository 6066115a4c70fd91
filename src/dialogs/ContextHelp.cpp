#include "dialogs/ContextHelp.h"

#include <QAction>
#include <QKeyEvent>
#include <QWhatsThis>
#include <QWidget>

#include "app/HelpWindow.h"

ContextHelp::ContextHelp(QWidget* dialog, QString keyword)
    : QObject(dialog), dialog_(dialog), keyword_(std::move(keyword)) {
    // F1 that the focused control leaves alone comes up to the dialog.
    dialog->installEventFilter(this);
    // Shift+F1 starts What's This, where a click on any control asks for its topic.
    dialog->addAction(QWhatsThis::createAction(this));
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, true);
}

bool ContextHelp::eventFilter(QObject* watched, QEvent* event) {
    const auto isF1 = [event] {
        const auto* key = static_cast<QKeyEvent*>(event);
        return key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier;
    };
    // Seen on the dialog and on the controls themselves (the focused one gets it first).
    const bool ours = watched == dialog_ || topics_.contains(qobject_cast<QWidget*>(watched));
    if (ours && event->type() == QEvent::ShortcutOverride && isF1()) {
        // No F1 shortcut (the Help button's) may take the key from the focused control.
        event->accept();
        return true;
    }
    if (ours && event->type() == QEvent::KeyPress && isF1()) {
        showFor(dialog_->focusWidget());
        return true;
    }
    if (event->type() == QEvent::WhatsThis && watched != dialog_) {
        // A click in What's This mode on a control (or on a part of it).
        const int topic = topicOf(qobject_cast<QWidget*>(watched));
        if (topic) {
            QWhatsThis::leaveWhatsThisMode();
            ShowHelpTopic(dialog_, topic);
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ContextHelp::add(QWidget* control, int topic) {
    if (!control) return;
    topics_.insert(control, topic);
    // A control may already explain itself; it still needs a text to take part in
    // What's This.
    if (control->whatsThis().isEmpty())
        control->setWhatsThis(QStringLiteral("Help topic %1 (press F1).").arg(topic));
    control->installEventFilter(this);
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
