#include "app/dialogs/FmtChooseDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/ModalResult.h"
#include "app/lang/FormLanguage.h"

TfrmFmtChoose::TfrmFmtChoose(QWidget* owner) : TModalDialog(owner)
{
    BuildWidgets();
    // The form's language controller binds here, taking the built-in texts.
    BindFormLanguage(this);
    FormCreate();
}

void TfrmFmtChoose::BuildWidgets()
{
    setObjectName(QStringLiteral("frmFmtChoose"));
    setWindowTitle(QStringLiteral("Choose compress method"));

    gbCompression = new QGroupBox(QStringLiteral("Compression"), this);
    gbCompression->setObjectName(QStringLiteral("gbCompression"));
    auto makeRadio = [this](const char* name, const char* text) {
        auto* radio = new QRadioButton(QLatin1String(text), gbCompression);
        radio->setObjectName(QLatin1String(name));
        connect(radio, &QRadioButton::clicked, this, &TfrmFmtChoose::RadioButtonClick);
        return radio;
    };
    rbNoCompress = makeRadio("rbNoCompress", "No compress");
    rbADPCM2 = makeRadio("rbADPCM2", "ADPCM 2 bit");
    rbADPCM4 = makeRadio("rbADPCM4", "ADPCM 4 bit");
    rbuLaw = makeRadio("rbuLaw", "uLaw");
    Label2 = new QLabel(QStringLiteral("Scale"), gbCompression);
    Label2->setObjectName(QStringLiteral("Label2"));
    cbScale = new QComboBox(gbCompression);
    cbScale->setObjectName(QStringLiteral("cbScale"));
    cbScale->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("8"), QStringLiteral("16")});
    cbScale->setCurrentIndex(4);
    Label2->setBuddy(cbScale);

    auto* scaleRow = new QHBoxLayout;
    scaleRow->addSpacing(20);
    scaleRow->addWidget(Label2);
    scaleRow->addWidget(cbScale);
    scaleRow->addStretch();
    auto* groupLayout = new QVBoxLayout(gbCompression);
    groupLayout->addWidget(rbNoCompress);
    groupLayout->addWidget(rbADPCM2);
    groupLayout->addWidget(rbADPCM4);
    groupLayout->addWidget(rbuLaw);
    groupLayout->addLayout(scaleRow);

    QHBoxLayout* buttons = MakeOkCancelRow(OKBtn, CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbCompression);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmFmtChoose::FormCreate()
{
    rbNoCompress->setChecked(true);
    RadioButtonClick();
}

void TfrmFmtChoose::RadioButtonClick()
{
    const bool scaled = rbuLaw->isChecked();
    Label2->setEnabled(scaled);
    cbScale->setEnabled(scaled);
}

void TfrmFmtChoose::ReadChoice(std::uint8_t& compress, std::uint8_t& param) const
{
    if (rbNoCompress->isChecked()) {
        compress = 0;
    } else if (rbADPCM2->isChecked()) {
        compress = 2;
        param = 1;
    } else if (rbADPCM4->isChecked()) {
        compress = 2;
        param = 2;
    } else if (rbuLaw->isChecked()) {
        compress = 1;
        param = static_cast<std::uint8_t>(qMax(0, cbScale->currentIndex()));
    }
}

bool ChooseUploadFormat(QWidget* owner, std::uint8_t& compress, std::uint8_t& param)
{
    TfrmFmtChoose dialog(owner);
    if (dialog.exec() != mrOk)
        return false;
    dialog.ReadChoice(compress, param);
    return true;
}
