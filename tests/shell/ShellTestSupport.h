#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "host/Host.h"

class MainWindow;

namespace shell_testing {

// Writes a GIF of `delays.size()` frames of w x h (each a different colour, with a
// comment on the first) through the engine's writer; returns its path.
QString WriteGif(const QString& dir, const QString& name, const std::vector<int>& delays, int w = 8,
                 int h = 6);

// Answers the next message box or question with `button` (Yes, No, Cancel, Ok) as soon
// as it opens; returns the text it showed (after the event loop ran it).
struct BoxAnswer {
    QString text;
    QString caption;
};
std::shared_ptr<BoxAnswer> AnswerNextBox(Answer answer);

// Image entries of the window's tree in pre-order, as their labels.
std::vector<std::string> ImageLabels(MainWindow& window);

}  // namespace shell_testing
