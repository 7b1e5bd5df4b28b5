#include "app/dialogs/RenameDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/ModalResult.h"
#include "app/lang/FormLanguage.h"

TfrmRename::TfrmRename(QWidget* mainWindow) : TModalDialog(mainWindow)
{
    BuildWidgets();
    // The form's language controller binds here, taking the built-in texts.
    BindFormLanguage(this);
}

void TfrmRename::BuildWidgets()
{
    setObjectName(QStringLiteral("frmRename"));
    setWindowTitle(QStringLiteral("Rename"));

    Label1 = new QLabel(QStringLiteral("New name"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    edFileName = new QLineEdit(this);
    edFileName->setObjectName(QStringLiteral("edFileName"));
    edFileName->setMinimumWidth(360);
    Label1->setBuddy(edFileName);

    QHBoxLayout* buttons = MakeOkCancelRow(OKBtn, CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(edFileName);
    layout->addLayout(buttons);
}
