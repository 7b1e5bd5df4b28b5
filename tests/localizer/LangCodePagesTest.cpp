#include <gtest/gtest.h>

#include "localizer/LangCodePages.h"

namespace {

TEST(LangCodePagesTest, KnownLanguagesHaveANameAndACodePage)
{
    struct Case {
        quint16 id;
        int codePage;
        const char* language; // start of the display name
    };
    const Case cases[] = {
        {1033, 1252, "English (United States)"},
        {1049, 1251, "Russian (Russia)"},
        {1058, 1251, "Ukrainian"},
        {1031, 1252, "German (Germany)"},
        {1036, 1252, "French (France)"},
        {1040, 1252, "Italian"},
        {1034, 1252, "Spanish"},
        {1045, 1250, "Polish"},
        {1029, 1250, "Czech"},
        {1059, 1251, "Belarusian"},
        {1087, 1251, "Kazakh"},
        {1091, 1254, "Uzbek"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageCodePage(c.id), c.codePage) << c.id;
        EXPECT_TRUE(LanguageDisplayName(c.id).startsWith(c.language)) << LanguageDisplayName(c.id).toStdString();
    }
}

TEST(LangCodePagesTest, AnUnknownIdShowsInDecimalWithTheSystemCodePage)
{
    EXPECT_EQ(LanguageDisplayName(4242), "4242");
    EXPECT_EQ(LanguageDisplayName(0), "0");
    EXPECT_EQ(LanguageCodePage(4242), SystemCodePage());
}

TEST(LangCodePagesTest, DecodesEightBitText)
{
    EXPECT_EQ(DecodeCodePage("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), QString::fromUtf8("Привет"));
    EXPECT_EQ(DecodeCodePage("Gr\xFC\xDF", 1252), QString::fromUtf8("Grüß"));
    EXPECT_EQ(DecodeCodePage("\xA3\xF3"
                             "d\x9F",
                             1250),
              QString::fromUtf8("Łódź"));
    EXPECT_EQ(DecodeCodePage(QString::fromUtf8("äö").toUtf8(), kUtf8CodePage), QString::fromUtf8("äö"));
    // A byte the code page lacks becomes a replacement character.
    EXPECT_EQ(DecodeCodePage("a\x98z", 1251), QString("a") + QChar::ReplacementCharacter + "z");
}

} // namespace
