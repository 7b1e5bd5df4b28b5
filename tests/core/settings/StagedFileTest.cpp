// A file under a temporary name until it is whole, and the read-back check.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "core/recorder/ProcessState.h"
#include "core/settings/FileCalls.h"
#include "core/settings/FileUtils.h"
#include "core/settings/StagedFile.h"
#include "tests/support/FileText.h"
#include "tests/support/KilledChild.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

// The hidden name a staged file has while it may still become name.
bool IsHiddenNameOf(const std::string& entry, const std::string& name)
{
    std::string escaped;
    for (const char c : name)
        escaped += std::string(c == '.' ? "\\" : "") + c;
    return std::regex_match(entry, std::regex("\\." + escaped + "\\.[A-Za-z0-9]{6}\\.part"));
}

std::string ReasonOf(int error)
{
    return GetSystemErrorText(error).toStdString();
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
    std::vector<std::string> Names() const { return NamesIn(m_dir.Path()); }
    static std::vector<std::string> NamesIn(const std::filesystem::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    QString Path(const std::string& name) const { return QString::fromStdString(m_dir.File(name)); }

    TempDir m_dir;
};

// Each case on a file system with unnamed files (O_TMPFILE) and on one
// without them, where the file is hidden and locked instead.
class StagedFileModeTest : public StagedFileTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        StagedFileTest::SetUp();
        if (!Unnamed())
            FailEveryFileCall(TFileCall::UnnamedOpen, EOPNOTSUPP);
    }
    static bool Unnamed() { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Modes, StagedFileModeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Unnamed" : "HiddenFallback"; });

TEST_P(StagedFileModeTest, TheFileHasItsNameOnlyOncePublishedWithThePatchedBytesAndTheirCrc)
{
    TStagedFile file(Path("a.wav"));
    file.Create();
    EXPECT_EQ(file.IsUnnamed(), Unnamed());
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
    // No name at all, or only the hidden one.
    const std::vector<std::string> whileWriting = Names();
    if (Unnamed()) {
        EXPECT_TRUE(whileWriting.empty());
    } else {
        ASSERT_EQ(whileWriting.size(), 1u);
        EXPECT_TRUE(IsHiddenNameOf(whileWriting[0], "a.wav")) << whileWriting[0];
    }

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

// Between the link and the rename even an unnamed file has a name: the
// hidden one, in the target folder, and locked.
TEST_P(StagedFileModeTest, TheTemporaryNameIsHiddenAndBesideTheFinalOne)
{
    TStagedFile file(Path("rec 7.wav"));
    file.Create();
    file.Write("abc", 3);
    file.Link();
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsHiddenNameOf(names[0], "rec 7.wav")) << names[0];
    EXPECT_EQ(file.TemporaryPath(), Path(names[0]));
    // Held by its writer, the hidden name is no leftover for another write.
    TStagedFile other(Path("other.wav"));
    other.Create();
    other.Discard();
    file.Publish();
    EXPECT_EQ(Names(), std::vector<std::string>{"rec 7.wav"});
}

// Whatever fails (a write, the file's sync, the size found on the disk, the
// link, the rename), the failure names the file and the reason, nothing of
// the new file stays and the old file is whole.
TEST_P(StagedFileModeTest, AFailureRemovesTheNewFileAndLeavesTheOldFileWhole)
{
    struct Case {
        const char* name;
        TFileCall call;  // the call that fails the first time
        int error;
        bool truncated;  // the file on the disk is shorter than written
    };
    const Case cases[] = {
        {"a write", TFileCall::Write, ENOSPC, false},        {"the file's sync", TFileCall::Sync, EIO, false},
        {"the size on the disk", TFileCall::Write, 0, true}, {"the link", TFileCall::Link, EDQUOT, false},
        {"the rename", TFileCall::Rename, EACCES, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A hidden file has its name from the start: no link.
        if (c.call == TFileCall::Link && !Unnamed())
            continue;
        WriteFile(m_dir.File("a.raw"), "the old file");
        TStagedFile file(Path("a.raw"));
        file.Create();
        const std::vector<std::uint8_t> piece = Bytes(100000, 1);
        file.Write(piece.data(), piece.size());
        if (!c.truncated)
            FailFileCall(c.call, 1, c.error);
        try {
            file.Write(piece.data(), piece.size());
            if (c.truncated) {
                ASSERT_EQ(::ftruncate(file.Handle(), 1000), 0);
            }
            file.Publish();
            ADD_FAILURE() << "the publish should fail";
        } catch (const EFileWriteError& error) {
            EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Writing error\n"))) << error.what();
            EXPECT_TRUE(error.Text().contains(QStringLiteral("a.raw")));
            const std::string reason = c.truncated ? "1000 bytes on the disk, 200000 written" : ReasonOf(c.error);
            EXPECT_EQ(error.Reason().toStdString(), reason);
        }
        EXPECT_FALSE(file.IsPublished());
        EXPECT_EQ(Names(), std::vector<std::string>{"a.raw"});
        EXPECT_EQ(ReadAll(m_dir.File("a.raw")), "the old file");
        ResetFileCallFaults();
        if (!Unnamed())
            FailEveryFileCall(TFileCall::UnnamedOpen, EOPNOTSUPP);
    }
}

// The rename is done, but the folder's sync fails: the file has its name,
// and still the write failed, with its reason.
TEST_P(StagedFileModeTest, AFailedSyncOfTheFolderAfterTheRenameFailsThePublish)
{
    WriteFile(m_dir.File("a.raw"), "the old file");
    TStagedFile file(Path("a.raw"));
    file.Create();
    file.Write("new", 3);
    FailFileCall(TFileCall::Sync, 2, EIO);  // the file's sync passes
    try {
        file.Publish();
        FAIL() << "the folder's sync should fail the publish";
    } catch (const EFileWriteError& error) {
        EXPECT_EQ(error.Error(), EIO);
    }
    EXPECT_TRUE(file.IsPublished());
    EXPECT_EQ(Names(), std::vector<std::string>{"a.raw"});
    EXPECT_EQ(ReadAll(m_dir.File("a.raw")), "new");
}

TEST_P(StagedFileModeTest, AFileNeverPublishedLeavesNothing)
{
    {
        TStagedFile file(Path("b.wav"));
        file.Create();
        file.Write("abc", 3);
        file.Seal();
    }
    {
        TStagedFile file(Path("b.wav"));
        file.Create();
        file.Write("abc", 3);
        file.Link();
    }
    EXPECT_TRUE(Names().empty());
}

TEST_P(StagedFileModeTest, AFolderRemovedWhileWritingFailsThePublish)
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

// Three files named together over three old ones. Every file is linked
// before the first rename, so a failure before the renames (a link, a
// folder where a final name should go) keeps every old file; a rename that
// fails keeps the old files not yet replaced and removes the rest.
TEST_P(StagedFileModeTest, FilesNamedTogetherAreAllLinkedBeforeTheFirstRename)
{
    struct Case {
        const char* name;
        TFileCall call;
        int nth;
        int error;
        bool folderInTheWay;
        std::vector<std::string> replaced;  // the old files replaced
    };
    const Case cases[] = {
        {"all good", TFileCall::Write, 0, 0, false, {"p0", "p1", "p2"}},
        {"the last link", TFileCall::Link, 3, EDQUOT, false, {}},
        {"a folder of the last name", TFileCall::Write, 0, 0, true, {}},
        {"the second rename", TFileCall::Rename, 2, EACCES, false, {"p0"}},
    };
    const std::vector<std::string> names = {"p0", "p1", "p2"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.call == TFileCall::Link && !Unnamed())
            continue;
        std::filesystem::remove_all(m_dir.File("p2"));
        for (const std::string& name : names)
            WriteFile(m_dir.File(name), "old " + name);
        if (c.folderInTheWay) {
            std::filesystem::remove(m_dir.File("p2"));
            std::filesystem::create_directory(m_dir.File("p2"));
        }
        std::vector<std::unique_ptr<TStagedFile>> files;
        std::vector<TStagedFile*> parts;
        for (const std::string& name : names) {
            files.push_back(std::make_unique<TStagedFile>(Path(name)));
            files.back()->Create();
            const std::string bytes = "new " + name;
            files.back()->Write(bytes.data(), bytes.size());
            parts.push_back(files.back().get());
        }
        FailFileCall(c.call, c.nth, c.error);
        if (c.replaced.size() == names.size()) {
            const std::vector<TWrittenFile> written = PublishTogether(parts);
            ASSERT_EQ(written.size(), 3u);
            EXPECT_EQ(written[2].Path, Path("p2"));
        } else {
            EXPECT_THROW(PublishTogether(parts), EFileWriteError);
        }
        ResetFileCallFaults();
        if (!Unnamed())
            FailEveryFileCall(TFileCall::UnnamedOpen, EOPNOTSUPP);
        files.clear();
        EXPECT_EQ(Names(), names);
        for (const std::string& name : names) {
            if (c.folderInTheWay && name == "p2")
                continue;
            const bool replaced = std::find(c.replaced.begin(), c.replaced.end(), name) != c.replaced.end();
            EXPECT_EQ(ReadAll(m_dir.File(name)), (replaced ? "new " : "old ") + name) << name;
        }
    }
}

// A program killed while it writes: an unnamed file leaves nothing; a
// hidden one stays, and the next staged file made in that folder removes
// it, while one that a living writer still holds stays.
TEST_P(StagedFileModeTest, AKilledWriterLeavesNothingThatOutlivesTheNextWrite)
{
    WriteFile(m_dir.File("a.wav"), "the old file");
    const QString target = Path("a.wav");
    const auto writeUntilKilled = [&](const std::function<void()>& ready) {
        TStagedFile file(target);
        file.Create();
        const std::vector<std::uint8_t> piece = Bytes(300000, 5);
        file.Write(piece.data(), piece.size());
        ready();
    };
    {
        KilledChild killed(writeUntilKilled);
        ASSERT_TRUE(killed.WaitReady());
        EXPECT_TRUE(killed.Kill());
    }
    const auto publish = [&](const std::string& name) {
        TStagedFile file(Path(name));
        file.Create();
        file.Write("new", 3);
        file.Publish();
    };
    // The hidden names in the folder, and the others.
    const auto hidden = [&] {
        const std::vector<std::string> names = Names();
        return std::count_if(names.begin(), names.end(),
                             [](const std::string& n) { return IsHiddenNameOf(n, "a.wav"); });
    };
    const auto shown = [&] {
        std::vector<std::string> names = Names();
        std::erase_if(names, [](const std::string& n) { return n.starts_with('.'); });
        return names;
    };
    EXPECT_EQ(hidden(), Unnamed() ? 0 : 1) << "what the killed writer left";
    EXPECT_EQ(shown(), std::vector<std::string>{"a.wav"});
    publish("b.wav");
    EXPECT_EQ(hidden(), 0);
    EXPECT_EQ(shown(), (std::vector<std::string>{"a.wav", "b.wav"}));

    // A writer alive in another program keeps its file.
    KilledChild living(writeUntilKilled);
    ASSERT_TRUE(living.WaitReady());
    publish("c.wav");
    EXPECT_EQ(hidden(), Unnamed() ? 0 : 1) << "the living writer's file";
    ASSERT_TRUE(living.Kill());
    publish("d.wav");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav"}));
    EXPECT_EQ(ReadAll(m_dir.File("a.wav")), "the old file");
}

// Every sealed part of a split download keeps its descriptor until the
// parts are named: more of them than the soft limit of open files allows
// still get made.
TEST_P(StagedFileModeTest, FilesWaitingForTheirNamesPassTheSoftLimitOfOpenFiles)
{
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int open = static_cast<int>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
    if (saved.rlim_max < static_cast<rlim_t>(open + 64))
        GTEST_SKIP() << "the hard limit of open files leaves no room";
    struct TRestore {
        struct rlimit Limit;
        ~TRestore() { ::setrlimit(RLIMIT_NOFILE, &Limit); }
    } restore{saved};
    struct rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(open + 16);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<std::unique_ptr<TStagedFile>> files;
    std::vector<TStagedFile*> parts;
    for (int i = 0; i < 32; ++i) {
        files.push_back(std::make_unique<TStagedFile>(Path("p" + std::to_string(i))));
        files.back()->Create();
        files.back()->Write("a", 1);
        files.back()->Seal();
        parts.push_back(files.back().get());
    }
    EXPECT_EQ(PublishTogether(parts).size(), 32u);
    EXPECT_EQ(Names().size(), 32u);
}

// Only our own hidden names are cleared, and only regular files: a user's
// files of other names, a folder or a link of our form stay.
TEST_F(StagedFileTest, TheClearingTakesOnlyRegularFilesOfTheHiddenForm)
{
    const std::vector<std::string> ours = {".a.wav.Ab12xZ.part", ".x.000000.part"};
    const std::vector<std::string> theirs = {"a.wav.Ab12xZ.part",  ".a.wav.Ab12x.part", ".a.wav.Ab12xZ.parts",
                                             ".a.wav.Ab-2xZ.part", ".Ab12xZ.part",      "notes.txt"};
    for (const std::string& name : ours)
        WriteFile(m_dir.File(name), "left");
    for (const std::string& name : theirs)
        WriteFile(m_dir.File(name), "keep");
    std::filesystem::create_directory(m_dir.File(".d.wav.Ab12xZ.part"));
    std::filesystem::create_symlink(m_dir.File("notes.txt"), m_dir.File(".l.wav.Ab12xZ.part"));

    TStagedFile file(Path("new.wav"));
    file.Create();
    file.Discard();
    std::vector<std::string> expected = theirs;
    expected.push_back(".d.wav.Ab12xZ.part");
    expected.push_back(".l.wav.Ab12xZ.part");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(ReadAll(m_dir.File("notes.txt")), "keep");
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
    // The read-back syncs the file, then its folder; either failing fails it.
    for (const int nth : {1, 2}) {
        FailFileCall(TFileCall::Sync, nth, EIO);
        const TFileCheck check = VerifyWrittenFile(written);
        EXPECT_EQ(check.Result, TResult::ReadFailed) << nth;
        EXPECT_EQ(check.Reason, GetSystemErrorText(EIO)) << nth;
        ResetFileCallFaults();
    }
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
