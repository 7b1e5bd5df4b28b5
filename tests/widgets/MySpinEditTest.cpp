#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "tests/support/ParamName.h"
#include "widgets/MySpinButton.h"
#include "widgets/MySpinEdit.h"
#include "widgets/SpinUpDown.h"

namespace {

// Switches the default locale for one test and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : m_previous(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

struct LimitCase {
    double min, max, written;
    QString expectedText;
};

void PrintTo(const LimitCase& c, std::ostream* os)
{
    *os << c.min << ".." << c.max << " write " << c.written;
}

class SpinEditLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(SpinEditLimits, WritingLimitsTheValueUnlessTheLimitsAreEqual)
{
    const LimitCase& c = GetParam();
    TMySpinEdit edit;
    edit.SetMinValue(c.min);
    edit.SetMaxValue(c.max);
    edit.SetValue(c.written);
    EXPECT_EQ(edit.text(), c.expectedText);
}

INSTANTIATE_TEST_SUITE_P(Table, SpinEditLimits,
                         ::testing::Values(LimitCase{0, 0, 1000, "1000"}, LimitCase{0, 0, -1000, "-1000"},
                                           LimitCase{5, 5, -3, "-3"}, LimitCase{0, 255, 300, "255"},
                                           LimitCase{0, 255, -5, "0"}, LimitCase{0, 255, 255, "255"},
                                           LimitCase{10, 20, 15, "15"}),
                         PrintedParamName());

TEST(SpinEdit, ReadingTheValueAppliesTheLimitsToTypedText)
{
    // A typed 300 in a 0..255 field must never reach a byte as 300.
    TMySpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(255);
    edit.setText(QStringLiteral("300"));
    EXPECT_EQ(edit.Value(), 255);
    edit.setText(QStringLiteral("-7"));
    EXPECT_EQ(edit.Value(), 0);
    edit.SetMinValue(0);
    edit.SetMaxValue(0);
    edit.setText(QStringLiteral("300"));
    EXPECT_EQ(edit.Value(), 300);
}

TEST(SpinEdit, LeavingTheEditWritesAnOutOfRangeValueBackLimited)
{
    QWidget form;
    TMySpinEdit edit(&form);
    QLineEdit other(&form);
    other.move(0, 40);
    form.show();
    edit.SetMinValue(1);
    edit.SetMaxValue(99);
    edit.setFocus();
    edit.setText(QStringLiteral("500"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.text(), QStringLiteral("99"));
}

TEST(SpinEdit, TextThatDoesNotParseGivesTheLowerLimit)
{
    TMySpinEdit edit;
    edit.SetMinValue(3.7);
    edit.SetMaxValue(500);
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.Value(), 4); // as an integer, rounded
    edit.SetValueType(vtFloat);
    edit.setText(QStringLiteral("abc"));
    EXPECT_DOUBLE_EQ(edit.Value(), 3.7);
}

TEST(SpinEdit, HexShowsUpperCaseAndReadsEitherCase)
{
    TMySpinEdit edit;
    edit.SetValueType(vtHex);
    edit.SetValue(255);
    EXPECT_EQ(edit.text(), QStringLiteral("FF"));
    edit.SetValue(0);
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    edit.setText(QStringLiteral("ff"));
    EXPECT_EQ(edit.Value(), 255);
    edit.SetMinValue(16);
    edit.SetMaxValue(4096);
    edit.setText(QStringLiteral("xyz"));
    EXPECT_EQ(edit.Value(), 16);
    edit.setText(QStringLiteral("0x1F")); // no prefix is part of the form
    EXPECT_EQ(edit.Value(), 16);
}

TEST(SpinEdit, FloatUsesTheLocaleSeparatorBothWays)
{
    {
        LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
        TMySpinEdit edit;
        edit.SetValueType(vtFloat);
        edit.SetValue(2.5);
        EXPECT_EQ(edit.text(), QStringLiteral("2,50"));
        edit.setText(QStringLiteral("3,25"));
        EXPECT_DOUBLE_EQ(edit.Value(), 3.25);
        edit.SetValue(12345.5);
        EXPECT_EQ(edit.text(), QStringLiteral("12345,50")); // no group separator
        edit.SetDecimal(1);
        EXPECT_EQ(edit.text(), QStringLiteral("12345,5"));
    }
    LocaleScope c(QLocale::c());
    TMySpinEdit edit;
    edit.SetValueType(vtFloat);
    edit.SetValue(2.5);
    EXPECT_EQ(edit.text(), QStringLiteral("2.50"));
}

TEST(SpinEdit, IntegerTextRoundsHalvesToEven)
{
    TMySpinEdit edit;
    const std::pair<double, const char*> cases[] = {{2.5, "2"}, {3.5, "4"}, {-2.5, "-2"}, {2.6, "3"}, {-0.4, "0"}};
    for (const auto& [value, text] : cases) {
        edit.SetValue(value);
        EXPECT_EQ(edit.text(), QLatin1String(text)) << value;
    }
}

TEST(SpinEdit, SwitchingToAnIntegerTypeRoundsTheIncrement)
{
    const std::pair<double, double> cases[] = {{0.4, 1.0}, {2.5, 2.0}, {3.5, 4.0}, {0.0, 1.0}};
    for (const auto& [increment, expected] : cases) {
        TMySpinEdit edit;
        edit.SetValueType(vtFloat);
        edit.SetIncrement(increment);
        edit.SetValueType(vtHex);
        EXPECT_EQ(edit.Increment(), expected) << increment;
    }
    TMySpinEdit edit;
    edit.SetValueType(vtFloat);
    edit.SetValue(26.0);
    edit.SetValueType(vtHex);
    EXPECT_EQ(edit.text(), QStringLiteral("1A")); // text rewritten in the new form
}

struct KeyCase {
    TValueType type;
    bool editorEnabled;
    const char* text; // text already in the edit
    QChar typed;
    bool accepted;
};

void PrintTo(const KeyCase& k, std::ostream* os)
{
    *os << "type " << k.type << (k.editorEnabled ? "" : " editor off") << " text " << k.text << " char "
        << int(k.typed.unicode());
}

class SpinEditKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SpinEditKeys, AcceptsOnlyTheCharactersOfItsValueType)
{
    LocaleScope c(QLocale::c());
    const KeyCase& k = GetParam();
    TMySpinEdit edit;
    edit.SetValueType(k.type);
    edit.SetEditorEnabled(k.editorEnabled);
    edit.setText(QLatin1String(k.text));
    EXPECT_EQ(edit.IsValidChar(k.typed), k.accepted) << "typed " << int(k.typed.unicode()) << " into " << k.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpinEditKeys,
    ::testing::Values(
        KeyCase{vtInteger, true, "1", QChar('7'), true}, KeyCase{vtInteger, true, "1", QChar('-'), true},
        KeyCase{vtInteger, true, "1", QChar('+'), true}, KeyCase{vtInteger, true, "1", QChar('.'), false},
        KeyCase{vtInteger, true, "1", QChar('a'), false}, KeyCase{vtInteger, true, "1", QChar('e'), false},
        KeyCase{vtInteger, true, "1", QChar(' '), false}, KeyCase{vtInteger, true, "1", QChar('\b'), true},
        KeyCase{vtInteger, true, "1", QChar(1), true}, KeyCase{vtFloat, true, "1", QChar('.'), true},
        KeyCase{vtFloat, true, "1.5", QChar('.'), false}, KeyCase{vtFloat, true, "1", QChar(','), false},
        KeyCase{vtFloat, true, "1", QChar('E'), true}, KeyCase{vtFloat, true, "1e5", QChar('E'), false},
        KeyCase{vtFloat, true, "1E5", QChar('e'), false}, KeyCase{vtFloat, true, "1", QChar('a'), false},
        KeyCase{vtHex, true, "1", QChar('a'), true}, KeyCase{vtHex, true, "1", QChar('F'), true},
        KeyCase{vtHex, true, "1", QChar('g'), false}, KeyCase{vtHex, true, "1", QChar('.'), false},
        KeyCase{vtInteger, false, "1", QChar('7'), false}, KeyCase{vtInteger, false, "1", QChar('\b'), false},
        KeyCase{vtInteger, false, "1", QChar(1), true}, KeyCase{vtHex, false, "1", QChar('a'), false}),
    PrintedParamName());

