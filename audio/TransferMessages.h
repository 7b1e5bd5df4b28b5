#pragma once

#include <QString>

// The messages of the transfers into PC files, shown through the recorder
// host (from whatever thread failed), captioned with the application's name.
// error is the errno taken right where the call failed.
void ShowCantCreate(const QString& fileName, int error);
void ShowWritingError(const QString& systemText);
// A whole text of the file layer ("Writing error", the file, the reason).
void ShowFileError(const QString& text);
