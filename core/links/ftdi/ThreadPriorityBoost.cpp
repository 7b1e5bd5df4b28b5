#include "core/links/ftdi/ThreadPriorityBoost.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace {

// On Linux a thread's nice value is set through its thread id; a lower
// value is a higher priority.
bool GetThreadNice(int& nice)
{
    errno = 0;
    const int value = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    if (value == -1 && errno != 0)
        return false;
    nice = value;
    return true;
}

bool SetThreadNice(int nice)
{
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0;
}

} // namespace

ThreadPriorityBoost::Api ThreadPriorityBoost::SystemApi()
{
    return {GetThreadNice, SetThreadNice};
}

ThreadPriorityBoost::ThreadPriorityBoost(Api api) : m_api(api)
{
    if (m_api.Get(m_previous))
        m_raised = m_api.Set(m_previous - 1);
}

ThreadPriorityBoost::~ThreadPriorityBoost()
{
    Restore();
}

void ThreadPriorityBoost::Restore()
{
    if (!m_raised)
        return;
    m_raised = false;
    m_api.Set(m_previous);
}
