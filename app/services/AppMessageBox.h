#pragma once

#include <QString>
#include <cstdint>
#include <exception>

#include "core/recorder/MessageBoxCodes.h"

class TERecXchange;

// Answers the program's message boxes in place of the user (tests).
class TMessageBoxAnswerer {
public:
    virtual ~TMessageBoxAnswerer() = default;
    // The button number for a box that would have been shown.
    virtual int Answer(const QString& text, std::uint32_t flags, const QString& caption) = 0;
};

// Installs an answerer (null: boxes are shown again). Called on the GUI
// thread; the answerer is asked on the GUI thread too.
void SetMessageBoxAnswerer(TMessageBoxAnswerer* answerer);

// The application's message box with Windows MB_ flags (buttons, icon,
// default button) and result numbers (IDOK 1 ... IDNO 7). Any thread: calls
// from a job thread wait for the GUI thread to show the box.
int AppMessageBox(const QString& text, std::uint32_t flags, const QString& caption);

// ExceptErrorStr ("ERROR: %s. Error code %d") with the failure's text and
// command code, MB_ICONERROR, the application title as caption.
void ShowRecorderError(const TERecXchange& error);
// Any other failure, shown by its text.
void ShowErrorMessage(const QString& text);
// The one place that shows an exception caught at the edge of a handler
// (logic errors are logged too), and one that is not a std::exception.
void ShowException(const std::exception& error);
void ShowUnknownException();

// Runs the work of a slot or handler and shows whatever it raises, so that
// no exception crosses the event loop.
template <typename TWork> void RunGuarded(TWork&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowUnknownException();
    }
}
