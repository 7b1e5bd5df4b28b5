#include <gtest/gtest.h>

#include <cstring>

#include "fmttool/Fat12DirEntry.h"

namespace {

TFat12RawEntry RawNamed(const char* eleven)
{
    TFat12RawEntry e{};
    std::memcpy(e.data(), eleven, 11);
    return e;
}

SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second)
{
    const auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
    return SYSTEMTIME{.wYear = u16(year),
                      .wMonth = u16(month),
                      .wDay = u16(day),
                      .wHour = u16(hour),
                      .wMinute = u16(minute),
                      .wSecond = u16(second)};
}

}  // namespace

TEST(Fat12DirEntry, NamesReadBack)
{
    EXPECT_EQ(Fat12EntryName(RawNamed("README  TXT")), "README.TXT");
    EXPECT_EQ(Fat12EntryName(RawNamed("MAKEFILE   ")), "MAKEFILE");
    EXPECT_EQ(Fat12EntryName(RawNamed("A       B  ")), "A.B");
    EXPECT_EQ(Fat12EntryName(RawNamed(".          ")), ".");
    EXPECT_EQ(Fat12EntryName(RawNamed("..         ")), "..");
    EXPECT_EQ(Fat12EntryName(RawNamed("\xE5"
                                      "EADME  TXT")),
              "");
}

TEST(Fat12DirEntry, ShortNamesSplitOrRefused)
{
    const auto split = [](const char* name) {
        const auto raw = Fat12SplitShortName(name);
        return raw ? std::string(raw->begin(), raw->end()) : std::string("refused");
    };
    EXPECT_EQ(split("SERVICE.DAT"), "SERVICE DAT");
    EXPECT_EQ(split("LONGFI~1"), "LONGFI~1   ");
    EXPECT_EQ(split("a.b"), "a       b  ");  // taken as it stands
    for (const char* bad : {"", ".", "..", "NINECHARS", "A.TOOL", "A.B.C", "A B", "A+B", "A:B", "X.", ".X"})
        EXPECT_EQ(split(bad), "refused") << bad;
}

TEST(Fat12DirEntry, TimeAndDateFieldsAndTheirClamp)
{
    const SYSTEMTIME t = At(2024, 3, 15, 13, 45, 38);
    EXPECT_EQ(Fat12PackTime(t), 13 * 2048 + 45 * 32 + 19);
    EXPECT_EQ(Fat12PackDate(t), 44 * 512 + 3 * 32 + 15);
    EXPECT_EQ(Fat12PackDate(At(1979, 12, 31, 23, 59, 59)), 1 * 32 + 1);
    EXPECT_EQ(Fat12PackTime(At(1979, 12, 31, 23, 59, 59)), 0);
    EXPECT_EQ(Fat12PackDate(At(1601, 1, 1, 0, 0, 0)), 1 * 32 + 1);
    EXPECT_EQ(Fat12PackDate(At(2200, 6, 1, 0, 0, 0)), 127 * 512 + 12 * 32 + 31);

    const TFat12RawEntry e = Fat12MakeEntry(*Fat12SplitShortName("A.TXT"), kFat12AttrArchive, t, 0x123);
    EXPECT_EQ(e[11], 0x20);
    EXPECT_EQ(e[22] | e[23] << 8, Fat12PackTime(t));
    EXPECT_EQ(e[24] | e[25] << 8, Fat12PackDate(t));
    EXPECT_EQ(Fat12EntryCluster(e), 0x123);
    EXPECT_EQ(Fat12EntrySize(e), 0u);
    for (const int creationOrAccess : {13, 14, 15, 16, 17, 18, 19, 20, 21})
        EXPECT_EQ(e[creationOrAccess], 0) << creationOrAccess;
}
