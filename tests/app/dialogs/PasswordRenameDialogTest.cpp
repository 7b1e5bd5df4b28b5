#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <deque>
#include <optional>
#include <vector>

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
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), dialog.Password);
    dialog.OKBtn->click();
    EXPECT_EQ(dialog.result(), mrOk);
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), mrCancel);
}

// The answerer stands in for the user: the prompt is shown, the edit starts
// empty, and the answer goes through the edit as typed text would.
TEST(PasswordDialog, AskIsAnsweredThroughTheAnswerer)
{
    TPasswordDlg dialog;
    dialog.Password->setText(QStringLiteral("stale"));
    std::vector<QString> prompts;
    std::vector<QString> editAtAsk;
    std::deque<std::optional<QString>> answers{QStringLiteral("123456789"), std::nullopt, QString()};
    dialog.SetAnswerer([&](const QString& prompt) {
        prompts.push_back(prompt);
        editAtAsk.push_back(dialog.Password->text());
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    });
    EXPECT_EQ(dialog.Ask(QStringLiteral("Enter password:")), QStringLiteral("1234567"));
    EXPECT_EQ(dialog.Label1->text(), QStringLiteral("Enter password:"));
    EXPECT_EQ(dialog.Ask(QStringLiteral("Again:")), std::nullopt);
    EXPECT_EQ(dialog.Ask(QStringLiteral("Once more:")), QString()) << "an empty password is an answer";
    EXPECT_EQ(prompts, (std::vector<QString>{"Enter password:", "Again:", "Once more:"}));
    EXPECT_EQ(editAtAsk, (std::vector<QString>{"", "", ""}));
    EXPECT_FALSE(dialog.isVisible());
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
