#pragma once

#include <QString>

// The application title (the class library's Application.Title): dialogs take
// it as their caption. Kept here, not in Qt's display name, which Qt would
// append to every window title.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);
