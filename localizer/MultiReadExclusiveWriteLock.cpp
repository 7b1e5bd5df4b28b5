#include "localizer/MultiReadExclusiveWriteLock.h"

#include <algorithm>
#include <stdexcept>

std::vector<std::pair<std::thread::id, int>>::iterator TMultiReadExclusiveWriteLock::FindReader(std::thread::id thread)
{
    return std::find_if(m_reads.begin(), m_reads.end(), [thread](const auto& entry) { return entry.first == thread; });
}

int TMultiReadExclusiveWriteLock::ReadsOf(std::thread::id thread) const
{
    const auto it =
        std::find_if(m_reads.begin(), m_reads.end(), [thread](const auto& entry) { return entry.first == thread; });
    return it == m_reads.end() ? 0 : it->second;
}

void TMultiReadExclusiveWriteLock::BeginRead()
{
    const auto self = std::this_thread::get_id();
    std::unique_lock guard(m_mutex);
    // A thread that already reads or writes goes on at once, or it would wait
    // for itself.
    if (m_writer != self && ReadsOf(self) == 0) {
        ++m_blocked;
        m_changed.wait(guard, [this] { return m_writeDepth == 0 && m_waitingWriters == 0; });
        --m_blocked;
    }
    const auto it = FindReader(self);
    if (it == m_reads.end())
        m_reads.emplace_back(self, 1);
    else
        ++it->second;
    ++m_totalReads;
}

void TMultiReadExclusiveWriteLock::EndRead()
{
    const auto self = std::this_thread::get_id();
    std::lock_guard guard(m_mutex);
    const auto it = FindReader(self);
    if (it == m_reads.end())
        return;
    if (--it->second == 0) {
        *it = m_reads.back();
        m_reads.pop_back();
    }
    --m_totalReads;
    m_changed.notify_all();
}

void TMultiReadExclusiveWriteLock::BeginWrite()
{
    const auto self = std::this_thread::get_id();
    std::unique_lock guard(m_mutex);
    if (m_writer == self) {
        ++m_writeDepth;
        return;
    }
    const int ownReads = ReadsOf(self);
    if (ownReads > 0 && m_waitingUpgrades > 0)
        throw std::logic_error("two readers wait to become the writer");
    ++m_waitingWriters;
    if (ownReads > 0)
        ++m_waitingUpgrades;
    ++m_blocked;
    m_changed.wait(guard, [this, self] { return m_writeDepth == 0 && m_totalReads - ReadsOf(self) == 0; });
    --m_blocked;
    --m_waitingWriters;
    if (ownReads > 0)
        --m_waitingUpgrades;
    m_writer = self;
    m_writeDepth = 1;
}

void TMultiReadExclusiveWriteLock::EndWrite()
{
    std::lock_guard guard(m_mutex);
    if (m_writer != std::this_thread::get_id() || m_writeDepth == 0)
        return;
    if (--m_writeDepth == 0) {
        m_writer = std::thread::id();
        m_changed.notify_all();
    }
}

int TMultiReadExclusiveWriteLock::BlockedThreads() const
{
    std::lock_guard guard(m_mutex);
    return m_blocked;
}
