// The program options the settings dialog shows, their effects, the mask
// preview and the default-folder browser.
#include <QComboBox>
#include <QLineEdit>
#include <cmath>
#include <optional>

#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/SettingsOptionEffects.h"
#include "app/services/FileDialogs.h"
#include "audio/FileNameMask.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"
#include "ui_RecSettingsDialog.h"

void TfrmRecSettings::cbFNMaskChange()
{
    const QString extra = LangConst(QStringLiteral("OutcomingCallStr")) + QLatin1Char(' ') +
                          LangConst(QStringLiteral("TelNumberStr")) + QStringLiteral("1234567 ");
    ui->lbExRes->setText(
        LangConst(QStringLiteral("ExampResStr")) + QLatin1Char(' ') +
        ExpandFileNameMask(ui->cbFNMask->currentText(), m_clock(), QStringLiteral("SN123OCV345"), 1, -1, extra));
}

void TfrmRecSettings::btnBrowseClick()
{
    TFileDialogRequest request;
    request.Kind = TFileDialogRequest::TKind::Folder;
    request.Title = LangConst(QStringLiteral("SelectDefFolderStr"));
    request.StartFolder = ui->edDefFolder->text();
    request.Position = mapToGlobal(QPoint(width() / 2, height() / 2));
    const std::optional<QString> folder = AppFileDialog(this, request);
    if (folder && !folder->isEmpty())
        ui->edDefFolder->setText(*folder);
}

void TfrmRecSettings::ShowProgramOptions(const TProgramOptions& options)
{
    ui->cbHideSplitting->setChecked(options.HideSplitting);
    ui->cbHideMaskEdit->setChecked(options.HideMaskEdit);
    ui->cbSimpleVas->setChecked(options.SimpleVasSetup);
    ui->cbSimpleQuality->setChecked(options.SimpleQualitySetup);
    ui->cbDisableFlash->setChecked(options.DisableFlashDrive);
    ui->cbHideFlash->setChecked(options.HideFlashDrive);
    ui->cbDisableEditor->setChecked(options.DisableEditor);
    ui->cbHideEditor->setChecked(options.HideEditor);
    ui->cbShowParts->setChecked(options.ShowVoiceParts);
    ui->cbSkipSilence->setChecked(options.SkipSilence);
    ui->cbAutoDel->setChecked(options.AutoDelete);
    ui->cbNonDownOnly->setChecked(options.NonDownOnly);
    ui->cbAutoDownload->setChecked(options.AutoDownload);
    ui->cbSync->setChecked(options.SyncTime);
    ShowSpin(ui->rxsePartSize, static_cast<double>(options.MaxOutputSize), options.MaxOutputSize);
    ui->cbSplit->setChecked(options.Split);
    ui->cbFNMask->setEditText(options.FileNameMask);
    ui->edDefFolder->setText(options.DefFolder);
    ui->cbDisErase->setChecked(options.NonSavedEraseDisable);
    ui->cbHideExpert->setChecked(options.HideExpert);
    ui->cbHideAdvExpert->setChecked(options.HideAdvExpert);
    ui->cbAonOnly->setChecked(options.AonOnly);
    ui->cbDialect->setChecked(options.DialectFormat);
    // A box that kept its state sent no signal.
    RunOptionEffects();
    cbFNMaskChange();
}

bool TfrmRecSettings::ReadProgramOptions(TProgramOptions& options)
{
    options.HideSplitting = ui->cbHideSplitting->isChecked();
    options.HideMaskEdit = ui->cbHideMaskEdit->isChecked();
    options.SimpleVasSetup = ui->cbSimpleVas->isChecked();
    options.SimpleQualitySetup = ui->cbSimpleQuality->isChecked();
    options.DisableFlashDrive = ui->cbDisableFlash->isChecked();
    options.HideFlashDrive = ui->cbHideFlash->isChecked();
    options.DisableEditor = ui->cbDisableEditor->isChecked();
    options.HideEditor = ui->cbHideEditor->isChecked();
    const bool showPartsChanged = options.ShowVoiceParts != ui->cbShowParts->isChecked();
    options.ShowVoiceParts = ui->cbShowParts->isChecked();
    options.SkipSilence = ui->cbSkipSilence->isChecked();
    options.AutoDelete = ui->cbAutoDel->isChecked();
    options.NonDownOnly = ui->cbNonDownOnly->isChecked();
    options.AutoDownload = ui->cbAutoDownload->isChecked();
    options.SyncTime = ui->cbSync->isChecked();
    options.MaxOutputSize =
        SpinField(ui->rxsePartSize, static_cast<std::int64_t>(std::trunc(ui->rxsePartSize->Value())));
    options.Split = ui->cbSplit->isChecked();
    options.FileNameMask = ui->cbFNMask->currentText();
    options.DefFolder = ui->edDefFolder->text();
    options.NonSavedEraseDisable = ui->cbDisErase->isChecked();
    options.HideExpert = ui->cbHideExpert->isChecked();
    options.HideAdvExpert = ui->cbHideAdvExpert->isChecked();
    options.AonOnly = ui->cbAonOnly->isChecked();
    options.DialectFormat = ui->cbDialect->isChecked();
    return showPartsChanged;
}

bool TfrmRecSettings::Execute(TProgramOptions& options)
{
    ShowProgramOptions(options);
    actRestoreExecute();
    exec();
    return ReadProgramOptions(options);
}

void TfrmRecSettings::RunOptionEffects()
{
    SimpleQualityClick();
    SimpleVasClick();
    HideMaskSplitClick();
    HideExpertClick();
    HideAdvExpertClick();
    HideEditorClick();
    FlashClick();
}

void TfrmRecSettings::SimpleQualityClick()
{
    const bool simple = ui->cbSimpleQuality->isChecked();
    ui->gbCompression->setVisible(!simple);
    ui->gbBitRate->setVisible(!simple);
    ui->gbQuality->setVisible(simple);
}

void TfrmRecSettings::SimpleVasClick()
{
    ui->pnlVAS->setVisible(!ui->cbSimpleVas->isChecked());
}

// The splitting group follows the mask group, or takes its place.
void TfrmRecSettings::HideMaskSplitClick()
{
    ui->gbFNMask->setVisible(!ui->cbHideMaskEdit->isChecked());
    ui->gbSplitting->setVisible(!ui->cbHideSplitting->isChecked());
}

void TfrmRecSettings::HideExpertClick()
{
    const bool hide = ui->cbHideExpert->isChecked();
    ShowPage(ui->tsExpert, !hide);
    ui->cbHideAdvExpert->setEnabled(!hide);
}

void TfrmRecSettings::HideAdvExpertClick()
{
    ui->gbAdvancedAON->setVisible(!ui->cbHideAdvExpert->isChecked());
}

void TfrmRecSettings::HideEditorClick()
{
    const bool hide = ui->cbHideEditor->isChecked();
    ui->cbDisableEditor->setEnabled(!hide);
    if (m_effects)
        m_effects->SetCopySelPartHidden(hide);
}

void TfrmRecSettings::FlashClick()
{
    const bool hide = ui->cbHideFlash->isChecked();
    ui->cbDisableFlash->setEnabled(!hide);
    if (m_effects)
        m_effects->SetFlashDriveOptions(ui->cbDisableFlash->isChecked(), hide);
}
