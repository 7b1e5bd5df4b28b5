#include <gtest/gtest.h>

#include <QLocale>
#include <optional>

#include "core/settings/IniValues.h"
#include "tests/support/ParamName.h"

namespace {

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

void PrintTo(const IntegerCase& c, std::ostream* os)
{
    *os << c.text;
}

class IniIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

} // namespace

TEST_P(IniIntegerTest, ParsesLikeTheClassLibrary)
{
    EXPECT_EQ(ParseIniInteger(QString::fromUtf8(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniIntegerTest,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"2", 2}, IntegerCase{"-1", -1}, IntegerCase{"+7", 7},
                      IntegerCase{"007", 7}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", INT32_MIN}, IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"-2147483649", std::nullopt}, IntegerCase{"99999999999999999999", std::nullopt},
                      IntegerCase{"$10", 16}, IntegerCase{"0x10", 16}, IntegerCase{"0X1f", 31},
                      IntegerCase{"$7FFFFFFF", 2147483647}, IntegerCase{"$FFFFFFFF", std::nullopt},
                      IntegerCase{"$80000000", std::nullopt}, IntegerCase{"-$10", -16}, IntegerCase{"", std::nullopt},
                      IntegerCase{"-", std::nullopt}, IntegerCase{"$", std::nullopt}, IntegerCase{"0x", std::nullopt},
                      IntegerCase{"x10", std::nullopt}, IntegerCase{"yes", std::nullopt},
                      IntegerCase{"1.5", std::nullopt}, IntegerCase{"12a", std::nullopt},
                      IntegerCase{"1 2", std::nullopt}, IntegerCase{"\xD9\xA3", std::nullopt}),
    PrintedParamName());

TEST(IniFloat, UsesTheLocaleSeparatorBothWays)
{
    const QLocale c(QLocale::C);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    EXPECT_EQ(FormatIniFloat(3.25, c), QStringLiteral("3.25"));
    EXPECT_EQ(FormatIniFloat(3.25, russian), QStringLiteral("3,25"));
    EXPECT_EQ(FormatIniFloat(12345678.5, russian), QStringLiteral("12345678,5")); // no group separators
    EXPECT_EQ(FormatIniFloat(-0.5, c), QStringLiteral("-0.5"));
    EXPECT_EQ(FormatIniFloat(13, c), QStringLiteral("13"));

    EXPECT_EQ(ParseIniFloat(u"3,3", russian), 3.3);
    EXPECT_EQ(ParseIniFloat(u"3.3", c), 3.3);
    // Written under one separator, read under another: not a number.
    EXPECT_EQ(ParseIniFloat(u"3.3", russian), std::nullopt);
    EXPECT_EQ(ParseIniFloat(u"", c), std::nullopt);
    EXPECT_EQ(ParseIniFloat(u"abc", c), std::nullopt);
}

// A group separator is never taken: "2.500" under a comma locale and "2,500"
// under a dot locale are not 2500.
TEST(IniFloat, RejectsGroupSeparators)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(ParseIniFloat(u"2.500", german), std::nullopt);
    EXPECT_EQ(ParseIniFloat(u"2,500", english), std::nullopt);
    EXPECT_EQ(ParseIniFloat(u"1.234,5", german), std::nullopt);
    EXPECT_EQ(ParseIniFloat(u"1,234.5", english), std::nullopt);
    EXPECT_EQ(ParseIniFloat(u"2,5", german), 2.5);
    EXPECT_EQ(ParseIniFloat(u"2500", german), 2500.0);
    EXPECT_EQ(ParseIniFloat(u"2.5", english), 2.5);
    EXPECT_EQ(ParseIniFloat(u"1e3", english), 1000.0);
}

TEST(IniBinary, UppercaseHexInMemoryOrder)
{
    const QByteArray bytes("\x2C\x00\xAB\xff", 4);
    EXPECT_EQ(FormatIniBinary(bytes), QStringLiteral("2C00ABFF"));
    EXPECT_EQ(ParseIniBinary(u"2C00ABFF"), bytes);
    EXPECT_EQ(ParseIniBinary(u"2c00abff"), bytes);
    EXPECT_EQ(ParseIniBinary(u""), QByteArray());
}

TEST(IniBinary, DamagedDigitsDecodeToNothing)
{
    EXPECT_EQ(ParseIniBinary(u"2C0"), std::nullopt);
    EXPECT_EQ(ParseIniBinary(u"2C0G"), std::nullopt);
    EXPECT_EQ(ParseIniBinary(u"2C 0"), std::nullopt);
}
