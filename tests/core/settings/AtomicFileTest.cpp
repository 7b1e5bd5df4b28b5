// The atomic replace of a settings file, and the permission bits of new
// and replacing files.
#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "core/recorder/ProcessState.h"
#include "core/settings/AtomicFile.h"
#include "core/settings/FileCalls.h"
#include "core/settings/StagedFile.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

namespace {

std::atomic<int> UmaskCalls{0};

}  // namespace

// Every umask call of this program comes here: setting the umask, even
// only to read it, changes it for every thread.
extern "C" mode_t umask(mode_t mask) noexcept
{
    ++UmaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The umask as the kernel has it, read without touching it.
mode_t CurrentUmask()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    mode_t mask = 07777;
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "Umask:", 6) == 0)
            mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
    }
    if (status != nullptr)
        std::fclose(status);
    return mask;
}

}  // namespace

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessState();
        m_umask = ::umask(022);
    }
    void TearDown() override
    {
        ::umask(m_umask);
        ResetProcessState();
    }
    QString Path(const std::string& name) const { return QString::fromStdString(m_dir.File(name)); }
    // The temporary files too.
    std::size_t FileCount() const
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(m_dir.Path()), std::filesystem::directory_iterator()));
    }

    TempDir m_dir;
    mode_t m_umask = 022;
};

// A new file gets what the umask leaves of 0666, written atomically or
// staged (unnamed or hidden); a replaced file keeps its own bits.
TEST_F(AtomicFileTest, TheModeOfANewFileFollowsTheUmask)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}, mode_t{027}}) {
        SCOPED_TRACE(mask);
        ::umask(mask);
        const std::string tag = std::to_string(mask);
        ASSERT_TRUE(WriteFileAtomically(Path("new" + tag + ".ini"), "a"));
        EXPECT_EQ(ModeOf(m_dir.File("new" + tag + ".ini")), 0666 & ~mask);
        for (const bool unnamed : {true, false}) {
            if (!unnamed)
                FailEveryFileCall(TFileCall::UnnamedOpen, EOPNOTSUPP);
            const std::string name = "staged" + tag + (unnamed ? "u" : "h") + ".wav";
            TStagedFile file(Path(name));
            file.Create();
            file.Write("a", 1);
            file.Publish();
            EXPECT_EQ(ModeOf(m_dir.File(name)), 0666 & ~mask) << name;
            ResetFileCallFaults();
        }

        WriteFile(m_dir.File("old.ini"), "old");
        ASSERT_EQ(::chmod(m_dir.File("old.ini").c_str(), 0604), 0);
        ASSERT_TRUE(WriteFileAtomically(Path("old.ini"), "b"));
        EXPECT_EQ(ModeOf(m_dir.File("old.ini")), 0604);
    }
}

// Reading the umask never sets it, so a file that another thread makes
// meanwhile (a download runs in a job thread) gets its proper bits.
TEST_F(AtomicFileTest, TheUmaskIsReadWithoutSettingIt)
{
    ::umask(027);
    UmaskCalls = 0;
    EXPECT_EQ(ReplacementFileMode(QFile::encodeName(Path("none.ini"))), mode_t{0640});
    ASSERT_TRUE(WriteFileAtomically(Path("a.ini"), "a"));
    TStagedFile file(Path("b.wav"));
    file.Create();
    file.Publish();
    EXPECT_EQ(UmaskCalls.load(), 0);
    EXPECT_EQ(CurrentUmask(), mode_t{027});
}

// Every step counts: a failed write, sync or rename keeps the old file
// whole and leaves no temporary file; a failed sync of the folder after the
// rename answers false with the new file in place. errno tells why.
TEST_F(AtomicFileTest, EveryStepOfTheReplaceCounts)
{
    struct Case {
        const char* name;
        TFileCall call;
        int nth;
        int error;
        const char* after;
    };
    const Case cases[] = {
        {"a write", TFileCall::Write, 1, ENOSPC, "old"},
        {"the file's sync", TFileCall::Sync, 1, EIO, "old"},
        {"the rename", TFileCall::Rename, 1, EACCES, "old"},
        {"the folder's sync", TFileCall::Sync, 2, EIO, "new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(m_dir.File("a.ini"), "old");
        FailFileCall(c.call, c.nth, c.error);
        errno = 0;
        EXPECT_FALSE(WriteFileAtomically(Path("a.ini"), "new"));
        EXPECT_EQ(errno, c.error);
        ResetFileCallFaults();
        EXPECT_EQ(ReadAll(m_dir.File("a.ini")), c.after);
        EXPECT_EQ(FileCount(), 1u);
    }
    EXPECT_TRUE(WriteFileAtomically(Path("a.ini"), "new"));
}
