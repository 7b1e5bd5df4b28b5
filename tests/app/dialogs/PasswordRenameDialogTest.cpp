#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>

#include "app/dialogs/ModalResult.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RenameDialog.h"
#include "tests/app/ModalDialogRunner.h"

namespace {

TEST(PasswordDialog, ShowsTypedCharactersAsPlusAndTakesSeven)
{
    TPasswordDlg dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("PasswordDlg"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Password Dialog"));
    EXPECT_EQ(dialog.Password->maxLength(), 7);
    EXPECT_EQ(dialog.Password->echoMode(), QLineEdit::Password);
    QStyleOptionFrame option;
    option.initFrom(dialog.Password);
    EXPECT_EQ(dialog.Password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option, dialog.Password),
              int('+'));
    QTest::keyClicks(dialog.Password, QStringLiteral("123456789"));
    EXPECT_EQ(dialog.Password->text(), QStringLiteral("1234567"));
    EXPECT_EQ(dialog.Password->displayText(), QString(7, QLatin1Char('+')));
}

TEST(PasswordDialog, ShowingFocusesTheEditAndTheButtonsGiveTheirResults)
{
    TPasswordDlg dialog;
    WhenModalShown(QStringLiteral("PasswordDlg"), [](QWidget* modal) {
        auto* dialog = static_cast<TPasswordDlg*>(modal);
        EXPECT_EQ(dialog->focusWidget(), dialog->Password);
        dialog->Password->setText(QStringLiteral("secret"));
        dialog->OKBtn->click();
    });
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_EQ(dialog.Password->text(), QStringLiteral("secret"));
    WhenModalShown(QStringLiteral("PasswordDlg"), [](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(dialog.exec(), mrCancel);
}

TEST(RenameDialog, OkGivesTheEditedNameAndCancelGivesCancel)
{
    TfrmRename dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmRename"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Rename"));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("New name"));
    dialog.edFileName->setText(QStringLiteral("old.wav"));
    WhenModalShown(QStringLiteral("frmRename"), [](QWidget* modal) {
        auto* dialog = static_cast<TfrmRename*>(modal);
        dialog->edFileName->setText(QStringLiteral("new.wav"));
        dialog->OKBtn->click();
    });
    EXPECT_EQ(dialog.exec(), mrOk);
    EXPECT_EQ(dialog.edFileName->text(), QStringLiteral("new.wav"));
    WhenModalShown(QStringLiteral("frmRename"),
                   [](QWidget* modal) { static_cast<TfrmRename*>(modal)->CancelBtn->click(); });
    EXPECT_EQ(dialog.exec(), mrCancel);
    WhenModalShown(QStringLiteral("frmRename"), [](QWidget* modal) { modal->close(); });
    EXPECT_EQ(dialog.exec(), mrCancel);
}

} // namespace
