#include "platform/PositionalIo.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

class PositionalIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fd = ::mkstemp(m_path.data());
        ASSERT_GE(m_fd, 0);
    }
    void TearDown() override
    {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }

    std::string m_path = ::testing::TempDir() + "positional-io-XXXXXX";
    int m_fd = -1;
};

TEST_F(PositionalIoTest, WritesAndReadsAtOffsetsWithoutMovingThePosition)
{
    const std::array<char, 4> data{'a', 'b', 'c', 'd'};
    ASSERT_TRUE(WriteFullyAt(m_fd, data.data(), data.size(), 10));
    EXPECT_EQ(::lseek(m_fd, 0, SEEK_CUR), 0);

    std::array<char, 4> back{};
    EXPECT_EQ(ReadFullyAt(m_fd, back.data(), back.size(), 10), 4u);
    EXPECT_EQ(back, data);
    // The gap before the offset reads as zeros.
    char gap = 'x';
    EXPECT_EQ(ReadFullyAt(m_fd, &gap, 1, 0), 1u);
    EXPECT_EQ(gap, '\0');
}

TEST_F(PositionalIoTest, ReadsPastTheEndStopThereAndErrorsAreTold)
{
    const char byte = 'z';
    ASSERT_TRUE(WriteFullyAt(m_fd, &byte, 1, 0));
    std::array<char, 8> back{};
    errno = EIO;
    EXPECT_EQ(ReadFullyAt(m_fd, back.data(), back.size(), 0), 1u);
    EXPECT_EQ(errno, 0) << "the end of the file is no error";

    const int readOnly = ::open(m_path.c_str(), O_RDONLY);
    ASSERT_GE(readOnly, 0);
    EXPECT_FALSE(WriteFullyAt(readOnly, &byte, 1, 0));
    EXPECT_EQ(errno, EBADF);
    ::close(readOnly);
    EXPECT_EQ(ReadFullyAt(-1, back.data(), back.size(), 0), 0u);
    EXPECT_EQ(errno, EBADF);
}

}  // namespace
