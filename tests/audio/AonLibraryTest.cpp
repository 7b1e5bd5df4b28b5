#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <QDir>

#include <filesystem>
#include <memory>
#include <string>

#include "audio/AonLibrary.h"
#include "audio/WaveFileInfo.h"
#include "core/settings/ProgramFolder.h"
#include "tests/support/FakeAonLibrary.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavBuilder.h"

namespace {

using Bytes = WavBuilder::Bytes;

const std::string kFakeDir = TRELLAVOX_FAKE_AON_DIR;
const std::string kIncompleteDir = TRELLAVOX_FAKE_AON_INCOMPLETE_DIR;
const std::string kFake = kFakeDir + "/libaon.so";

// The program folder is the fake library's, or an empty one.
class AonLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { SetProgramFolderOverride(QString()); }

    static void UseProgramFolder(const std::string& folder)
    {
        SetProgramFolderOverride(QString::fromStdString(folder));
    }

    QString Save(const Bytes& data, std::uint32_t rate = 11025)
    {
        WavBuilder().Fmt(WavBuilder::PcmFmt(1, rate, 16)).Data(data).Save(dir.File("call.wav"));
        return QString::fromStdString(dir.File("call.wav"));
    }

    TempDir dir;
};

bool SystemHasDecoder()
{
    void* handle = ::dlopen("libaon.so", RTLD_NOW | RTLD_LOCAL);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

}  // namespace

// AonInit once with the rate, AonProcess once per 16 KiB of data with 8192
// samples (the last block's tail silent, not left over from the block
// before), AonGetResult once.
TEST_F(AonLibraryTest, TheDecoderIsFedTheDataInBlocksOf8192Samples)
{
    UseProgramFolder(kFakeDir);
    FakeAonLibrary fake(kFake);
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{16384}, std::size_t{40000}}) {
        fake->Reset();
        fake->Result[0] = 1;
        const Bytes data = WavBuilder::Counting(size);
        const QString path = Save(data);
        TAonLibrary library;
        ASSERT_NE(library.Functions(), nullptr);
        const QString text = BuildWaveFileInfo(path, library.Functions()).Text;

        const std::size_t blocks = (size + 16383) / 16384;
        std::vector<std::string> calls{"Init"};
        calls.insert(calls.end(), blocks, "Process");
        calls.push_back("GetResult");
        EXPECT_EQ(fake->Calls, calls) << size;
        EXPECT_EQ(fake->InitRates, std::vector<std::uint32_t>{11025}) << size;
        EXPECT_EQ(fake->ProcessCounts, std::vector<std::uint32_t>(blocks, 8192)) << size;
        Bytes fed;
        for (const std::vector<std::int16_t>& block : fake->Blocks) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
            fed.insert(fed.end(), bytes, bytes + 2 * block.size());
        }
        Bytes expected = data;
        expected.resize(blocks * 16384, 0);
        EXPECT_EQ(fed, expected) << size;
        EXPECT_TRUE(text.startsWith(QStringLiteral("File info:\r\n    Data size: %1\r\n").arg(size))) << size;
        EXPECT_TRUE(text.endsWith(QStringLiteral("no additional info.\r\n\r\n\nInput call\n"))) << size;
    }
}

// A result the library fills only in part: the rest reads as zeros.
TEST_F(AonLibraryTest, TheScriptedResultEndsTheText)
{
    UseProgramFolder(kFakeDir);
    FakeAonLibrary fake(kFake);
    const std::uint16_t words[] = {2, 3, 6, 1, 5, 5, 1, 1, 3, 4, 2, 0xEEEE};
    std::copy(std::begin(words), std::end(words), fake->Result.begin());
    fake->WrittenWords = 11;
    TAonLibrary library;
    const QString text = BuildWaveFileInfo(Save(WavBuilder::Counting(100)), library.Functions()).Text;
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n\nOutput call\nDTMF number: 55\nCaller ID\n"
                                             "Name parameter: Date and time: 3\n420\n")))
        << text.toStdString();
}

// Without the library, or with one that lacks an entry point, only the call
// text goes; nothing is called in a library that is incomplete.
TEST_F(AonLibraryTest, AMissingLibraryOrEntryPointDropsOnlyTheCallText)
{
    if (SystemHasDecoder())
        GTEST_SKIP() << "a caller-ID library is installed on this machine";
    const QString path = Save(WavBuilder::Counting(30000));
    const QString withoutDecoder = BuildWaveFileInfo(path, nullptr).Text;
    {
        UseProgramFolder(kFakeDir);
        FakeAonLibrary fake(kFake);
        fake->Result[0] = 1;
        TAonLibrary library;
        EXPECT_EQ(BuildWaveFileInfo(path, library.Functions()).Text, withoutDecoder + QStringLiteral("Input call\n"));
    }

    UseProgramFolder(dir.Path().string());
    EXPECT_EQ(TAonLibrary().Functions(), nullptr);

    UseProgramFolder(kIncompleteDir);
    FakeAonLibrary incomplete(kIncompleteDir + "/libaon.so");
    {
        TAonLibrary library;
        EXPECT_EQ(library.Functions(), nullptr);
        EXPECT_EQ(BuildWaveFileInfo(path, library.Functions()).Text, withoutDecoder);
    }
    EXPECT_TRUE(incomplete->Calls.empty());
}

// Loaded for one use; a library in the current folder is not taken.
TEST_F(AonLibraryTest, TheLibraryIsUnloadedAfterUseAndNeverTakenFromTheCurrentFolder)
{
    if (SystemHasDecoder())
        GTEST_SKIP() << "a caller-ID library is installed on this machine";
    UseProgramFolder(kFakeDir);
    {
        TAonLibrary library;
        ASSERT_NE(library.Functions(), nullptr);
        void* loaded = ::dlopen(kFake.c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(loaded, nullptr);
        ::dlclose(loaded);
    }
    EXPECT_EQ(::dlopen(kFake.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);

    UseProgramFolder(dir.Path().string());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(kFakeDir);
    const bool loaded = TAonLibrary().Functions() != nullptr;
    std::filesystem::current_path(previous);
    EXPECT_FALSE(loaded);
}
