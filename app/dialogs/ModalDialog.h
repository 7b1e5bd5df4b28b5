#pragma once

#include <QDialog>

class QAbstractButton;
class QHBoxLayout;
class QPushButton;

// A dialog whose results keep the program's numbers: Escape and the close
// box finish with Cancel (2), never with Qt's 0. Shown while a modeless
// window (the progress window) is over its parent, it goes on top of that.
class TModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit TModalDialog(QWidget* parent = nullptr);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    // A click on the button finishes the dialog with that result.
    void SetModalResult(QAbstractButton* button, int result);
    // Makes the "OK" (default, result 1) and "Cancel" (result 2) buttons,
    // named OKBtn and CancelBtn, right-aligned in the returned row.
    QHBoxLayout* MakeOkCancelRow(QPushButton*& ok, QPushButton*& cancel);
};
