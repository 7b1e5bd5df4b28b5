#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "app/lists/RecordList.h"
#include "core/flash/SoundFileList.h"

namespace {

SYSTEMTIME Day(int day, int hour = 12)
{
    SYSTEMTIME t;
    t.wYear = 2024;
    t.wMonth = 5;
    t.wDay = static_cast<std::uint16_t>(day);
    t.wHour = static_cast<std::uint16_t>(hour);
    return t;
}

// Four recordings; 1 and 2 have voice parts whose own values would sort
// them elsewhere. Sizes of 2 GiB and more need all 64 bits.
class RecordListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Recording(1, 3ll << 30, Day(3), 100, {{2, Day(9)}, {1, Day(8)}});
        Recording(2, 5ll << 30, Day(1), 50, {{1, Day(9)}});
        Recording(3, 10, Day(2), 100, {});
        Recording(4, 2ll << 30, Day(4), 10, {});
    }

    struct PartSpec {
        std::uint16_t number;
        SYSTEMTIME start;
    };

    void Recording(std::uint16_t number, std::int64_t size, SYSTEMTIME start, std::uint32_t length,
                   std::vector<PartSpec> parts)
    {
        auto recording = std::make_unique<TSoundFileInfo>();
        recording->Number = number;
        recording->NumberText = QString::number(number);
        recording->Size = size;
        recording->StartTime = start;
        recording->Length = length;
        recording->Status = 0x55;
        recording->VoiceParts = std::make_unique<TSoundFileList>();
        for (const PartSpec& spec : parts) {
            auto part = std::make_unique<TSoundFileInfo>();
            part->Number = spec.number;
            part->NumberText = QStringLiteral("%1.%2").arg(number).arg(spec.number);
            part->Size = 1ll << (40 - spec.number);  // larger than any recording
            part->StartTime = spec.start;
            part->Length = 1000u * spec.number;
            part->Parent = recording.get();
            recording->VoiceParts->Add(std::move(part));
        }
        recordings.Add(std::move(recording));
    }

    static QStringList Texts(const TRecordList& list)
    {
        QStringList texts;
        for (int i = 0; i < list.Count(); ++i)
            texts << list.Items(i)->NumberText;
        return texts;
    }

    TSoundFileList recordings;
};

}  // namespace

TEST_F(RecordListTest, OrderByKeyAndDirectionKeepsPartsBehindTheirRecording)
{
    struct Case {
        int key;
        bool ascending;
        QStringList expected;
    };
    const Case cases[] = {
        {TRecordList::SortNone, true, {"1", "1.1", "1.2", "2", "2.1", "3", "4"}},
        {TRecordList::SortNumber, true, {"1", "1.1", "1.2", "2", "2.1", "3", "4"}},
        {TRecordList::SortNumber, false, {"4", "3", "2", "2.1", "1", "1.1", "1.2"}},
        {TRecordList::SortSize, true, {"3", "4", "1", "1.1", "1.2", "2", "2.1"}},
        {TRecordList::SortSize, false, {"2", "2.1", "1", "1.1", "1.2", "4", "3"}},
        {TRecordList::SortTime, true, {"2", "2.1", "3", "1", "1.1", "1.2", "4"}},
        {TRecordList::SortTime, false, {"4", "1", "1.1", "1.2", "3", "2", "2.1"}},
        // Equal lengths of 1 and 3 fall back to the number, in the direction.
        {TRecordList::SortLength, true, {"4", "2", "2.1", "1", "1.1", "1.2", "3"}},
        {TRecordList::SortLength, false, {"3", "1", "1.1", "1.2", "2", "2.1", "4"}},
    };
    for (const Case& c : cases) {
        TRecordList list;
        list.SetSortOrder(c.key, c.ascending);
        FillRecordList(list, &recordings, true);
        EXPECT_EQ(Texts(list), c.expected) << "key " << c.key << (c.ascending ? " up" : " down");

        // An antisymmetric order over every pair, parts included.
        for (int i = 0; i < list.Count(); ++i)
            for (int j = 0; j < list.Count(); ++j) {
                const int ab = list.Compare(*list.Items(i), *list.Items(j));
                const int ba = list.Compare(*list.Items(j), *list.Items(i));
                EXPECT_EQ((ab > 0) - (ab < 0), -((ba > 0) - (ba < 0))) << i << " " << j;
                EXPECT_EQ(ab == 0, i == j) << i << " " << j;
            }
    }
}

