#pragma once

#include "app/dialogs/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a new file name; callers fill and read edFileName.
class TfrmRename : public TModalDialog {
    Q_OBJECT
public:
    explicit TfrmRename(QWidget* mainWindow = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* edFileName = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void BuildWidgets();
};
