#include "ModalDialog.h"

#include <QAbstractButton>

#include "ModalResult.h"

TModalDialog::TModalDialog(QWidget* parent) : QDialog(parent) {}

void TModalDialog::reject()
{
    done(mrCancel);
}

void TModalDialog::SetModalResult(QAbstractButton* button, int result)
{
    connect(button, &QAbstractButton::clicked, this, [this, result] { done(result); });
}
