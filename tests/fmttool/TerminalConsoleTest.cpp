// The real console on a pseudo-terminal: keys without echo, escape
// sequences told apart from Escape, and the terminal's settings put back.
#include <gtest/gtest.h>

#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "fmttool/TerminalConsole.h"
#include "tests/support/WaitUntil.h"

namespace {

class PseudoTerminal {
public:
    PseudoTerminal() { EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0); }
    ~PseudoTerminal()
    {
        close(master);
        close(slave);
    }
    void Type(const std::string& keys) { ASSERT_EQ(write(master, keys.data(), keys.size()), ssize_t(keys.size())); }
    tcflag_t LocalFlags() const
    {
        termios settings{};
        tcgetattr(slave, &settings);
        return settings.c_lflag;
    }

    int master = -1;
    int slave = -1;
};

}  // namespace

TEST(TerminalConsole, ReadsKeysAndSequencesAndPutsTheSettingsBack)
{
    PseudoTerminal pty;
    const tcflag_t before = pty.LocalFlags();
    ASSERT_TRUE(before & ECHO);
    ASSERT_TRUE(before & ICANON);
    TTerminalConsole console(pty.slave, pty.slave);
    ASSERT_TRUE(console.HasKeyboard());

    // Up, F1, F5, Alt+x, then Escape alone.
    pty.Type("y\x1b[A\x1bOP\x1b[15~\x1bx\x1b");
    const int expected[] = {'y', 'A' << 8, 'P' << 8, '~' << 8, 'x' << 8, TFmtConsole::kEscape};
    for (const int key : expected) {
        EXPECT_EQ(console.ReadKey(std::chrono::seconds(5)), key);
        EXPECT_EQ(pty.LocalFlags(), before);
    }
    EXPECT_EQ(console.ReadKey(std::chrono::milliseconds(20)), TFmtConsole::kNoKey);
    EXPECT_EQ(pty.LocalFlags(), before);
}

TEST(TerminalConsole, WithoutATerminalNoKeyIsAwaited)
{
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    TTerminalConsole console(pipeEnds[0], pipeEnds[1]);
    EXPECT_FALSE(console.HasKeyboard());
    EXPECT_EQ(console.ReadKey(), TFmtConsole::kNoKey);
    console.Write("text 100%s\n");
    char buffer[32] = {};
    EXPECT_EQ(read(pipeEnds[0], buffer, sizeof buffer), 11);
    EXPECT_STREQ(buffer, "text 100%s\n");
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

// A copy killed while it waits for a key leaves the terminal as it found it.
TEST(TerminalConsole, ASignalWhileWaitingPutsTheSettingsBack)
{
    PseudoTerminal pty;
    const tcflag_t before = pty.LocalFlags();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstallTerminalRestore();
        TTerminalConsole console(pty.slave, pty.slave);
        console.ReadKey();
        _exit(0);
    }
    EXPECT_TRUE(WaitUntil([&] { return (pty.LocalFlags() & ECHO) == 0; })) << "the key read never began";
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(pty.LocalFlags(), before);
}
