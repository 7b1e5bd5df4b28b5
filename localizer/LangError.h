#pragma once

#include <QString>
#include <stdexcept>

// Every error of the language manager, the constants table and the
// language-file reader.
class ELangError : public std::runtime_error {
public:
    explicit ELangError(const QString& text);

    QString Text() const { return m_text; }

private:
    QString m_text;
};
