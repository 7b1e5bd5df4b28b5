#include <gtest/gtest.h>

#include "audio/DateTimeFormat.h"
#include "audio/FileNameMask.h"
#include "core/recorder/ProcessState.h"
#include "tests/support/ParamName.h"

namespace {

const SYSTEMTIME kTime{2024, 3, 2, 5, 14, 5, 9, 7};  // Tuesday 2024-03-05 14:05:09.007

struct MaskCase {
    const char16_t* mask;
    int part;
    const char* locale;
    const char16_t* expected;
};

void PrintTo(const MaskCase& c, std::ostream* os)
{
    *os << QString::fromUtf16(c.mask).toStdString();
}

const MaskCase kMasks[] = {
    {u"file_[rn]_([yyyy]_[mm]_[dd]-[hh_nn_ss])_[sn].wav", -1, "C", u"file_7_(2024_03_05-14_05_09)_123456.wav"},
    {u"file_[rn]_([yyyy]_[mm]_[dd]-[hh_nn_ss])_[sn].wav", 2, "C", u"file_7_2_(2024_03_05-14_05_09)_123456.wav"},
    {u"[Sn]", -1, "C", u"123456"},
    {u"[sn]", -1, "C", u"123456"},
    {u"[RN]-[Ei]", 0, "C", u"7_0-in 0123"},
    {u"rec[x", -1, "C", u"recx"},
    {u"rec[", -1, "C", u"rec"},
    {u"a]b", -1, "C", u"a]b"},
    // The settings dialog's presets.
    {u"[yymmdd]", -1, "C", u"240305"},
    {u"[hhnnss]", -1, "C", u"140509"},
    {u"[dd mmmm yyyy]", -1, "C", u"05 March 2024"},
    {u"[hh.nn.ss]", -1, "C", u"14.05.09"},
    // Each token is formatted on its own: this "mm" is the month.
    {u"[hh]_[mm]", -1, "C", u"14_03"},
    {u"[hh:mm]", -1, "C", u"14:05"},
    {u"[h d m]", -1, "C", u"14 5 3"},
    {u"[y yyy m mmm d ddd dddd]", -1, "C", u"24 2024 3 Mar 5 Tue Tuesday"},
    {u"[z zz zzz zzzz]", -1, "C", u"7 07 007 007"},
    {u"[h am/pm] [hh A/P] [ampm]", -1, "C", u"2 pm 02 P PM"},
    {u"['at' hh\"h\"nn]", -1, "C", u"at 14h05"},
    {u"[x q]", -1, "C", u"x q"},
    // The locale's date separator is a "/": never a folder.
    {u"[dd/mm/yyyy]", -1, "en_US", u"05_03_2024"},
    {u"[ddddd]", -1, "en_US", u"3_5_24"},
    {u"['a/b']", -1, "C", u"a_b"},
    // Masks from a settings file stay inside the download folder.
    {u"../../../etc/passwd_[rn]", -1, "C", u".._.._.._etc_passwd_7"},
    {u"..\\..\\x[rn]", -1, "C", u".._.._x7"},
    {u"", -1, "C", u"file_7_(2024_03_05-14_05_09)_123456.wav"},
    {u"[]", -1, "C", u"file_7_(2024_03_05-14_05_09)_123456.wav"},
    {u".", -1, "C", u"file_7_(2024_03_05-14_05_09)_123456.wav"},
    {u"..", -1, "C", u"file_7_(2024_03_05-14_05_09)_123456.wav"},
    {u"[ei]", -1, "C", u"file_7_(2024_03_05-14_05_09)_123456.wav"},  // empty extra text
    {u"...", -1, "C", u"..."},
};

class FileNameMask : public ::testing::TestWithParam<MaskCase> {
protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }
};

}  // namespace

TEST_P(FileNameMask, Expands)
{
    const MaskCase& c = GetParam();
    const QString extra = QString::fromUtf16(c.mask) == u"[ei]" ? QString() : QStringLiteral("in 0123");
    EXPECT_EQ(ExpandFileNameMask(QString::fromUtf16(c.mask), kTime, QStringLiteral("123456"), 7, c.part, extra,
                                 QLocale(QString::fromLatin1(c.locale))),
              QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Masks, FileNameMask, ::testing::ValuesIn(kMasks), PrintedParamName());

TEST(FileNameMaskText, ExpansionsLoseSlashesAndControlCharacters)
{
    const QString serial = QStringLiteral("12/34") + QChar(0) + QStringLiteral("\t5");
    EXPECT_EQ(ExpandFileNameMask(QStringLiteral("[sn]_[ei]"), kTime, serial, 1, -1, QStringLiteral("out/+49\n"),
                                 QLocale::c()),
              QStringLiteral("12_34__5_out_+49_"));
    EXPECT_EQ(ExpandFileNameMask(QStringLiteral("[sn]"), kTime, QStringLiteral(".."), 1, -1, {}, QLocale::c()),
              QStringLiteral("file_1_(2024_03_05-14_05_09)_...wav"));
}

TEST(FileNameMaskText, InvalidTimesFormatWithoutNames)
{
    const SYSTEMTIME bad{2024, 0, 9, 32, 25, 61, 61, 1000};
    EXPECT_EQ(FormatDateTime(QStringLiteral("yyyy-mm-dd mmm mmmm ddd dddd ddddd dddddd|hh:nn:ss.zzz h am/pm"), bad,
                             QLocale::c()),
              QStringLiteral("2024-00-32      |25:61:61.1000 13 pm"));
    const SYSTEMTIME thirteen{2024, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(FormatDateTime(QStringLiteral("mmm/mmmm/mm"), thirteen, QLocale::c()), QStringLiteral("//13"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("yy yyyy dd"), SYSTEMTIME{}, QLocale::c()), QStringLiteral("00 0000 00"));
}

TEST(MakePartFileName, PutsTheFourDigitPartBeforeTheExtension)
{
    const std::tuple<const char*, int, const char*> cases[] = {
        {"rec.wav", 3, "rec_0003.wav"},
        {"/home/u/Recordings/rec.wav", 3, "/home/u/Recordings/rec_0003.wav"},
        {"rec", 3, "rec_0003"},
        {"rec.wav", 12345, "rec_12345.wav"},
        {"/tmp/a.b/rec", 1, "/tmp/a.b/rec_0001"},
        {"a.tar.wav", 2, "a.tar_0002.wav"},
        {"C:\\a\\rec.wav", 3, "C:\\a\\rec_0003.wav"},
    };
    for (const auto& [name, part, expected] : cases)
        EXPECT_EQ(MakePartFileName(QString::fromUtf8(name), part), QString::fromUtf8(expected)) << name;
}
