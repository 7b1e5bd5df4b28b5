#include "app/dialogs/RecSettingsDialog.h"

#include <algorithm>
#include <optional>

#include "app/services/FileDialogs.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/RecorderPresets.h"
#include "localizer/LangConst.h"
#include "ui_RecSettingsDialog.h"

// The settings dialog's quality and VAS presets and its profile files.

namespace {

constexpr int kProfileCount = static_cast<int>(TRecorderSettings::kProfileCount);

// The default extension of a filter: its first pattern without "*.".
QString DefaultSuffix(const QString& filter)
{
    QString pattern = filter.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0);
    if (pattern.startsWith(QStringLiteral("*.")))
        pattern.remove(0, 2);
    return pattern;
}

}  // namespace

void TfrmRecSettings::FillPresetLists(const TRecorderSettings& settings)
{
    ui->cbQuality->clear();
    ui->cbVasPreset->clear();
    if (!m_model)
        return;
    const TQualityPresetList& quality = m_model->QualityPresets();
    for (int i = 0; i < quality.Count(); ++i)
        ui->cbQuality->addItem(quality.Item(i)->Name);
    const TRecordProfile& profile =
        settings.Profiles[std::min<std::size_t>(settings.CurrentProfile, kProfileCount - 1)];
    ui->cbQuality->setCurrentIndex(FindQualityPreset(quality, profile));
    const TVasPresetList& vas = m_model->VasPresets();
    for (int i = 0; i < vas.Count(); ++i)
        ui->cbVasPreset->addItem(vas.Item(i)->Name);
    ui->cbVasPreset->setCurrentIndex(FindVasPreset(vas, settings.Vas));
}

std::optional<QString> TfrmRecSettings::AskProfileFile(TFileDialogRequest::TKind kind)
{
    TFileDialogRequest request;
    request.Kind = kind;
    request.Filter = LangConst(QStringLiteral("RecProfileFileFilterStr"));
    request.DefaultSuffix = DefaultSuffix(request.Filter);
    request.StartFolder = GetProgramFolder();
    return AppFileDialog(this, request);
}

void TfrmRecSettings::actSaveToFileExecute()
{
    if (!m_model)
        return;
    const std::optional<QString> file = AskProfileFile(TFileDialogRequest::TKind::Save);
    if (!file)
        return;
    ControlsToSettings(m_settings);
    SaveProfileFile(m_model->ModelText(), *file, m_settings);
}

void TfrmRecSettings::actLoadFromFileExecute()
{
    if (!m_model)
        return;
    const std::optional<QString> file = AskProfileFile(TFileDialogRequest::TKind::Open);
    if (!file)
        return;
    // The edits so far stay, whatever the file says.
    ControlsToSettings(m_settings);
    LoadProfileFile(m_model->ModelText(), *file, m_settings);
    SelectTab(std::min<int>(m_settings.CurrentProfile, kProfileCount - 1));
    SettingsToControls(m_settings);
}

// The recorder's record with the controls over it, showing the tab shown.
TRecorderSettings TfrmRecSettings::PresetScratch()
{
    TRecorderSettings scratch = m_model->Settings();
    scratch.CurrentProfile = m_settings.CurrentProfile;
    ControlsToSettings(scratch);
    return scratch;
}

void TfrmRecSettings::cbQualityChange(int index)
{
    if (!m_model || index < 0 || index >= m_model->QualityPresets().Count())
        return;
    const TQualityPreset& preset = *m_model->QualityPresets().Item(index);
    TRecorderSettings scratch = PresetScratch();
    TRecordProfile& profile = scratch.Profiles[std::min<std::size_t>(scratch.CurrentProfile, kProfileCount - 1)];
    profile.SampleRate = preset.BitRate;
    profile.Compress = preset.Compress;
    profile.CompressParam = preset.CompressParam;
    SettingsToControls(scratch);
}

void TfrmRecSettings::cbVasPresetChange(int index)
{
    if (!m_model || index < 0 || index >= m_model->VasPresets().Count())
        return;
    TRecorderSettings scratch = PresetScratch();
    scratch.Vas = m_model->VasPresets().Item(index)->Params;
    SettingsToControls(scratch);
}
