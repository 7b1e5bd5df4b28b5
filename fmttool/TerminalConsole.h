#pragma once

#include "fmttool/FmtConsole.h"

// The process's own console: text to an output descriptor, keys from an
// input descriptor that is a terminal. While a key is awaited the terminal
// is put in non-canonical mode without echo; its settings come back when the
// read ends, at exit, and on a signal that ends the process.
class TTerminalConsole : public TFmtConsole {
public:
    explicit TTerminalConsole(int input = 0, int output = 1);

    void Write(std::string_view text) override;
    bool HasKeyboard() const override { return m_keyboard; }
    int ReadKey(std::optional<std::chrono::milliseconds> timeout = std::nullopt) override;

private:
    int ReadByte(std::optional<std::chrono::milliseconds> timeout);

    int m_input;
    int m_output;
    bool m_keyboard;
};

// Installs the handlers that put the terminal's settings back on SIGINT,
// SIGTERM, SIGHUP and SIGQUIT before the signal takes its usual course.
void InstallTerminalRestore();
