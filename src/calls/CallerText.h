#pragma once

#include <QString>

// A caller's number and name as they are shown: in the main window's label,
// in the history and in a notification. Both come from outside (the modem's
// announcement, the log, a contact file), and Unicode's bidirectional text
// rules would let them reorder what is drawn: "\u202E9910555" shows as
// 5550199. What is shown is made safe here.
namespace CallerText {

// The number with only what a number can hold: no control or format
// characters (direction overrides, zero-width marks) and no right-to-left
// letters or digits, so it is always drawn left to right, in the order it
// was announced. A line break of a modem's reply stays.
QString number(const QString& text);

// The name as one line, without direction controls of its own; a name that
// holds right-to-left text comes isolated (FSI ... PDI), so it cannot reorder
// the number or the words beside it.
QString name(const QString& text);

} // namespace CallerText
