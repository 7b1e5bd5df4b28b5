#include <gtest/gtest.h>

#include "localizer/LangEscapes.h"

namespace {

TEST(LangEscapesTest, DecodesTheEscapes)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {R"(a\nb)", "a\r\nb"},
        {R"(a\tb)", "a\tb"},
        {R"(\\n)", R"(\n)"},
        {R"(\65)", "A"},
        {R"(\00x)", QString(QChar(0)) + "x"},
        {R"(\6x)", R"(\6x)"},
        {R"(\6)", R"(\6)"},
        {R"(end\)", R"(end\)"},
        {R"(\q)", R"(\q)"},
        {R"(\\\n)", "\\\r\n"},
        {R"(\655)", "A5"},
        {"plain", "plain"},
    };
    for (const auto& [escaped, text] : cases)
        EXPECT_EQ(DecodeLangEscapes(escaped), text) << escaped.toStdString();
}

TEST(LangEscapesTest, EncodesTheWayAWriterDoes)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"a\r\nb", R"(a\nb)"}, {"a\n\rb", R"(a\nb)"}, {"a\rb", R"(a\nb)"},           {"a\nb", R"(a\nb)"},
        {"a\tb", R"(a\tb)"},   {R"(a\b)", R"(a\\b)"}, {QString(QChar(7)), R"(\07)"},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(EncodeLangEscapes(text), escaped) << escaped.toStdString();
    }
    const QString sample = QString("line 1\r\nline\t2 \\ ") + QChar(27);
    EXPECT_EQ(DecodeLangEscapes(EncodeLangEscapes(sample)), sample);
}

} // namespace
