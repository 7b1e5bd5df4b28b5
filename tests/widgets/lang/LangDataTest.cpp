#include <gtest/gtest.h>

#include "localizer/LangError.h"
#include "tests/widgets/lang/LangDataBytes.h"
#include "widgets/lang/LangData.h"

namespace {

TEST(LangDataTest, ReadsAHandMadeTreeByteForByte)
{
    const QByteArray data = SmallFormLangData();
    const std::unique_ptr<TLangCompEntry> root = ReadLangData(data);

    EXPECT_EQ(root->Name(), QStringLiteral("frmSmall"));
    ASSERT_NE(root->PropEntries(), nullptr);
    ASSERT_EQ(root->PropEntries()->Count(), 1);
    EXPECT_EQ(root->PropEntries()->At(0).ID, 10001);
    EXPECT_EQ(root->PropEntries()->At(0).PropName, QStringLiteral("Caption"));
    ASSERT_EQ(root->ChildCount(), 3);
    const TLangCompEntry& button = root->ChildAt(1);
    EXPECT_EQ(button.Name(), QStringLiteral("btnGo"));
    ASSERT_EQ(button.PropEntries()->Count(), 2);
    EXPECT_EQ(button.PropEntries()->At(0).PropName, QStringLiteral("Caption"));
    EXPECT_EQ(button.PropEntries()->At(1).PropName, QStringLiteral("Hint"));
    EXPECT_EQ(button.PropEntries()->Find(QStringLiteral("hint"))->ID, 10004);
    EXPECT_FALSE(button.HasChildList());
    EXPECT_EQ(root->PropCount(), 5);
    EXPECT_EQ(root->HighestID(), 10005);

    EXPECT_EQ(WriteLangData(*root), data);
}

TEST(LangDataTest, WritesEmptyListsAndUtf8NamesBack)
{
    TLangData bytes;
    bytes.Name("Форма").U8(1).I32(1).I32(7).Name("Columns[0].Caption").U8(1).I32(1);
    bytes.Name("lbДата").U8(0).U8(1).I32(0);
    const QByteArray data = bytes.Bytes();

    const std::unique_ptr<TLangCompEntry> root = ReadLangData(data);
    EXPECT_EQ(root->Name(), QStringLiteral("Форма"));
    EXPECT_EQ(root->ChildAt(0).Name(), QStringLiteral("lbДата"));
    EXPECT_TRUE(root->ChildAt(0).HasChildList());
    EXPECT_EQ(root->ChildAt(0).PropEntries(), nullptr);
    EXPECT_EQ(WriteLangData(*root), data);
}

TEST(LangDataTest, DamagedDataRaisesInsteadOfReadingPastTheEnd)
{
    const QByteArray data = SmallFormLangData();
    for (qsizetype length = 0; length < data.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_THROW(ReadLangData(data.left(length)), ELangError);
    }
    EXPECT_THROW(ReadLangData(data + '\0'), ELangError);

    TLangData hugeCount;
    hugeCount.Name("f").U8(1).I32(0x7FFFFFFF);
    EXPECT_THROW(ReadLangData(hugeCount.Bytes()), ELangError);
    TLangData negativeCount;
    negativeCount.Name("f").U8(0).U8(1).I32(-1);
    EXPECT_THROW(ReadLangData(negativeCount.Bytes()), ELangError);
    TLangData samePathTwice;
    samePathTwice.Name("f").U8(1).I32(2).I32(1).Name("Caption").I32(2).Name("caption").U8(0);
    EXPECT_THROW(ReadLangData(samePathTwice.Bytes()), ELangError);
}

TEST(LangDataTest, DeepNestingIsRefused)
{
    TLangData deep;
    deep.Name("f").U8(0);
    for (int i = 0; i < 100; ++i)
        deep.U8(1).I32(1).Name("c").U8(0);
    deep.U8(0);
    EXPECT_THROW(ReadLangData(deep.Bytes()), ELangError);
}

}  // namespace
