#include <gtest/gtest.h>

#include "widgets/lang/LangMaskList.h"

namespace {

struct MaskCase {
    const char* mask;
    const char* path;
    bool matches;
};

TEST(LangMaskListTest, WildcardsMatchWholePathsWithoutLetterCase)
{
    const MaskCase cases[] = {
        {"N?.Caption", "N1.Caption", true},
        {"N?.Caption", "N12.Caption", false},
        {"N??.Caption", "N12.Caption", true},
        {"N??.Caption", "N1.Caption", false},
        {"N?.Caption", "n1.caption", true},
        {"N?.Caption", "N1.Hint", false},
        {"_*", "_Sep.Caption", true},
        {"_*", "x_Sep.Caption", false},
        {"*.Font.Name", "lbModel.Font.Name", true},
        {"*.Font.Name", ".Font.Name", true},  // the form itself: its path begins with "."
        {"*.Font.Name", "lbModel.Font.Size", false},
        {"*.Font.*", "Label1.Font.Name", true},
        {"lbBattery.*", "lbBattery.Caption", true},
        {"lbBattery.*", "lbBatteryX.Caption", false},
        {"*.Items", "cbCodecGain.Items", true},
        {"[ab]*.Caption", "btnGo.Caption", true},
        {"[ab]*.Caption", "cbX.Caption", false},
        {"*.Text", "edName.Text", true},
        {"*.Text", "edName.TextHint", false},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " ~ " + c.path);
        EXPECT_EQ(TLangMaskList({QString::fromLatin1(c.mask)}).Matches(QString::fromLatin1(c.path)), c.matches);
    }
}

TEST(LangMaskListTest, AnyMaskOfTheListMatches)
{
    const TLangMaskList masks({QStringLiteral("*.Items"), QStringLiteral("Label2.Caption")});
    EXPECT_TRUE(masks.Matches(QStringLiteral("Label2.Caption")));
    EXPECT_TRUE(masks.Matches(QStringLiteral("cbScale.Items")));
    EXPECT_FALSE(masks.Matches(QStringLiteral("Label1.Caption")));
    EXPECT_FALSE(TLangMaskList({}).Matches(QStringLiteral("Label1.Caption")));
}

}  // namespace
