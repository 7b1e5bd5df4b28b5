#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/dialogs/ModalDialog.h"
#include "app/services/FileDialogs.h"
#include "core/flash/CodecTable.h"
#include "core/settings/RecorderSettings.h"
#include "platform/SystemTime.h"

namespace Ui {
class frmRecSettings;
}
class QLabel;
class TMySpinEdit;
class TStoredValueMarker;
class TPasswordDlg;
class TRecorderSettingsModel;
class TSettingsOptionEffects;
struct TAonControls;
struct TProgramOptions;

// The recorder settings dialog: edits a working copy of the connected
// recorder's settings record, which reaches the recorder only by Store, and
// the program options it shows. It exists for the whole run and reaches the
// recorder's settings through the model alone.
class TfrmRecSettings : public TModalDialog {
    Q_OBJECT
public:
    explicit TfrmRecSettings(QWidget* mainWindow = nullptr);
    ~TfrmRecSettings() override;

    // The connected recorder's settings (not owned; null: no recorder, and
    // every action does nothing). Reloads the controls.
    void SetModel(TRecorderSettingsModel* model);
    TRecorderSettingsModel* Model() const { return m_model; }
    // Asks for the new password again before Store (not owned).
    void SetPasswordDialog(TPasswordDlg* dialog) { m_passwordDlg = dialog; }
    void SetOptionEffects(TSettingsOptionEffects* effects) { m_effects = effects; }
    // The mask preview's "now" (tests fix it).
    void SetClock(std::function<SYSTEMTIME()> clock);

    // Reloads the controls from the model: after every read of the
    // recorder's settings.
    void RestoreControls() { actRestoreExecute(); }
    // The working copy.
    const TRecorderSettings& EditedSettings() const { return m_settings; }
    void SetHiddenPageVisible(bool visible);
    bool HiddenPageVisible() const;

    // Captions of the compression controls and the scale list entries, as
    // they read now.
    QString CompressionCaption(TCompressionCaption which) const;
    QString ScaleCaption(int index) const;

    void ShowProgramOptions(const TProgramOptions& options);
    // True when ShowVoiceParts changed.
    bool ReadProgramOptions(TProgramOptions& options);
    // The dialog as the main window runs it: options shown, settings
    // restored, modal, options read back however it closed. True when
    // ShowVoiceParts changed.
    bool Execute(TProgramOptions& options);

    void ControlsToSettings(TRecorderSettings& settings);
    void SettingsToControls(const TRecorderSettings& settings);

    void actRestoreExecute();
    // A failure of the recorder leaves the working copy as the user left it
    // and raises.
    void actStoreExecute();
    void actSaveToFileExecute();
    void actLoadFromFileExecute();
    void edPasswordEnter();
    void edPasswordExit();
    void cbQualityChange(int index);
    void cbVasPresetChange(int index);
    void cbFNMaskChange();
    void btnBrowseClick();

    bool PasswordChanged() const { return m_passwordChanged; }
    bool SettingsEdited() const { return m_settingsEdited; }
    // The profile tab shown (-1: none yet).
    int ShownTab() const { return m_shownTab; }
    // The marker beside a spin whose stored field lies outside its range
    // (null before the spin was first loaded).
    QLabel* StoredValueMarker(const TMySpinEdit* spin) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A profile file to save into or load from, asked through the file-dialog service.
    std::optional<QString> AskProfileFile(TFileDialogRequest::TKind kind);
    void SetupControls();
    void Wire();
    // A page not shown has no tab that any key, click or call can select.
    void ShowPage(QWidget* page, bool shown);
    bool PageShown(int index) const;
    void SelectTab(int index);
    void TabChange(int index);
    void CompressionClick();
    void DetectTypeChange();
    // The codec gains and external devices, from the translated constants.
    void FillConstantItems();
    void FillPresetLists(const TRecorderSettings& settings);
    TAonControls AonControls() const;
    void ShowAonControls(const TAonControls& controls);
    QString CurrentPassword() const;
    TRecorderSettings PresetScratch();
    // Option effects.
    void SimpleQualityClick();
    void SimpleVasClick();
    void HideMaskSplitClick();
    void HideExpertClick();
    void HideAdvExpertClick();
    void HideEditorClick();
    void FlashClick();
    void RunOptionEffects();
    template <typename TWork> void Guarded(TWork&& work);

    static constexpr int kProfileCount = static_cast<int>(TRecorderSettings::kProfileCount);

    std::unique_ptr<Ui::frmRecSettings> ui;
    bool m_passwordChanged = false;
    bool m_settingsEdited = false;
    QString m_newPassword;
    TRecorderSettingsModel* m_model = nullptr;
    TRecorderSettings m_settings{};
    bool m_loading = false;
    bool m_inCompressionClick = false;
    int m_shownTab = -1;
    // A spin loaded with a field's value: while it shows what it was given,
    // the field keeps the value, which the spin's limits or whole units may
    // not give back.
    struct TLoadedSpin {
        double Shown = 0;
        std::int64_t Field = 0;
    };
    void ShowSpin(TMySpinEdit* spin, double value, std::int64_t field);
    std::int64_t SpinField(const TMySpinEdit* spin, std::int64_t edited) const;
    std::map<const TMySpinEdit*, TLoadedSpin> m_loadedSpins;
    std::map<const TMySpinEdit*, TStoredValueMarker*> m_markers;
    TPasswordDlg* m_passwordDlg = nullptr;
    TSettingsOptionEffects* m_effects = nullptr;
    std::function<SYSTEMTIME()> m_clock;
};
