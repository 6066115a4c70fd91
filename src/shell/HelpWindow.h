#pragma once

#include <QString>

class QWidget;

// Opens the help pages at the page for a keyword ("Contents", "Key Bindings", a command
// or dialog name) or a topic number; an empty keyword opens the index to search in.
// False when no page could be shown.
bool ShowHelp(QWidget* parent, const QString& keyword);
bool ShowHelpTopic(QWidget* parent, int topic);
