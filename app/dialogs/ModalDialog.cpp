#include "app/dialogs/ModalDialog.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPushButton>
#include <QWindow>

#include "app/dialogs/ModalResult.h"
#include "app/services/WindowsOnTop.h"

TModalDialog::TModalDialog(QWidget* parent) : QDialog(parent) {}

void TModalDialog::reject()
{
    done(mrCancel);
}

void TModalDialog::showEvent(QShowEvent* event)
{
    // Asked while the progress window is up, the dialog goes on top of it.
    QWidget* owner = parentWidget() ? UppermostWindowOver(parentWidget(), this) : nullptr;
    if (owner && owner != parentWidget()->window() && windowHandle() && owner->windowHandle())
        windowHandle()->setTransientParent(owner->windowHandle());
    QDialog::showEvent(event);
}

void TModalDialog::SetModalResult(QAbstractButton* button, int result)
{
    connect(button, &QAbstractButton::clicked, this, [this, result] { done(result); });
}

QHBoxLayout* TModalDialog::MakeOkCancelRow(QPushButton*& ok, QPushButton*& cancel)
{
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    SetModalResult(ok, mrOk);
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    SetModalResult(cancel, mrCancel);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}
