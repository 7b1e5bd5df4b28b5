#pragma once

#include "app/dialogs/ModalDialog.h"

class QFrame;
class QLabel;
class QPushButton;

// The about box: product name and version, filled when shown.
class TAboutBox : public TModalDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();
};
