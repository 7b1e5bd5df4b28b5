#pragma once

#include <cerrno>
#include <csignal>
#include <functional>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// A forked child killed (SIGKILL) at the point its work chooses: the work
// calls ready() there, which tells the parent through a pipe and then holds
// the child (the calling thread) until the kill. No sleeps: the parent
// waits on the pipe.
class KilledChild {
public:
    using Work = std::function<void(const std::function<void()>& ready)>;

    explicit KilledChild(const Work& work)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            const int signal = fds[1];
            work([signal] {
                const char byte = 1;
                while (::write(signal, &byte, 1) < 0 && errno == EINTR) {
                }
                for (;;)
                    ::pause();
            });
            ::_exit(2);  // the work ended before its point: the parent sees EOF
        }
        ::close(fds[1]);
        m_pipe = fds[0];
    }
    ~KilledChild()
    {
        Kill();
        if (m_pipe >= 0)
            ::close(m_pipe);
    }
    KilledChild(const KilledChild&) = delete;
    KilledChild& operator=(const KilledChild&) = delete;

    // True once the child reached its point; false when it ended before.
    bool WaitReady()
    {
        if (m_pid <= 0 || m_pipe < 0)
            return false;
        // A child that hangs before its point fails the test, not the run.
        pollfd wait{m_pipe, POLLIN, 0};
        int polled = 0;
        while ((polled = ::poll(&wait, 1, kReadyTimeoutMs)) < 0 && errno == EINTR) {
        }
        if (polled != 1)
            return false;
        char byte = 0;
        ssize_t n = 0;
        while ((n = ::read(m_pipe, &byte, 1)) < 0 && errno == EINTR) {
        }
        return n == 1;
    }
    // Kills the child and reaps it; true when SIGKILL ended it.
    bool Kill()
    {
        if (m_pid <= 0)
            return false;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    static constexpr int kReadyTimeoutMs = 120000;

    pid_t m_pid = -1;
    int m_pipe = -1;
};
