#pragma once

#include <QString>

// The text of a localized constant in the active language, or the name itself
// when the table lacks it (a missing constant shows its name, never fails).
// Safe to call from any thread.
QString LangConst(const QString& name);

// The built-in (English) text of a constant whatever language is active, or
// the name itself when the table lacks it.
QString BuiltInLangConst(const QString& name);
