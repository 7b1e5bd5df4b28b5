#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/dialogs/FmtChooseDialog.h"
#include "app/dialogs/ModalResult.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/support/ParamName.h"

namespace {

TEST(FmtChooseDialog, StartsWithNoCompressAndScaleSixteenEnabledOnlyForULaw)
{
    TfrmFmtChoose dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmFmtChoose"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Choose compress method"));
    EXPECT_TRUE(dialog.rbNoCompress->isChecked());
    EXPECT_EQ(dialog.cbScale->currentText(), QStringLiteral("16"));
    EXPECT_EQ(dialog.cbScale->count(), 5);
    EXPECT_FALSE(dialog.cbScale->isEnabled());
    dialog.rbuLaw->click();
    EXPECT_TRUE(dialog.cbScale->isEnabled());
    EXPECT_TRUE(dialog.Label2->isEnabled());
    dialog.rbADPCM4->click();
    EXPECT_FALSE(dialog.cbScale->isEnabled());
    EXPECT_FALSE(dialog.Label2->isEnabled());
}

struct ChoiceCase {
    const char* radio; // object name, or "" to keep the start state
    int scaleIndex;
    const char* button;
    bool chosen;
    int compress, param; // after the dialog; the codes come in as 9 and 9
};

void PrintTo(const ChoiceCase& c, std::ostream* os)
{
    *os << (*c.radio ? c.radio : "start") << " scale " << c.scaleIndex << " " << c.button;
}

class FmtChooseChoices : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FmtChooseChoices, GiveTheUploadCodes)
{
    const ChoiceCase& c = GetParam();
    WhenModalShown(QStringLiteral("frmFmtChoose"), [&](QWidget* modal) {
        auto* dialog = static_cast<TfrmFmtChoose*>(modal);
        if (*c.radio)
            dialog->findChild<QRadioButton*>(QLatin1String(c.radio))->click();
        if (c.scaleIndex >= 0)
            dialog->cbScale->setCurrentIndex(c.scaleIndex);
        if (QLatin1String(c.button) == QLatin1String("Escape"))
            QTest::keyClick(dialog, Qt::Key_Escape);
        else if (QLatin1String(c.button) == QLatin1String("Close"))
            dialog->close();
        else
            dialog->findChild<QPushButton*>(QLatin1String(c.button))->click();
    });
    std::uint8_t compress = 9, param = 9;
    EXPECT_EQ(ChooseUploadFormat(nullptr, compress, param), c.chosen);
    EXPECT_EQ(compress, c.compress);
    EXPECT_EQ(param, c.param);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FmtChooseChoices,
    ::testing::Values(ChoiceCase{"", -1, "OKBtn", true, 0, 9}, // parameter left as it was
                      ChoiceCase{"rbADPCM2", -1, "OKBtn", true, 2, 1}, ChoiceCase{"rbADPCM4", -1, "OKBtn", true, 2, 2},
                      ChoiceCase{"rbuLaw", -1, "OKBtn", true, 1, 4}, ChoiceCase{"rbuLaw", 0, "OKBtn", true, 1, 0},
                      ChoiceCase{"rbuLaw", 2, "OKBtn", true, 1, 2}, ChoiceCase{"rbuLaw", 2, "CancelBtn", false, 9, 9},
                      ChoiceCase{"rbADPCM2", -1, "Escape", false, 9, 9},
                      ChoiceCase{"rbADPCM4", -1, "Close", false, 9, 9}),
    PrintedParamName());

TEST(FmtChooseDialog, EscapeAndTheCloseBoxFinishWithCancel)
{
    TfrmFmtChoose dialog;
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), mrCancel);
    dialog.show();
    dialog.setResult(mrNone);
    dialog.close();
    EXPECT_EQ(dialog.result(), mrCancel);
}

} // namespace
