#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "localizer/LangConst.h"
#include "localizer/LanguageManager.h"
#include "localizer/MultiReadExclusiveWriteLock.h"
#include "tests/localizer/LangTestFiles.h"
#include "tests/support/WaitUntil.h"

namespace {

TEST(LangLockTest, ReadsNestAndTheWriterMayReadAndWriteAgain)
{
    TMultiReadExclusiveWriteLock lock;
    {
        TReadLock outer(lock);
        TReadLock inner(lock);
    }
    {
        TWriteLock write(lock);
        TReadLock read(lock);
        TWriteLock again(lock);
    }
    {
        // A lone reader may become the writer.
        TReadLock read(lock);
        TWriteLock write(lock);
    }
    TWriteLock free(lock);
}

TEST(LangLockTest, AWriterWaitsForOtherReadersAndHoldsBackNewOnes)
{
    TMultiReadExclusiveWriteLock lock;
    std::atomic<bool> written{false};
    std::atomic<bool> readAfterWrite{false};
    lock.BeginRead();
    std::thread writer([&] {
        TWriteLock write(lock);
        written = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return lock.BlockedThreads() == 1; })) << "the writer waits";
    EXPECT_FALSE(written);
    std::thread reader([&] {
        TReadLock read(lock);
        readAfterWrite = written.load();
    });
    // Only a reader holds the lock, yet the new reader waits behind the writer.
    EXPECT_TRUE(WaitUntil([&] { return lock.BlockedThreads() == 2; })) << "the reader is held back";
    lock.EndRead();
    writer.join();
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_TRUE(readAfterWrite);
}

TEST(LangLockTest, TwoReadersWaitingToWriteAreRefused)
{
    TMultiReadExclusiveWriteLock lock;
    std::atomic<bool> otherReading{false};
    std::atomic<bool> otherWrote{false};
    lock.BeginRead();
    std::thread other([&] {
        TReadLock read(lock);
        otherReading = true;
        // Waits until this test's thread stops reading.
        TWriteLock write(lock);
        otherWrote = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return otherReading && lock.BlockedThreads() == 1; })) << "the other waits to write";
    EXPECT_THROW(lock.BeginWrite(), std::logic_error);
    EXPECT_FALSE(otherWrote);
    lock.EndRead();
    other.join();
    EXPECT_TRUE(otherWrote);
}

// Job threads look constants up while the GUI thread switches languages.
TEST(LangLockTest, LookupsFromSeveralThreadsDuringSwitches)
{
    TempDir dir;
    WriteLangFile(dir, "de", "LANGID=1031\n[$CONSTANTS]\nCantOpenStr=Kann nicht oeffnen\nErrorStr=Fehler\n");
    WriteLangFile(dir, "ru", "LANGID=1049\n[$CONSTANTS]\nCantOpenStr=Russian can't open\n");
    ResetLangManager();
    TLanguageManager& manager = LangManager();
    manager.ScanLangFolder(QString::fromStdString(dir.Path().string()), "Trellavox_*.lng", false);

    const std::vector<QString> allowed = {"Can't open", "Kann nicht oeffnen", "Russian can't open"};
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::atomic<long> lookups{0};
    std::atomic<int> started{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            ++started;
            while (!stop) {
                const QString text = LangConst("CantOpenStr");
                if (std::find(allowed.begin(), allowed.end(), text) == allowed.end())
                    ++bad;
                if (LangConst("ErrorStr").isEmpty() || LangConst("NoSuchName") != "NoSuchName")
                    ++bad;
                manager.GetActiveLangID();
                ++lookups;
            }
        });
    }
    // The switches start once every reader is looking up, and go on until
    // lookups fell among them; a slow start of the threads under load must
    // not leave the switches alone. The last one is back to 1033.
    EXPECT_TRUE(WaitUntil([&] { return started == 4 && lookups > 0; })) << "the readers started";
    const quint16 ids[] = {1031, 1049, 1033};
    const long before = lookups;
    for (int round = 0; round < 300 || lookups == before || round % 3 != 0; ++round)
        manager.SetActiveLangID(ids[round % 3]);
    stop = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(bad, 0);
    EXPECT_GT(lookups, 0);
    EXPECT_EQ(manager.GetActiveLangID(), 1033);
    EXPECT_EQ(LangConst("CantOpenStr"), "Can't open");
    ResetLangManager();
}

} // namespace
