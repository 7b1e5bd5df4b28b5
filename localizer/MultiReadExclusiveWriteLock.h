#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Many readers or one writer. Unlike std::shared_mutex, read sections nest,
// the writer may read and write again, and a reader may become the writer
// once the other readers have left. Waiting writers hold back new readers.
class TMultiReadExclusiveWriteLock {
public:
    void BeginRead();
    void EndRead();
    // Raises std::logic_error when two readers would wait on each other to
    // become the writer.
    void BeginWrite();
    void EndWrite();

    // Threads blocked in BeginRead or BeginWrite now (tests wait on it).
    int BlockedThreads() const;

private:
    int ReadsOf(std::thread::id thread) const;
    std::vector<std::pair<std::thread::id, int>>::iterator FindReader(std::thread::id thread);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // Read depth per reading thread: a few entries, kept without allocating
    // once the vector has grown.
    std::vector<std::pair<std::thread::id, int>> m_reads;
    int m_totalReads = 0;
    std::thread::id m_writer;
    int m_writeDepth = 0;
    int m_waitingWriters = 0;
    int m_waitingUpgrades = 0;
    int m_blocked = 0;
};

class TReadLock {
public:
    explicit TReadLock(TMultiReadExclusiveWriteLock& lock) : m_lock(lock) { m_lock.BeginRead(); }
    ~TReadLock() { m_lock.EndRead(); }
    TReadLock(const TReadLock&) = delete;
    TReadLock& operator=(const TReadLock&) = delete;

private:
    TMultiReadExclusiveWriteLock& m_lock;
};

class TWriteLock {
public:
    explicit TWriteLock(TMultiReadExclusiveWriteLock& lock) : m_lock(lock) { m_lock.BeginWrite(); }
    ~TWriteLock() { m_lock.EndWrite(); }
    TWriteLock(const TWriteLock&) = delete;
    TWriteLock& operator=(const TWriteLock&) = delete;

private:
    TMultiReadExclusiveWriteLock& m_lock;
};
