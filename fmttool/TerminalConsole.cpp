#include "fmttool/TerminalConsole.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

// The settings to put back while a key read has the terminal; read by the
// signal handler, so plain data behind an atomic flag.
struct TSavedTerminal {
    std::atomic<bool> active{false};
    int fd = -1;
    termios settings{};
};

TSavedTerminal g_saved;

void RestoreSaved()
{
    if (g_saved.active.exchange(false))
        tcsetattr(g_saved.fd, TCSANOW, &g_saved.settings);
}

extern "C" void RestoreAndReraise(int signal)
{
    RestoreSaved();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Non-canonical mode without echo for the life of the object.
class TRawMode {
public:
    explicit TRawMode(int fd)
    {
        termios settings{};
        if (tcgetattr(fd, &settings) != 0)
            return;
        g_saved.fd = fd;
        g_saved.settings = settings;
        g_saved.active = true;
        settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        settings.c_cc[VMIN] = 1;
        settings.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &settings);
    }
    ~TRawMode() { RestoreSaved(); }
    TRawMode(const TRawMode&) = delete;
    TRawMode& operator=(const TRawMode&) = delete;
};

// How long the rest of an escape sequence may take to arrive; a lone
// Escape is followed by nothing.
constexpr std::chrono::milliseconds kSequenceGap{50};

}  // namespace

TTerminalConsole::TTerminalConsole(int input, int output)
    : m_input(input), m_output(output), m_keyboard(isatty(input) == 1)
{
}

void TTerminalConsole::Write(std::string_view text)
{
    // The image builder prints through stdio; its lines go first.
    std::fflush(stdout);
    while (!text.empty()) {
        const ssize_t written = ::write(m_output, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

int TTerminalConsole::ReadByte(std::optional<std::chrono::milliseconds> timeout)
{
    pollfd fd{m_input, POLLIN, 0};
    const int wait = timeout ? static_cast<int>(timeout->count()) : -1;
    for (;;) {
        const int ready = ::poll(&fd, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return kNoKey;
        unsigned char byte = 0;
        const ssize_t got = ::read(m_input, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        return got == 1 ? byte : kNoKey;
    }
}

int TTerminalConsole::ReadKey(std::optional<std::chrono::milliseconds> timeout)
{
    if (!m_keyboard)
        return kNoKey;
    TRawMode raw(m_input);
    const int key = ReadByte(timeout);
    if (key != kEscape)
        return key;
    // ESC [ ... final or ESC O final: the sequence of one key.
    const int next = ReadByte(kSequenceGap);
    if (next == kNoKey)
        return kEscape;
    if (next != '[' && next != 'O')
        return next << 8;
    for (;;) {
        const int code = ReadByte(kSequenceGap);
        if (code == kNoKey)
            return next << 8;
        if (code >= 0x40 && code <= 0x7E)
            return code << 8;
    }
}

void InstallTerminalRestore()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction action {};
        action.sa_handler = RestoreAndReraise;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    std::atexit(RestoreSaved);
}