TEST_F(RecordListTest, SortKeyAndDirectionChanges)
{
    TRecordList list;
    FillRecordList(list, &recordings, false);
    EXPECT_EQ(Texts(list), (QStringList{"1", "2", "3", "4"}));
    list.SetSortKey(TRecordList::SortSize);
    EXPECT_EQ(Texts(list), (QStringList{"3", "4", "1", "2"}));
    list.SetAscending(false);
    EXPECT_EQ(Texts(list), (QStringList{"2", "1", "4", "3"}));
    // A new key sorts ascending again.
    list.SetSortKey(TRecordList::SortTime);
    EXPECT_TRUE(list.Ascending());
    EXPECT_EQ(Texts(list), (QStringList{"2", "3", "1", "4"}));
    // Key 0 leaves the order as it is.
    list.SetAscending(false);
    list.SetSortKey(TRecordList::SortNone);
    EXPECT_EQ(Texts(list), (QStringList{"4", "1", "3", "2"}));
}

TEST_F(RecordListTest, FillCopiesRecordingsAndWithTheOptionTheirParts)
{
    TRecordList list;
    FillRecordList(list, &recordings, false);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Items(0)->ShowParts, 0);

    FillRecordList(list, &recordings, true);
    ASSERT_EQ(list.Count(), 7);
    const TRecords::TRecordItem& recording = *list.Items(0);
    const TRecords::TRecordItem& part = *list.Items(2);
    EXPECT_EQ(recording.ShowParts, 1);
    EXPECT_EQ(part.ShowParts, 0);
    EXPECT_FALSE(recording.IsVoicePart());
    EXPECT_EQ(recording.VoicePartCount, 2);
    // Rows hold values only: nothing points into the recorder's lists.
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Items(i)->Parent, nullptr);
        EXPECT_EQ(list.Items(i)->VoiceParts, nullptr);
    }
    EXPECT_TRUE(part.IsVoicePart());
    EXPECT_EQ(part.Recording.Size, 3ll << 30);  // its recording's sort fields
    EXPECT_EQ(part.Number, 2);
    EXPECT_EQ(part.RecordNumber, 1);  // the recording it belongs to
    EXPECT_EQ(recording.RecordNumber, 1);

    FillRecordList(list, nullptr, true);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(RecordListTest, AssignCopiesEveryFieldAndKeepsShowParts)
{
    TSoundFileInfo source;
    source.Number = 7;
    source.NumberText = QStringLiteral("7");
    source.Size = 6ll << 30;
    source.StartTime = Day(5, 6);
    source.Length = 400000;
    source.Format.SamplesPerSec = 8000;
    source.ExtraBlock[127] = 9;
    source.CallText = QStringLiteral("In 555");
    source.Description = QStringLiteral("In 555; 8000 Hz");
    source.Status = 0xAA;
    source.SecondsPerBlock = 2.5f;
    source.CodecId = 3;
    source.VoiceParts = std::make_unique<TSoundFileList>();

    TRecords::TRecordItem item;
    EXPECT_EQ(item.ShowParts, 0);
    item.ShowParts = 1;
    item.Assign(source);
    EXPECT_EQ(item.ShowParts, 1);
    EXPECT_EQ(item.Number, 7);
    EXPECT_EQ(item.NumberText, source.NumberText);
    EXPECT_EQ(item.Size, source.Size);
    EXPECT_EQ(item.StartTime.wDay, 5);
    EXPECT_EQ(item.Length, 400000u);
    EXPECT_EQ(item.Format.SamplesPerSec, 8000u);
    EXPECT_EQ(item.ExtraBlock[127], 9);
    EXPECT_EQ(item.CallText, source.CallText);
    EXPECT_EQ(item.Description, source.Description);
    EXPECT_EQ(item.Status, 0xAA);
    EXPECT_EQ(item.SecondsPerBlock, 2.5f);
    EXPECT_EQ(item.CodecId, 3);
    EXPECT_EQ(item.VoicePartCount, 0);
    EXPECT_EQ(item.VoiceParts, nullptr);

    // An item copied from an item keeps its recording's values.
    TRecords::TRecordItem copy;
    copy.Assign(item);
    EXPECT_EQ(copy.RecordNumber, 7);
    EXPECT_EQ(copy.Recording.Size, 6ll << 30);
    EXPECT_FALSE(copy.IsVoicePart());
}
