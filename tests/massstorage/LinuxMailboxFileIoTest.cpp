#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "massstorage/AlignedBuffer.h"
#include "massstorage/LinuxMailboxFileIo.h"
#include "tests/support/TempDir.h"

namespace {

// The open flags the kernel reports for a descriptor.
unsigned long OpenFlags(int fd)
{
    std::ifstream in("/proc/self/fdinfo/" + std::to_string(fd));
    std::string key;
    while (in >> key) {
        if (key == "flags:") {
            std::string octal;
            in >> octal;
            return std::stoul(octal, nullptr, 8);
        }
    }
    return 0;
}

class LinuxMailboxFileIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("service.dat");
        std::ofstream(path, std::ios::binary) << std::string(65536, '\0');
        handle = io.Open(path);
        if (handle < 0)
            GTEST_SKIP() << "unbuffered access is not available in " << dir.Path();
    }
    void TearDown() override { io.Close(handle); }

    TempDir dir;
    std::string path;
    TLinuxMailboxFileIo io;
    int handle = -1;
};

}  // namespace

TEST_F(LinuxMailboxFileIoTest, OpensUnbufferedWriteThroughAndExclusive)
{
    const unsigned long flags = OpenFlags(handle);
    EXPECT_EQ(flags & O_ACCMODE, static_cast<unsigned long>(O_RDWR));
    EXPECT_NE(flags & O_DIRECT, 0u);
    EXPECT_NE(flags & O_DSYNC, 0u);
    EXPECT_EQ(flags & (O_SYNC & ~O_DSYNC), 0u) << "O_DSYNC, not O_SYNC";

    EXPECT_EQ(io.Open(path), -1) << "a second open while the first holds the lock";
    io.Close(handle);
    handle = io.Open(path);
    EXPECT_GE(handle, 0);
}

TEST_F(LinuxMailboxFileIoTest, NeverCreatesTheFile)
{
    const std::string missing = dir.File("other.dat");
    EXPECT_EQ(io.Open(missing), -1);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(io.Open(dir.Path().string()), -1) << "a folder is no mailbox";
}

TEST_F(LinuxMailboxFileIoTest, WholeSectorTransfersAtOffsetZero)
{
    const std::uint32_t sector = io.SectorSize(handle);
    const std::size_t length = 4096;
    TAlignedBuffer out(length, 4096), in(length, 4096);
    for (std::size_t i = 0; i < length; ++i)
        out.Data()[i] = static_cast<std::uint8_t>(i * 13);
    ASSERT_EQ(io.WriteAt(handle, out.Data(), length, 0), static_cast<std::int64_t>(length));
    ASSERT_EQ(io.ReadAt(handle, in.Data(), length, 0), static_cast<std::int64_t>(length));
    EXPECT_TRUE(std::equal(out.Data(), out.Data() + length, in.Data()));
    if (sector > 1) {
        EXPECT_EQ(io.ReadAt(handle, in.Data() + 1, length, 0), -1) << "a misaligned buffer is refused";
    }
}

TEST_F(LinuxMailboxFileIoTest, SectorSizeIsTheBlockDevicesLogicalOne)
{
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    const std::uint32_t sector = io.SectorSize(handle);
    if (::major(st.st_dev) == 0) {
        EXPECT_EQ(sector, 0u) << "no block device behind the file";
        return;
    }
    EXPECT_EQ(sector, SysfsLogicalSectorSize(::major(st.st_dev), ::minor(st.st_dev)));
    EXPECT_GE(sector, 512u);
}

TEST_F(LinuxMailboxFileIoTest, LivenessFollowsThePathWithoutTouchingTheFile)
{
    EXPECT_TRUE(io.IsAlive(handle, path));
    // As after an unmount: the path no longer leads to the open file.
    const std::string moved = dir.File("moved.dat");
    ASSERT_EQ(std::rename(path.c_str(), moved.c_str()), 0);
    EXPECT_FALSE(io.IsAlive(handle, path));
    std::ofstream(path, std::ios::binary) << "x";
    EXPECT_FALSE(io.IsAlive(handle, path)) << "another file under the same name";
    EXPECT_TRUE(io.IsAlive(handle, moved));
}
