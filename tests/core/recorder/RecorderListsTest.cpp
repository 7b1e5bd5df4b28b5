#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "core/flash/BlockList.h"
#include "core/flash/DriveFileList.h"
#include "core/flash/SoundFileList.h"
#include "core/flash/SoundPageList.h"

namespace {

int g_freed = 0;

struct CountedSoundFile : TSoundFileInfo {
    explicit CountedSoundFile(std::uint16_t number) { Number = number; }
    ~CountedSoundFile() override { ++g_freed; }
};

std::unique_ptr<TDriveFileInfo> DriveFile(std::uint16_t number, const char* name)
{
    auto info = std::make_unique<TDriveFileInfo>();
    info->Number = number;
    info->Name = QString::fromUtf8(name);
    return info;
}

}  // namespace

TEST(RecorderListsTest, SoundFilesFindByNumberAndFreeTheirItems)
{
    g_freed = 0;
    {
        TSoundFileList list;
        list.Add(std::make_unique<CountedSoundFile>(7));
        list.Add(std::make_unique<CountedSoundFile>(3));
        list.Add(std::make_unique<CountedSoundFile>(7));
        EXPECT_EQ(list.IndexOfNumber(7), 0);  // the first wins
        EXPECT_EQ(list.IndexOfNumber(3), 1);
        EXPECT_EQ(list.IndexOfNumber(9), -1);
        list.Clear();
        EXPECT_EQ(g_freed, 3);
        EXPECT_EQ(list.Count(), 0);
        list.Add(std::make_unique<CountedSoundFile>(1));
    }
    EXPECT_EQ(g_freed, 4);  // the list frees what it still holds
}

TEST(RecorderListsTest, IndexOutsideTheListIsTheListIndexError)
{
    TBlockList blocks;
    blocks.Add(std::make_unique<TBlockRecord>());
    EXPECT_EQ(blocks.Item(0)->Block, 0);
    try {
        blocks.Item(1);
        FAIL() << "no error";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(blocks.Item(-1), std::out_of_range);

    TSoundPageList pages;
    EXPECT_THROW(pages.Item(0), std::out_of_range);
}

TEST(RecorderListsTest, DriveFilesFindByNumberAndByExactName)
{
    TDriveFileList list;
    list.Add(DriveFile(5, "Notes.txt"));
    list.Add(DriveFile(0x1234, "dir\\Notes.txt"));
    const TCustomDriveFileList& base = list;
    EXPECT_EQ(base.IndexOfName(QStringLiteral("Notes.txt")), 0);
    EXPECT_EQ(base.IndexOfName(QStringLiteral("dir\\Notes.txt")), 1);
    EXPECT_EQ(base.IndexOfName(QStringLiteral("notes.txt")), -1);  // case-sensitive
    EXPECT_EQ(list.IndexOfNumber(0x1234), 1);
    EXPECT_EQ(list.IndexOfNumber(6), -1);
}

TEST(RecorderListsTest, VoicePartPagesAreARangeOfTheRecordings)
{
    TSoundPageList recording;
    for (std::uint32_t page = 40; page < 44; ++page) {
        TSoundPage entry;
        entry.Page = page;
        recording.Add(entry);
    }
    TSoundPageList voicePart;
    voicePart.SetRange(recording, 1, 2);
    EXPECT_EQ(voicePart.Count(), 2);
    EXPECT_EQ(voicePart.Item(0), recording.Item(1));  // the same entry, not a copy
    EXPECT_EQ(voicePart.Last().Page, 42u);
    EXPECT_THROW(voicePart.Item(2), std::out_of_range);
    EXPECT_THROW(voicePart.Add(TSoundPage{}), std::logic_error);
    EXPECT_THROW(voicePart.SetRange(recording, 3, 2), std::out_of_range);
    voicePart.Clear();
    EXPECT_EQ(recording.Item(1)->Page, 41u);
}
