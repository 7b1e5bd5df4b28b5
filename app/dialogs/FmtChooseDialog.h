#pragma once

#include <cstdint>

#include "app/dialogs/ModalDialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The compression choice for uploads: none, ADPCM 2 or 4 bit, or uLaw with
// a scale.
class TfrmFmtChoose : public TModalDialog {
    Q_OBJECT
public:
    explicit TfrmFmtChoose(QWidget* owner = nullptr);

    // The upload codes of the first checked choice: "No compress" sets the
    // kind 0 and leaves the parameter; ADPCM is kind 2 with 1 (2-bit) or
    // 2 (4-bit); uLaw is kind 1 with the scale's index.
    void ReadChoice(std::uint8_t& compress, std::uint8_t& param) const;

    QGroupBox* gbCompression = nullptr;
    QRadioButton* rbNoCompress = nullptr;
    QRadioButton* rbADPCM2 = nullptr;
    QRadioButton* rbADPCM4 = nullptr;
    QRadioButton* rbuLaw = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cbScale = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void BuildWidgets();
    void FormCreate();
    void RadioButtonClick();
};

// Shows the dialog modally over the owner: false on Cancel with the codes
// unchanged, true with the codes of the choice.
bool ChooseUploadFormat(QWidget* owner, std::uint8_t& compress, std::uint8_t& param);
