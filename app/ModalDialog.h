#pragma once

#include <QDialog>

class QAbstractButton;

// A dialog whose results keep the program's numbers: Escape and the close
// box finish with Cancel (2), never with Qt's 0.
class TModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit TModalDialog(QWidget* parent = nullptr);

    void reject() override;

protected:
    // A click on the button finishes the dialog with that result.
    void SetModalResult(QAbstractButton* button, int result);
};
