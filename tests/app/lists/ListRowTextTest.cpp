#include <gtest/gtest.h>

#include <QLocale>

#include "app/lists/FileList.h"
#include "app/lists/ListRowText.h"
#include "app/lists/LocationItems.h"
#include "app/lists/RecordList.h"
#include "core/flash/SoundFileInfo.h"

namespace {

// The default locale for one test.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : m_saved(QLocale()) { QLocale::setDefault(QLocale(QLatin1String(name))); }
    ~LocaleScope() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

SYSTEMTIME Time(int day, int month, int year, int hour, int minute, int second)
{
    SYSTEMTIME t;
    t.wDay = static_cast<std::uint16_t>(day);
    t.wMonth = static_cast<std::uint16_t>(month);
    t.wYear = static_cast<std::uint16_t>(year);
    t.wHour = static_cast<std::uint16_t>(hour);
    t.wMinute = static_cast<std::uint16_t>(minute);
    t.wSecond = static_cast<std::uint16_t>(second);
    return t;
}

}  // namespace

TEST(ListRowText, SizesInKiBRoundedUpAndGroupedByTheLocale)
{
    struct Case {
        std::int64_t bytes;
        const char* english;
        const char* german;
    };
    const Case cases[] = {
        {0, "0 KB", "0 KB"},
        {1, "1 KB", "1 KB"},
        {1024, "1 KB", "1 KB"},
        {1025, "2 KB", "2 KB"},
        {5000000, "4,883 KB", "4.883 KB"},
        {6ll << 30, "6,291,456 KB", "6.291.456 KB"},
    };
    for (const Case& c : cases) {
        {
            LocaleScope locale("en_US");
            EXPECT_EQ(KiloBytesText(c.bytes), QString::fromLatin1(c.english)) << c.bytes;
        }
        {
            LocaleScope locale("de_DE");
            EXPECT_EQ(KiloBytesText(c.bytes), QString::fromLatin1(c.german)) << c.bytes;
        }
    }
}

TEST(ListRowText, StatusDateAndDuration)
{
    EXPECT_EQ(RecordStatusText(0x55), QStringLiteral("Downloaded"));
    EXPECT_EQ(RecordStatusText(0xAA), QStringLiteral("Uploaded"));
    EXPECT_EQ(RecordStatusText(0xFF), QStringLiteral("Non-downloaded"));
    EXPECT_EQ(RecordStatusText(0x00), QStringLiteral("Non-downloaded"));

    EXPECT_EQ(RowDateText(Time(5, 3, 2024, 7, 8, 9)), QStringLiteral("05.03.2024 07:08:09"));

    EXPECT_EQ(DurationText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(DurationText(3661), QStringLiteral("01:01:01"));
    EXPECT_EQ(DurationText(99 * 3600 + 59 * 60 + 59), QStringLiteral("99:59:59"));
    EXPECT_EQ(DurationText(100 * 3600 + 59), QStringLiteral("100:00:59"));
    EXPECT_EQ(DurationText(0xFFFFFFFFu), QStringLiteral("1193046:28:15"));
}

TEST(ListRowText, RecordingVoicePartAndDriveRows)
{
    LocaleScope locale("en_US");
    TSoundFileInfo recording;
    recording.Number = 12;
    recording.NumberText = QStringLiteral("12");
    recording.Size = 1025;
    recording.StartTime = Time(31, 12, 2023, 23, 59, 58);
    recording.Length = 125;
    recording.Description = QStringLiteral("Out 123; 8000 Hz");
    recording.Status = 0xFF;
    TSoundFileInfo part;
    part.Number = 2;
    part.NumberText = QStringLiteral("12.2");
    part.Size = 1;
    part.StartTime = Time(1, 1, 2024, 0, 0, 1);
    part.Length = 3600 * 30;
    part.Parent = &recording;

    TRecords::TRecordItem whole;
    whole.Assign(recording);
    TRecords::TRecordItem voice;
    voice.Assign(part);
    const QStringList row = FillRecordRow(whole);
    EXPECT_EQ(row,
              (QStringList{"12", "2 KB", "31.12.2023 23:59:58", "00:02:05", "Out 123; 8000 Hz", "Non-downloaded"}));
    EXPECT_EQ(RecordRowTexts(whole), row);
    EXPECT_EQ(RecordRowTexts(voice), (QStringList{"     12.2", "1 KB", "01.01.2024 00:00:01", "30:00:00"}));

    TFileListItem file;
    file.Name = QStringLiteral("a.txt");
    file.Size = 1;
    file.Time = Time(2, 2, 2022, 2, 2, 2);
    EXPECT_EQ(DriveRowTexts(file), (QStringList{"a.txt", "1 KB", "02.02.2022 02:02:02 "}));
    file.Size = 1025;
    EXPECT_EQ(DriveRowTexts(file)[1], QStringLiteral("2 KB"));
    file.IsFolder = true;
    EXPECT_EQ(DriveRowTexts(file)[1], QStringLiteral("Dir"));

    const QStringList captions{"Record #", "Size", "Date", "Duration", "Mode", "Status"};
    const QString tip = RowInfoTip(captions, row);
    EXPECT_EQ(tip.split(QStringLiteral("\n\r")).size(), 6);
    EXPECT_TRUE(tip.startsWith(QStringLiteral("Record #: 12\n\rSize: 2 KB\n\r")));
    EXPECT_TRUE(tip.endsWith(QStringLiteral("\n\rStatus: Non-downloaded")));
    EXPECT_FALSE(tip.contains(QStringLiteral("\r\n")));
    // The screen gets line feeds alone; nothing else of the text changes.
    EXPECT_EQ(ShownTip(tip), QString(tip).replace(QStringLiteral("\n\r"), QStringLiteral("\n")));
    EXPECT_TRUE(ShownTip(tip).startsWith(QStringLiteral("Record #: 12\nSize: 2 KB\nDate: ")));
    EXPECT_FALSE(ShownTip(tip).contains(QLatin1Char('\r')));
}

TEST(LocationItems, EntriesAndTheFolderOfEachEntry)
{
    using Items = std::vector<TLocationItem>;
    const TLocationItem drive{QStringLiteral("Flash Drive"), 35, 0};
    EXPECT_EQ(LocationItems(false, QStringLiteral("\\A\\")), (Items{{QStringLiteral("Records"), 0, 0}}));
    EXPECT_EQ(LocationItems(true, QString()), Items{drive});
    EXPECT_EQ(LocationItems(true, QStringLiteral("\\")), Items{drive});
    const Items nested = LocationItems(true, QStringLiteral("\\A\\B\\"));
    EXPECT_EQ(nested, (Items{drive, {QStringLiteral("A"), 3, 1}, {QStringLiteral("B"), 3, 2}}));
    EXPECT_EQ(LocationItems(true, QStringLiteral("A\\B")), nested);

    EXPECT_EQ(LocationFolder(nested, 0), QString());
    EXPECT_EQ(LocationFolder(nested, 1), QStringLiteral("\\A"));
    EXPECT_EQ(LocationFolder(nested, 2), QStringLiteral("\\A\\B"));
    EXPECT_EQ(LocationFolder(nested, 3), QString());
}
