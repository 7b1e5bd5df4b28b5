#include "app/services/WindowsOnTop.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace {

bool IsModelessOver(const QWidget* candidate, const QWidget* window, const QWidget* except)
{
    return candidate != except && candidate != window && candidate->isWindow() && candidate->isVisible() &&
           candidate->parentWidget() && candidate->parentWidget()->window() == window &&
           qobject_cast<const QDialog*>(candidate) && candidate->windowModality() == Qt::NonModal &&
           !static_cast<const QDialog*>(candidate)->isModal();
}

}  // namespace

QWidget* UppermostWindowOver(QWidget* window, const QWidget* except)
{
    if (!window)
        return nullptr;
    window = window->window();
    for (bool found = true; found;) {
        found = false;
        for (QWidget* candidate : QApplication::topLevelWidgets())
            if (IsModelessOver(candidate, window, except)) {
                window = candidate;
                found = true;
                break;
            }
    }
    return window;
}

QWidget* QuestionOwner(const QWidget* except)
{
    QWidget* start = QApplication::activeModalWidget();
    if (start == except)
        start = nullptr;
    if (!start)
        start = QApplication::activeWindow();
    if (start == except)
        start = nullptr;
    // The active window may be a modeless dialog over the main window already.
    while (start && start->parentWidget() && qobject_cast<QDialog*>(start) && !static_cast<QDialog*>(start)->isModal())
        start = start->parentWidget()->window();
    if (!start)
        for (QWidget* candidate : QApplication::topLevelWidgets())
            if (candidate != except && candidate->isVisible() && !candidate->parentWidget()) {
                start = candidate;
                break;
            }
    return UppermostWindowOver(start, except);
}
