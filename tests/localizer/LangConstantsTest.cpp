#include <gtest/gtest.h>

#include "localizer/LangConstants.h"
#include "localizer/LangError.h"

namespace {

void PutU16(QByteArray& out, int value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PutI32(QByteArray& out, qint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((static_cast<quint32>(value) >> shift) & 0xFF);
}

void Put8Bit(QByteArray& out, const QByteArray& bytes)
{
    PutU16(out, static_cast<int>(bytes.size()));
    out += bytes;
}

void PutUtf16(QByteArray& out, const QString& text)
{
    PutU16(out, static_cast<int>(text.size()));
    for (QChar c : text)
        PutU16(out, c.unicode());
}

// A stream of one version with the pairs (name, value); 8-bit values are
// given in CP1251.
QByteArray Stream(int version, bool autoSave, const std::vector<std::pair<QString, QByteArray>>& cp1251Pairs,
                  const std::vector<std::pair<QString, QString>>& pairs)
{
    QByteArray out;
    out += static_cast<char>(version);
    if (version >= 2)
        out += static_cast<char>(autoSave ? 1 : 0);
    PutI32(out, static_cast<qint32>(version < 2 ? cp1251Pairs.size() : pairs.size()));
    if (version < 2) {
        for (const auto& [name, value] : cp1251Pairs) {
            Put8Bit(out, name.toUtf8());
            Put8Bit(out, value);
        }
    } else {
        for (const auto& [name, value] : pairs) {
            if (version == 2)
                Put8Bit(out, name.toUtf8());
            else
                PutUtf16(out, name);
            PutUtf16(out, value);
        }
    }
    return out;
}

QString LoadError(const QByteArray& stream)
{
    TLangConstants constants;
    try {
        constants.LoadFromStream(stream);
    } catch (const ELangError& error) {
        return error.Text();
    }
    return {};
}

TEST(LangConstantsTest, KeepsNamesSortedAndFindsThemInAnyCase)
{
    TLangConstants constants;
    for (const char* name : {"rsUploadedStr", "RecTimeStr", "A_b", "AONStr", "_x", "ab"})
        constants.Add(name, QString(name) + " text");
    std::vector<QString> order;
    for (int i = 0; i < constants.Count(); ++i)
        order.push_back(constants.At(i).Name);
    // ASCII letters fold to upper case, so "_" (0x5F) sorts after the letters.
    EXPECT_EQ(order, (std::vector<QString>{"ab", "AONStr", "A_b", "RecTimeStr", "rsUploadedStr", "_x"}));
    ASSERT_NE(constants.Find("RSUPLOADEDSTR"), nullptr);
    EXPECT_EQ(constants.Find("rsuploadedstr")->Value, "rsUploadedStr text");
    EXPECT_EQ(constants.Find("missing"), nullptr);
    EXPECT_EQ(constants.Find("ao"), nullptr);
}

TEST(LangConstantsTest, RejectsInvalidAndDuplicateNames)
{
    TLangConstants constants;
    constants.Add("Name1", "x");
    const std::vector<std::pair<QString, QString>> cases = {
        {"", "Invalid constant name (\"\")"},
        {"1abc", "Invalid constant name (\"1abc\")"},
        {"a-b", "Invalid constant name (\"a-b\")"},
        {QString::fromUtf8("Имя"), QString::fromUtf8("Invalid constant name (\"Имя\")")},
        {"NAME1", "Duplicate constant name (\"NAME1\")"},
    };
    for (const auto& [name, message] : cases) {
        try {
            constants.Add(name, "y");
            ADD_FAILURE() << name.toStdString();
        } catch (const ELangError& error) {
            EXPECT_EQ(error.Text(), message);
        }
    }
    EXPECT_EQ(constants.Count(), 1);
}

TEST(LangConstantsTest, TranslateFromKeepsWhatTheSourceLacks)
{
    TLangConstants table;
    table.Add("A", "built-in A");
    table.Add("B", "built-in B");
    TLangConstants first;
    first.Add("a", "first A");
    first.Add("B", "first B");
    TLangConstants second;
    second.Add("B", "second B");
    second.Add("Unknown", "never used");

    table.TranslateFrom(&first);
    table.TranslateFrom(&second);
    EXPECT_EQ(table.Find("A")->Value, "first A");
    EXPECT_EQ(table.Find("B")->Value, "second B");
    EXPECT_EQ(table.Find("Unknown"), nullptr);
    table.TranslateFrom(nullptr);
    EXPECT_EQ(table.Find("A")->Value, "built-in A");
    EXPECT_EQ(table.Find("B")->DefValue, "built-in B");
}

TEST(LangConstantsTest, ReadsTheFourStreamVersions)
{
    const QByteArray privet = "\xCF\xF0\xE8\xE2\xE5\xF2"; // CP1251
    const QString expected = QString::fromUtf8("Привет");
    for (int version = 0; version <= 3; ++version) {
        TLangConstants constants([] { return quint16{1049}; });
        constants.LoadFromStream(
            Stream(version, false, {{"Zeta", privet}, {"Alpha", "plain"}}, {{"Zeta", expected}, {"Alpha", "plain"}}));
        ASSERT_EQ(constants.Count(), 2) << version;
        EXPECT_EQ(constants.At(0).Name, "Alpha") << version;
        EXPECT_EQ(constants.Find("zeta")->Value, expected) << version;
        EXPECT_EQ(constants.Find("zeta")->DefValue, expected) << version;
        // Versions 0 and 1 carry no flag: it is (version not 0).
        EXPECT_EQ(constants.AutoSave(), version == 1) << version;
    }
    TLangConstants withFlag;
    withFlag.LoadFromStream(Stream(3, true, {}, {{"A", "x"}}));
    EXPECT_TRUE(withFlag.AutoSave());
}

TEST(LangConstantsTest, BadStreamsRaise)
{
    EXPECT_EQ(LoadError(Stream(4, true, {}, {})), "Stream version (4) is greater than the current one (3)");
    QByteArray truncated = Stream(3, true, {}, {{"Name", "value"}});
    truncated.chop(3);
    EXPECT_EQ(LoadError(truncated), "Stream read error");
    QByteArray hugeCount;
    hugeCount += char(3);
    hugeCount += char(1);
    PutI32(hugeCount, 0x7FFFFFFF);
    EXPECT_EQ(LoadError(hugeCount), "Stream read error");
    EXPECT_EQ(LoadError(Stream(3, true, {}, {{"A", "1"}, {"a", "2"}})), "Duplicate constant name (\"a\")");
    EXPECT_EQ(LoadError(Stream(3, true, {}, {{"bad name", "1"}})), "Invalid constant name (\"bad name\")");

    TLangConstants constants;
    constants.Add("Old", "x");
    EXPECT_THROW(constants.LoadFromStream(QByteArray()), ELangError);
    EXPECT_EQ(constants.Count(), 0); // emptied before reading
}

} // namespace
