#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "app/dialogs/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a recorder password (at most 7 characters, shown as "+").
class TPasswordDlg : public TModalDialog {
    Q_OBJECT
public:
    // Answers in place of the user (tests): the password typed, or nullopt
    // for Cancel.
    using TAnswerer = std::function<std::optional<QString>(const QString& prompt)>;

    explicit TPasswordDlg(QWidget* mainWindow = nullptr);

    // Shows prompt over an empty edit: the password after OK, nullopt after
    // Cancel, Escape or the close box. An installed answerer answers instead
    // of the user, its text going through the edit as typed text would.
    std::optional<QString> Ask(const QString& prompt);
    // Null: the dialog is shown again.
    void SetAnswerer(TAnswerer answerer) { m_answerer = std::move(answerer); }

    QLabel* Label1 = nullptr;
    QLineEdit* Password = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();

    TAnswerer m_answerer;
};
