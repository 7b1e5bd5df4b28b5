#include "app/dialogs/PasswordDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/ModalResult.h"
#include "app/lang/FormLanguage.h"

TPasswordDlg::TPasswordDlg(QWidget* mainWindow) : TModalDialog(mainWindow)
{
    BuildWidgets();
    // The form's language controller binds here, taking the built-in texts.
    BindFormLanguage(this);
}

void TPasswordDlg::BuildWidgets()
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("Password Dialog"));

    Label1 =
        new QLabel(QStringLiteral("You have changed Sequrity settings. \r\nEnter password to apply settings:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setMaxLength(7);
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 43; }")); // "+"
    Label1->setBuddy(Password);

    QHBoxLayout* buttons = MakeOkCancelRow(OKBtn, CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Password);
    layout->addLayout(buttons);
    Password->setMinimumWidth(260);
}

std::optional<QString> TPasswordDlg::Ask(const QString& prompt)
{
    Label1->setText(prompt);
    Password->clear();
    if (m_answerer) {
        const std::optional<QString> answer = m_answerer(prompt);
        if (!answer)
            return std::nullopt;
        Password->setText(*answer);
    } else if (exec() != mrOk) {
        return std::nullopt;
    }
    return Password->text();
}

void TPasswordDlg::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    Password->setFocus(Qt::OtherFocusReason);
}