TEST(SpinEdit, RefusedKeysDoNotReachTheText)
{
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    TMySpinEdit edit;
    edit.SetValueType(vtFloat);
    edit.setText(QString());
    QTest::keyClicks(&edit, QStringLiteral("1,2,3x.5"));
    EXPECT_EQ(edit.text(), QStringLiteral("1,235"));
}

TEST(SpinEdit, EditorDisabledRefusesTypingAndPasteButStillSteps)
{
    TMySpinEdit edit;
    edit.SetEditorEnabled(false);
    edit.SetValue(5);
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("12"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QApplication::clipboard()->setText(QStringLiteral("77"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), QStringLiteral("6"));
}

TEST(SpinEdit, ArrowKeysStepByTheIncrementOnlyWhenOn)
{
    TMySpinEdit edit;
    edit.SetIncrement(5);
    QSignalSpy top(&edit, &TMySpinEdit::TopClick);
    QSignalSpy bottom(&edit, &TMySpinEdit::BottomClick);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    EXPECT_EQ(top.count(), 2);
    EXPECT_EQ(bottom.count(), 1);
    edit.SetArrowKeys(false);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
}

TEST(SpinEdit, StepRaisesOneChangeOnlyWhenTheTextChanges)
{
    TMySpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(2);
    edit.SetValue(1);
    edit.setModified(false);
    QSignalSpy changed(&edit, &QLineEdit::textChanged);
    QSignalSpy top(&edit, &TMySpinEdit::TopClick);
    edit.UpClick();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(edit.isModified());
    edit.UpClick(); // at the limit: the text stays "2"
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(top.count(), 2);
}

TEST(SpinEdit, ReadOnlyStepsNothing)
{
    TMySpinEdit edit;
    edit.setReadOnly(true);
    QSignalSpy top(&edit, &TMySpinEdit::TopClick);
    edit.UpClick();
    edit.DownClick();
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    EXPECT_EQ(top.count(), 0);
}

TEST(SpinEdit, ButtonKindsAndLayout)
{
    TMySpinEdit edit;
    edit.resize(80, 24);
    auto* diagonal = qobject_cast<TMySpinButton*>(edit.Button());
    ASSERT_NE(diagonal, nullptr);
    EXPECT_EQ(diagonal->FocusControl(), &edit);
    EXPECT_EQ(diagonal->width(), diagonal->height()); // square
    EXPECT_EQ(edit.textMargins().right(), diagonal->width() + 2);

    edit.SetButtonKind(bkStandard);
    auto* upDown = qobject_cast<TSpinUpDown*>(edit.Button());
    ASSERT_NE(upDown, nullptr);
    EXPECT_LE(upDown->width(), 15);
    EXPECT_EQ(upDown->Position(), 0);
    upDown->findChild<QToolButton*>(QStringLiteral("btnNext"))->click();
    upDown->findChild<QToolButton*>(QStringLiteral("btnNext"))->click();
    upDown->findChild<QToolButton*>(QStringLiteral("btnPrev"))->click();
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    EXPECT_EQ(upDown->Position(), 0);

    edit.resize(80, 2);
    EXPECT_GE(edit.height(), 4 + edit.fontMetrics().height() + 1);
}

} // namespace
