#pragma once

#include <QString>

class QWidget;

// Opens the help pages at the page for a keyword ("Contents", "Key Bindings", a command
// or dialog name) or a topic number (on whichever page holds it); an empty keyword opens
// the keyword index and the full-text search, the focus in the index's field. False
// when no page could be shown.
bool ShowHelp(QWidget* parent, const QString& keyword);
bool ShowHelpTopic(QWidget* parent, int topic);
