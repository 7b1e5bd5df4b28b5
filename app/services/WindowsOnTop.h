#pragma once

class QWidget;

// Which window a question goes on top of. A modeless window shown over
// another (the progress window over the main window) stays above it, so a
// question owned by the one below would be covered: the owner is the
// uppermost window shown over it.

// The uppermost visible modeless dialog shown over window (recursively),
// or window itself; except is never chosen (the dialog being shown).
QWidget* UppermostWindowOver(QWidget* window, const QWidget* except = nullptr);

// The owner of a question asked now: the active modal window, else the
// active window, else the first visible main window; with what is shown
// over it. Null when no window is shown.
QWidget* QuestionOwner(const QWidget* except = nullptr);
