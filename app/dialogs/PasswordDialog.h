#pragma once

#include "app/dialogs/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a recorder password (at most 7 characters, shown as "+").
// Callers set Label1, empty Password, show it and read Password after OK.
class TPasswordDlg : public TModalDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* mainWindow = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Password = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();
};
