// A file under a temporary name until it is whole, and the read-back check.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "core/recorder/ProcessState.h"
#include "core/settings/StagedFile.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t CrcOf(const std::string& bytes)
{
    return static_cast<std::uint32_t>(
        ::crc32(::crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

}  // namespace

class StagedFileTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }

    // Names in the folder, the hidden temporary ones included.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    QString Path(const std::string& name) const { return QString::fromStdString(m_dir.File(name)); }

    TempDir m_dir;
};

TEST_F(StagedFileTest, TheFileHasItsNameOnlyOncePublishedWithThePatchedBytesAndTheirCrc)
{
    TStagedFile file(Path("a.wav"));
    file.Create();
    const std::vector<std::uint8_t> head(44, 0);
    file.Write(head.data(), head.size());
    const std::vector<std::uint8_t> body = Bytes(200000, 3);  // past the buffer
    file.Write(body.data(), body.size());
    const std::uint8_t small[3] = {1, 2, 3};
    file.Write(small, sizeof small);
    // Header fields written last, as a wave file patches its sizes.
    const std::uint8_t size[4] = {0x10, 0x20, 0x30, 0x40};
    file.Seek(4);
    file.Write(size, sizeof size);
    file.Seek(file.Size() - 1);
    file.Write(size, 2);  // one byte patched, one appended
    EXPECT_EQ(Names().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("a.wav")));

    const TWrittenFile written = file.Publish();
    EXPECT_EQ(Names(), std::vector<std::string>{"a.wav"});
    const std::string onDisk = ReadAll(m_dir.File("a.wav"));
    ASSERT_EQ(onDisk.size(), 44u + body.size() + 3 + 1);
    EXPECT_EQ(written.Size, onDisk.size());
    EXPECT_EQ(written.Path, Path("a.wav"));
    EXPECT_EQ(static_cast<std::uint8_t>(onDisk[4]), 0x10);
    EXPECT_EQ(static_cast<std::uint8_t>(onDisk[onDisk.size() - 2]), 0x10);
    EXPECT_EQ(written.Crc, CrcOf(onDisk));
    EXPECT_TRUE(VerifyWrittenFile(written).Good());
}

TEST_F(StagedFileTest, AFailedWriteRemovesTheTemporaryFileAndLeavesTheOldFileWhole)
{
    {
        std::ofstream old(m_dir.File("a.raw"), std::ios::binary);
        old << "the old file";
    }
    TStagedFile file(Path("a.raw"));
    file.Create();
    SetStagedFileWriteFault(2, ENOSPC);
    const std::vector<std::uint8_t> piece = Bytes(100000, 1);
    file.Write(piece.data(), piece.size());
    try {
        file.Write(piece.data(), piece.size());
        FAIL() << "the second write to the disk should fail";
    } catch (const EFileWriteError& error) {
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Writing error\n"))) << error.what();
        EXPECT_TRUE(error.Text().contains(QStringLiteral("a.raw")));
        EXPECT_TRUE(error.Text().contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << error.what();
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"a.raw"});
    EXPECT_EQ(ReadAll(m_dir.File("a.raw")), "the old file");
}

TEST_F(StagedFileTest, AFileNeverPublishedLeavesNothing)
{
    {
        TStagedFile file(Path("b.wav"));
        file.Create();
        file.Write("abc", 3);
        file.Seal();
    }
    EXPECT_TRUE(Names().empty());
}

TEST_F(StagedFileTest, AFolderRemovedWhileWritingFailsThePublish)
{
    const QString folder = Path("sub");
    ASSERT_TRUE(QDir().mkpath(folder));
    TStagedFile file(folder + QStringLiteral("/c.wav"));
    file.Create();
    file.Write("abc", 3);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_THROW(file.Publish(), EFileWriteError);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("sub")));
}

TEST_F(StagedFileTest, TheReadBackFindsEachKindOfDamage)
{
    TStagedFile file(Path("d.wav"));
    file.Create();
    const std::vector<std::uint8_t> body = Bytes(5000, 9);
    file.Write(body.data(), body.size());
    const TWrittenFile written = file.Publish();
    ASSERT_TRUE(VerifyWrittenFile(written).Good());

    using TResult = TFileCheck::TResult;
    {
        std::fstream flip(m_dir.File("d.wav"), std::ios::binary | std::ios::in | std::ios::out);
        flip.seekp(2500);
        flip.put(static_cast<char>(body[2500] ^ 1));
    }
    EXPECT_EQ(VerifyWrittenFile(written).Result, TResult::ChecksumDiffers);
    std::filesystem::resize_file(m_dir.File("d.wav"), 4000);
    EXPECT_EQ(VerifyWrittenFile(written).Result, TResult::SizeDiffers);
    std::filesystem::remove(m_dir.File("d.wav"));
    EXPECT_EQ(VerifyWrittenFile(written).Result, TResult::Missing);
}
