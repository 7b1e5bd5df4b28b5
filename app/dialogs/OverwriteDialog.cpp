#include "app/dialogs/OverwriteDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/ModalResult.h"
#include "app/dialogs/RenameDialog.h"
#include "app/lang/FormLanguage.h"
#include "app/services/ApplicationTitle.h"
#include "localizer/LangConst.h"

TfrmOverwrite::TfrmOverwrite(TfrmRename* renameDialog, QWidget* mainWindow)
    : TModalDialog(mainWindow), m_renameDialog(renameDialog)
{
    BuildWidgets();
    FormCreate();
    // The form's language controller binds after the creation code: the
    // caption it takes is the application title, which a switch then keeps.
    BindFormLanguage(this);
}

void TfrmOverwrite::BuildWidgets()
{
    setObjectName(QStringLiteral("frmOverwrite"));
    setWindowTitle(QStringLiteral("Overwrite confirm"));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(false);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Label1->setFixedHeight(2 * Label1->fontMetrics().lineSpacing() + 4);

    auto makeButton = [this](const char* name, const char* text, int result) {
        auto* button = new QPushButton(QLatin1String(text), this);
        button->setObjectName(QLatin1String(name));
        if (result != mrNone)
            SetModalResult(button, result);
        return button;
    };
    OverwriteBtn = makeButton("OverwriteBtn", "Overwrite", mrYes);
    OverwriteBtn->setDefault(true);
    Button1 = makeButton("Button1", "Overwrite All", mrYesToAll);
    RenameBtn = makeButton("RenameBtn", "Rename", mrNone);
    connect(RenameBtn, &QPushButton::clicked, this, &TfrmOverwrite::RenameBtnClick);
    SkipBtn = makeButton("SkipBtn", "Skip", mrNo);
    Button3 = makeButton("Button3", "Skip All", mrNoToAll);
    Button2 = makeButton("Button2", "Cancel", mrCancel);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {OverwriteBtn, Button1, RenameBtn, SkipBtn, Button3, Button2})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmOverwrite::FormCreate()
{
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(ApplicationTitle());
}

void TfrmOverwrite::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    ShowFileName();
    OverwriteBtn->setFocus(Qt::OtherFocusReason);
}

void TfrmOverwrite::ShowFileName()
{
    if (layout())
        layout()->activate();
    // The path loses its middle, never wraps beyond the label.
    const int width = qMax(0, Label1->width() - 10);
    const QString shortened = Label1->fontMetrics().elidedText(m_fileName, Qt::ElideMiddle, width);
    Label1->setText(LangConst(QStringLiteral("FileAlreadyExistsStr")) + QLatin1Char('\n') + shortened);
}

void TfrmOverwrite::RenameBtnClick()
{
    if (!m_renameDialog)
        return;
    m_renameDialog->edFileName->setText(m_fileName);
    m_renameDialog->edFileName->setFocus(Qt::OtherFocusReason);
    if (m_renameDialog->exec() != mrOk)
        return;
    const QString edited = m_renameDialog->edFileName->text().trimmed();
    if (edited.isEmpty())
        return;  // no name: the question stays
    m_fileName = QDir::isRelativePath(edited) ? QFileInfo(m_fileName).dir().filePath(edited) : edited;
    if (QFileInfo::exists(m_fileName)) {
        // The new name is taken too: ask again about that one.
        ShowFileName();
        OverwriteBtn->setFocus(Qt::OtherFocusReason);
        return;
    }
    done(mrYes);
}
