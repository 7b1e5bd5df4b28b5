#include "localizer/LangError.h"

ELangError::ELangError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
