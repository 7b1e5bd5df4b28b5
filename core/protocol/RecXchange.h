#pragma once

#include <QString>
#include <exception>
#include <string>

// What a link raises when a command fails: a text ("I/O Error" from every
// link) of at most 259 characters, the failing command code and one more
// integer (0 from every link).
class TERecXchange : public std::exception {
public:
    static constexpr int kMaxTextLength = 259;

    TERecXchange(const QString& text, int code, int extra = 0);

    const char* what() const noexcept override { return m_utf8.c_str(); }

    QString Text;
    int Code = 0;
    int Extra = 0;

private:
    std::string m_utf8;
};

// The text every link raises.
inline constexpr const char* kIoErrorText = "I/O Error";

[[noreturn]] void ThrowIoError(int code);
