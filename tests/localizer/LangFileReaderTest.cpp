#include <gtest/gtest.h>

#include <QStringList>
#include <random>

#include "localizer/LangError.h"
#include "localizer/LangFileReader.h"

namespace {

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray out;
    for (QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1} : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return out;
}

QString ErrorOf(const QString& text)
{
    try {
        ReadLangText(text);
    } catch (const ELangError& error) {
        return error.Text();
    }
    return {};
}

const QString kSample = QString::fromUtf8("LANGID=1049\n[$CONSTANTS]\nCantOpenStr=Не удаётся открыть\n");

TEST(LangFileReaderTest, TellsTheEncodingByTheByteOrderMark)
{
    const QString expected = QString::fromUtf8("Не удаётся открыть");
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"UTF-8 with mark", "\xEF\xBB\xBF" + kSample.toUtf8()},
        {"UTF-8 without mark", kSample.toUtf8()},
        {"UTF-16 LE", "\xFF\xFE" + Utf16(kSample, false)},
        {"UTF-16 BE", "\xFE\xFF" + Utf16(kSample, true)},
        {"CP1251 by LANGID", "LANGID=1049\n[$CONSTANTS]\nCantOpenStr=\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF "
                             "\xEE\xF2\xEA\xF0\xFB\xF2\xFC\n"},
    };
    for (const auto& [name, bytes] : cases) {
        const auto file = ReadLangText(DecodeLangFileText(bytes));
        ASSERT_NE(file->Constants().Find("CantOpenStr"), nullptr) << name;
        EXPECT_EQ(file->Constants().Find("CantOpenStr")->Value, expected) << name;
        EXPECT_EQ(file->LangId(), 1049) << name;
    }
}

TEST(LangFileReaderTest, LineEndsCommentsAndSections)
{
    for (const char* end : {"\r", "\n", "\r\n"}) {
        const QString e = QString::fromLatin1(end);
        const QStringList lines = {
            "  LANGID = 1031 ",          // a parameter, trimmed
            "; comment=ignored",         //
            "",                          //
            "AppNameStr=not a constant", // still a parameter
            "[$constants]",              // any letter case
            "AppNameStr = Anwendung ",   //
            "[",                         // ignored, the section stays
            "[broken",                   // ignored, the section stays
            "[]",                        // ignored
            "BaseLangStr=Basissprache",  // still a constant
            "no equals sign",            // ignored
            "=no name",                  // ignored
            "[ frmMain ]",               // a component section
            "1=Datei",                   //
            "0=zero",                    // IDs of 0 or less are ignored
            "-4=negative",               //
            "x=not a number",            // counts as 0
            "[FRMMAIN]",                 // continues the first
            "2=Hilfe\\n",                //
            "[$CONSTANTS]",              //
            "ErrorStr=Fehler",           //
        };
        const QString text = lines.join(QString::fromLatin1(end));
        const auto file = ReadLangText(text);
        EXPECT_EQ(file->Param("LANGID"), "1031");
        EXPECT_EQ(file->Param("appnamestr"), "not a constant");
        EXPECT_EQ(file->LangId(), 1031);
        ASSERT_EQ(file->Constants().Count(), 3);
        EXPECT_EQ(file->Constants().Find("APPNAMESTR")->Value, "Anwendung");
        EXPECT_EQ(file->Constants().Find("BaseLangStr")->Value, "Basissprache");
        EXPECT_EQ(file->Constants().Find("ErrorStr")->Value, "Fehler");
        ASSERT_EQ(file->SectionCount(), 1);
        const TLangCompTranslation* section = file->FindSection("frmmain");
        ASSERT_NE(section, nullptr);
        EXPECT_EQ(section->SectionName(), "frmMain");
        ASSERT_EQ(section->Count(), 2);
        EXPECT_EQ(section->FindID(1)->Value, "Datei");
        EXPECT_EQ(section->FindID(2)->Value, "Hilfe\r\n");
        EXPECT_EQ(section->FindID(0), nullptr);
    }
}

TEST(LangFileReaderTest, ParametersAreTakenAsWrittenAndTheLastWins)
{
    const auto file = ReadLangText("Name=a\\nb\nname=second\n");
    EXPECT_EQ(file->ParamCount(), 1);
    EXPECT_EQ(file->Param("NAME"), "second");
    EXPECT_EQ(ReadLangText("Name=a\\nb")->Param("Name"), "a\\nb");
    EXPECT_EQ(ReadLangText("")->LangId(), 1033);
    EXPECT_EQ(ReadLangText("LANGID=abc")->LangId(), 1033);
}

TEST(LangFileReaderTest, ErrorsNameTheZeroBasedLine)
{
    EXPECT_EQ(ErrorOf("LANGID=1031\n[$CONSTANTS]\nErrorStr=a\r\nerrorstr=b\n"),
              "Loading translations failed.\r\nLine 3: Duplicate constant name (\"errorstr\")");
    EXPECT_EQ(ErrorOf("[$CONSTANTS]\n1Bad=a\n"),
              "Loading translations failed.\r\nLine 1: Invalid constant name (\"1Bad\")");
    EXPECT_EQ(ErrorOf("[Form]\n5=a\n[other]\n5=b\n[form]\n5=c\n"),
              "Loading translations failed.\r\nLine 5: Duplicate property value translation ID (5)");
}

TEST(LangFileReaderTest, ParamsOnlyStopsAtTheFirstBracketLine)
{
    const auto file = ReadLangText("LANGID=1049\n[\nLater=x\n[$CONSTANTS]\nA=1\nA=2\n", true);
    EXPECT_EQ(file->Param("LANGID"), "1049");
    EXPECT_EQ(file->Param("Later"), "");
    EXPECT_EQ(file->Constants().Count(), 0);
}

} // namespace

// Random bytes with language-file punctuation in them: the reader either
// reads them or raises its own error, and nothing else happens.
TEST(LangFileReader, RandomBytesGiveAResultOrALanguageError)
{
    std::mt19937 random(23);
    const char alphabet[] = "[]=$\\;\r\n\"0123456789abcCONSTANTS \xFF\xFE\xEF\xBB\xBF\x00\x80\xC3";
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i)
            bytes.append(random() % 2 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random()));
        try {
            ReadLangText(DecodeLangFileText(bytes));
        } catch (const ELangError&) {
        }
    }
}
