#include <gtest/gtest.h>

#include <QLocale>

#include "localizer/LangFormat.h"

namespace {

class LangFormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = QLocale();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

TEST_F(LangFormatTest, FormatsTheSpecifiersTheProgramUses)
{
    struct Case {
        QString format;
        QString expected;
        std::vector<TFormatArg> args;
    };
    const std::vector<Case> cases = {
        {"ERROR: %s. Error code %d", "ERROR: I/O Error. Error code 17", {"I/O Error", 17}},
        {"Length: %.2d:%.2d:%.2d", "Length: 01:02:03", {1, 2, 3}},
        {"%.2d", "-05", {-5}},
        {"Data size: %Ld", "Data size: 5000000000", {std::int64_t{5000000000}}},
        {" %0.2f MB ", " 12.35 MB ", {12.345678}},
        {" %.2f ", " 3.90 ", {3.9}},
        {"%.0n bytes", "1,234,568 bytes", {1234567.8}},
        {"%n", "1,234.50", {1234.5}},
        {"%x", "FF", {255}},
        {"%.4x", "00AB", {0xAB}},
        {"%u", "7", {7}},
        // A negative value is shown unsigned in its own width.
        {"%u", "4294967295", {-1}},
        {"%u", "4294967196", {std::int16_t{-100}}},
        {"%u", "18446744073709551615", {std::int64_t{-1}}},
        {"%x", "FFFFFFFE", {-2}},
        {"%u", "18446744073709551615", {~std::uint64_t{0}}},
        {"100%% done", "100% done", {}},
        {"[%5d] [%-5d]", "[   42] [42   ]", {42, 42}},
        {"%.3s", "abc", {"abcdef"}},
        {"%1:s %0:s", "b a", {"a", "b"}},
        {"%*d", "   7", {4, 7}},
        {" %d.%d ", " 1.12 ", {1, 12}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatChecked(c.format, c.args), c.expected) << c.format.toStdString();
}

// A translated text may carry any specifiers: whatever does not match stays
// as written, and no argument is read that is not there.
TEST_F(LangFormatTest, HostileFormatsStayAsWritten)
{
    struct Case {
        QString format;
        QString expected;
        std::vector<TFormatArg> args;
    };
    const std::vector<Case> cases = {
        {"Uploading record", "Uploading record", {25}},
        {"%s %d %s", "a 1 %s", {"a", 1}},
        {"%d", "%d", {"text"}},
        {"%s", "%s", {3}},
        {"%f", "%f", {"text"}},
        {"%d and %s", "%d and b", {"a", "b"}},
        {"%", "%", {1}},
        {"end %", "end %", {}},
        {"%.", "%.", {1}},
        {"%q", "%q", {1}},
        {"%p %n", "%p %n", {}},
        {"%5:d", "%5:d", {1}},
        {"%99999999999d", "%99999999999d", {1}},
        {"%.99999999s", "%.99999999s", {"x"}},
        {"%*d", "%*d", {"x", 1}},
        {"%-", "%-", {1}},
        {"%L", "%L", {1}},
        {"%s%s%s%s%s%s%s%s", "x%s%s%s%s%s%s%s", {"x"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatChecked(c.format, c.args), c.expected) << c.format.toStdString();
}

TEST_F(LangFormatTest, VariadicFormHandsTheArgumentsOn)
{
    EXPECT_EQ(LangFormat("Record %d of %s", 3, QString("ten")), "Record 3 of ten");
    EXPECT_EQ(LangFormat("No arguments %d"), "No arguments %d");
}

} // namespace
