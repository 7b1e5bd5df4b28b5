#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <thread>

#include "core/protocol/CommandTrace.h"
#include "core/protocol/DebugLog.h"
#include "core/protocol/RecorderCommands.h"
#include "tests/support/TempDir.h"

namespace {

SYSTEMTIME FixedClock()
{
    SYSTEMTIME t;
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 10;
    t.wHour = 10;
    t.wMinute = 7;
    t.wSecond = 5;
    t.wMilliseconds = 42;
    return t;
}

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDebugLog();
        DebugLogState().FileName = m_dir.File("debug.log");
        DebugLogState().Clock = FixedClock;
    }
    void TearDown() override { ResetDebugLog(); }

    std::string LogText() const
    {
        QFile file(QString::fromStdString(DebugLogState().FileName));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll().toStdString();
    }
    bool LogExists() const { return std::filesystem::exists(DebugLogState().FileName); }

    TempDir m_dir;
};

}  // namespace

TEST_F(DebugLogTest, OffWritesNoFile)
{
    DebugLog(QStringLiteral("x"));
    TraceCommand(true, cmdGetVolt, nullptr);
    EXPECT_FALSE(LogExists());
}

TEST_F(DebugLogTest, LineIsTimePrefixIndentMessageAndCrLf)
{
    DebugLogState().DebugLevel = 1;
    DebugLogState().DebugIndent = 2;
    DebugLog(QStringLiteral("A"));
    EXPECT_EQ(LogText(), "07:05:042     A\r\n");
}

TEST_F(DebugLogTest, TextIsWrittenAsUtf8)
{
    DebugLogState().DebugLevel = 1;
    DebugLog(QString::fromUtf8("Запись"));
    EXPECT_EQ(LogText(), "07:05:042 \xD0\x97\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C\r\n");
}

TEST_F(DebugLogTest, AnUnwritableLogIsIgnored)
{
    DebugLogState().DebugLevel = 1;
    DebugLogState().FileName = m_dir.File("missing-folder/debug.log");
    DebugLog(QStringLiteral("x"));
    EXPECT_FALSE(LogExists());
}

TEST_F(DebugLogTest, BannerOfSetDebugLevel)
{
    SetDebugLevel(1);
    const std::string rule = "07:05:042 " + std::string(66, '-') + "\r\n";
    const std::string framed = "07:05:042 -----" + std::string(56, ' ') + "-----\r\n";
    EXPECT_EQ(LogText(), rule + framed + framed + framed + rule);
}

TEST_F(DebugLogTest, IndentScope)
{
    DebugLogState().DebugLevel = 1;
    {
        DebugIndentScope scope;
        DebugLog(QStringLiteral("in"));
    }
    DebugLog(QStringLiteral("out"));
    EXPECT_EQ(LogText(), "07:05:042   in\r\n07:05:042 out\r\n");
}

TEST_F(DebugLogTest, TwoThreadsNeverInterleaveLines)
{
    DebugLogState().DebugLevel = 1;
    const QString a(200, QLatin1Char('a'));
    const QString b(200, QLatin1Char('b'));
    std::thread first([&] {
        for (int i = 0; i < 300; ++i)
            DebugLog(a);
    });
    std::thread second([&] {
        for (int i = 0; i < 300; ++i)
            DebugLog(b);
    });
    first.join();
    second.join();
    const std::string text = LogText();
    const std::string lineA = "07:05:042 " + a.toStdString() + "\r\n";
    const std::string lineB = "07:05:042 " + b.toStdString() + "\r\n";
    ASSERT_EQ(text.size(), 300 * (lineA.size() + lineB.size()));
    for (std::size_t at = 0; at < text.size(); at += lineA.size()) {
        const std::string line = text.substr(at, lineA.size());
        ASSERT_TRUE(line == lineA || line == lineB) << "at " << at;
    }
}

TEST(CommandTrace, LinesBeforeACommand)
{
    std::uint8_t page[4];
    PutU32(page, 0xFFFFFFF0u);
    std::uint8_t block[2];
    PutU16(block, 1234);
    std::uint8_t parts[12];
    PartsOfPagesRequest{70000, 2048, 20, 64, 256}.Serialize(parts);

    struct Case {
        std::uint8_t code;
        const void* data;
        const char* text;
    };
    const Case cases[] = {
        {cmdGetVolt, nullptr, "Command: 7 (GET_VOLT) "},
        {cmdGetProfile, "\x01", "Command: 4 "},
        {cmdWriteBlock, block, "Command: 0 (WRITE_BLOCK) "},
        {cmdEraseBlock, block, "Command: 18 (WRITE_BLOCK) BlockNumber = 1234; "},
        {cmdWritePage, page, "Command: 16 (WRITE_PAGE) PageAddr = 4294967280; "},
        {cmdGetPartsOfPages, parts,
         "Command: 76 (GET_PARTS_OF_PAGES) PageAddr = 70000; Offset = 2048; Count = 20; AddrInc = 64; Cycles = 256; "},
        {cmdGetRtc, nullptr, "Command: 1 (GET_RTC) "},
        {cmdBeginWritePage, page, "Command: 14 (BEG_WRITE_PAGE) "},
        {cmdGetFwVer, nullptr, "Command: 20 (GET_FW_VER) "},
        {cmdGetProdParam, nullptr, "Command: 22 (GET_PROD_PARAM) "},
        {cmdGetFlashParam, nullptr, "Command: 29 (GET_FLASH_PARAM) "},
        {cmdCheckPassword, "1234567", "Command: 63 (CHECK_PW) "},
        {cmdSetDefault, nullptr, "Command: 65 (SET_DEFAULT) "},
        {cmdGetFirstRecBlock, nullptr, "Command: 78 (GET_FIRST_REC_BL) "},
        {cmdSetDefNoFlashErase, nullptr, "Command: 80 (SET_DEF_NO_FLASH_ERASE) "},
        {cmdSetRtc, "\0\0\0\0", "Command: 2 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TraceCommandText(true, c.code, c.data).toStdString(), c.text);
}

TEST(CommandTrace, LinesAfterASuccess)
{
    EXPECT_EQ(TraceCommandText(false, cmdGetVolt, "\x01\x02").toStdString(), "Result: OK");
    // 29: chips 1, pages per block 128, blocks per chip 64, page size 2112.
    const std::uint8_t geometry[7] = {1, 128, 0, 64, 0, 0x40, 0x08};
    EXPECT_EQ(TraceCommandText(false, cmdGetFlashParam, geometry).toStdString(),
              "Result: FlashCount = 1; PageSize = 2112; PagesPerBlock = 128; BlocksPerFlash = 64; ");
}

TEST_F(DebugLogTest, CommandSevenWritesTwoTracedLines)
{
    DebugLogState().DebugLevel = 1;
    TraceCommand(true, cmdGetVolt, nullptr);
    TraceCommand(false, cmdGetVolt, "\x10\x00");
    EXPECT_EQ(LogText(), "07:05:042 Command: 7 (GET_VOLT) \r\n07:05:042 Result: OK\r\n");
}
