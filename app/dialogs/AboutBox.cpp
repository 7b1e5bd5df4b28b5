#include "app/dialogs/AboutBox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/dialogs/ModalResult.h"
#include "app/lang/FormLanguage.h"
#include "app/services/ProgramVersion.h"
#include "localizer/LangConst.h"

TAboutBox::TAboutBox(QWidget* parent) : TModalDialog(parent)
{
    BuildWidgets();
    // The form's language controller binds here, taking the built-in texts.
    BindFormLanguage(this);
}

void TAboutBox::BuildWidgets()
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto makeLabel = [this](const char* name, const char* text) {
        auto* label = new QLabel(QLatin1String(text), Panel1);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    ProductName = makeLabel("ProductName", "Product Name");
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    ProductName->setFont(bold);
    // Filled on showing from the translated constant and the numbers.
    Version = makeLabel("Version", "");
    Copyright = makeLabel("Copyright", "PC software of the telephone-call voice recorder");
    Comments = makeLabel("Comments", "Downloads, uploads and settings of the recorder");
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(ProductName);
    panelLayout->addWidget(Version);
    panelLayout->addSpacing(8);
    panelLayout->addWidget(Copyright);
    panelLayout->addWidget(Comments);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    SetModalResult(OKButton, mrOk);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    ProductName->setText(LangConst(QStringLiteral("AppNameStr")));
    // The numbers are formatted alone: a translated text is never a format.
    Version->setText(LangConst(QStringLiteral("VersionStr")) + QLatin1Char(' ') + ProgramVersionText(kProgramVersion) +
                     QLatin1Char(' '));
    TModalDialog::showEvent(event);
    // Centred on the screen, not on the window that opened it.
    if (const QScreen* screen = this->screen()) {
        QRect area = frameGeometry();
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}
