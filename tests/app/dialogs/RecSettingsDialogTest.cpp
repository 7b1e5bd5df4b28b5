// The settings dialog over a settings model in memory.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>

#include "app/dialogs/ModalResult.h"
#include "audio/FileNameMask.h"
#include "core/settings/ProgramOptions.h"
#include "tests/app/ModalDialogRunner.h"
#include "tests/app/dialogs/RecSettingsDialogFixture.h"
#include "widgets/MySpinEdit.h"

class RecSettingsDialogTest : public RecSettingsDialogFixture {
protected:
    void Open()
    {
        model.Record = RealisticSettings();
        dialog->SetModel(&model);
    }
    TRecordProfile& Shown(TRecorderSettings& settings) { return settings.Profiles[settings.CurrentProfile]; }

    FakeSettingsModel model;
};

TEST_F(RecSettingsDialogTest, RestoreShowsTheRecordAndHoldsWhatTheControlsShow)
{
    Open();
    EXPECT_EQ(dialog->EditedSettings(), model.Record) << "a record in range comes back as it was";
    EXPECT_EQ(dialog->ShownTab(), 2);
    EXPECT_EQ(W<QTabBar>("tcRecSet")->currentIndex(), 2);
    EXPECT_TRUE(W<QRadioButton>("rbSR16000")->isChecked());
    EXPECT_TRUE(W<QRadioButton>("rbNoCompress")->isChecked());
    EXPECT_TRUE(W<QCheckBox>("cbCyclicRec")->isChecked());
    EXPECT_EQ(W<TMySpinEdit>("rxseCycleLen")->Value(), 60);
    EXPECT_EQ(W<TMySpinEdit>("rxseT1")->Value(), 2.0);
    EXPECT_EQ(W<TMySpinEdit>("rxseX1")->Value(), -3);
    EXPECT_EQ(W<QComboBox>("cbExtDevice")->currentIndex(), 1);
    EXPECT_EQ(W<QComboBox>("cbCodecGain")->currentText(), QStringLiteral("20"));
    EXPECT_EQ(W<QComboBox>("cbAccessLevel")->currentText(), QStringLiteral("Middle"));
    EXPECT_EQ(W<QComboBox>("cbDetectType")->currentText(), QStringLiteral("Russian Caller ID"));
    EXPECT_EQ(W<QLabel>("lbMinRecTime")->text(), QStringLiteral("Recording time left: 00:30:00"));
    EXPECT_TRUE(W<QLineEdit>("edPassword")->text().isEmpty());
    EXPECT_EQ(W<QComboBox>("cbReqForms")->count(), 32);
    EXPECT_EQ(W<QComboBox>("cbReqForms")->itemText(2), QStringLiteral("DDDAD"));
}

TEST_F(RecSettingsDialogTest, UnknownCodesShowAndStoreAsTheFirstChoice)
{
    model.Record = RealisticSettings();
    Shown(model.Record) = {2, 11025, 5, 3, 0, 0, 50};
    dialog->SetModel(&model);
    EXPECT_TRUE(W<QRadioButton>("rbNoCompress")->isChecked());
    EXPECT_TRUE(W<QRadioButton>("rbSR04000")->isChecked());
    dialog->actStoreExecute();
    const TRecordProfile stored = model.Record.Profiles[2];
    EXPECT_EQ(stored.Compress, 0);
    EXPECT_EQ(stored.CompressParam, 0);
    EXPECT_EQ(stored.SampleRate, 4000);
}

TEST_F(RecSettingsDialogTest, AdpcmRecordsAt8000HzAtMost)
{
    Open();
    auto* sr16000 = W<QRadioButton>("rbSR16000");
    ASSERT_TRUE(sr16000->isChecked());
    W<QRadioButton>("rbADPCM4")->setChecked(true);
    EXPECT_TRUE(W<QRadioButton>("rbSR08000")->isChecked());
    EXPECT_FALSE(sr16000->isEnabled());
    EXPECT_FALSE(W<QComboBox>("cbScale")->isEnabled());
    // The click went into the working copy and refreshed the estimate.
    EXPECT_EQ(dialog->EditedSettings().Profiles[2].SampleRate, 8000);
    EXPECT_EQ(dialog->EditedSettings().Profiles[2].Compress, 2);
    EXPECT_EQ(dialog->EditedSettings().Profiles[2].CompressParam, 2);
    EXPECT_EQ(W<QLabel>("lbMinRecTime")->text(), QStringLiteral("Recording time left: 01:02:05"));

    W<QRadioButton>("rbuLaw")->setChecked(true);
    EXPECT_TRUE(sr16000->isEnabled());
    EXPECT_TRUE(W<QComboBox>("cbScale")->isEnabled());
    W<QRadioButton>("rbNoCompress")->setChecked(true);
    EXPECT_TRUE(sr16000->isEnabled());
}

TEST_F(RecSettingsDialogTest, RussianDetectionOnlyDropsFskAndDtmf)
{
    TProgramOptions options;
    options.AonOnly = true;
    dialog->ShowProgramOptions(options);
    model.Record = RealisticSettings();
    model.Record.Aon[0] = {124, 2};  // FSK
    dialog->SetModel(&model);
    auto* detect = W<QComboBox>("cbDetectType");
    ASSERT_EQ(detect->count(), 2);
    EXPECT_EQ(detect->itemText(0), QStringLiteral("Dasabled"));
    EXPECT_EQ(detect->itemText(1), QStringLiteral("Russian Caller ID"));
    EXPECT_EQ(detect->currentIndex(), 0);
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Aon[0].Value, 0);

    detect->setCurrentIndex(1);
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Aon[0].Value, 4);
}

TEST_F(RecSettingsDialogTest, TabChangeKeepsTheEditsOfBothProfiles)
{
    Open();
    auto* tabs = W<QTabBar>("tcRecSet");
    tabs->setCurrentIndex(1);  // "Profile 2"
    W<TMySpinEdit>("rxseCycleLen")->SetValue(40);
    W<QCheckBox>("cbCyclicRec")->setChecked(true);
    tabs->setCurrentIndex(4);  // "Profile 5"
    W<QRadioButton>("rbSR16000")->setChecked(true);
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.CurrentProfile, 4);
    EXPECT_EQ(model.Record.Profiles[1].CycleBufSize, 40);
    EXPECT_EQ(model.Record.Profiles[1].CyclicRecord, 255);
    EXPECT_EQ(model.Record.Profiles[4].SampleRate, 16000);
    EXPECT_EQ(model.Record.Profiles[2], RealisticSettings().Profiles[2]);
}

TEST_F(RecSettingsDialogTest, TimersGoFieldByFieldAndTheDailyOneStandsOnTheOnceStopDate)
{
    Open();
    EXPECT_EQ(W<QDateEdit>("dtpOnceTmrDateOn")->date(), QDate(2024, 3, 5));
    EXPECT_EQ(W<QTimeEdit>("dtpOnceTmrTimeOn")->time(), QTime(14, 5));
    EXPECT_EQ(W<QTimeEdit>("dtpDailyTmrTimeOff")->time(), QTime(18, 30));
    EXPECT_TRUE(W<QCheckBox>("cbOnceTmr")->isChecked());
    EXPECT_FALSE(W<QCheckBox>("cbDailyTmr")->isChecked());
    EXPECT_FALSE(W<QTimeEdit>("dtpDailyTmrTimeOn")->isEnabled());

    W<QDateEdit>("dtpOnceTmrDateOff")->setDate(QDate(2025, 12, 31));
    W<QTimeEdit>("dtpDailyTmrTimeOn")->setTime(QTime(7, 15));
    W<QCheckBox>("cbDailyTmr")->setChecked(true);
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.OnceTimer.Off, TRecSettingsMapping::TimerSeconds(QDate(2025, 12, 31), 10, 0));
    EXPECT_EQ(model.Record.DailyTimer.On, TRecSettingsMapping::TimerSeconds(QDate(2025, 12, 31), 7, 15));
    EXPECT_EQ(model.Record.DailyTimer.Off, TRecSettingsMapping::TimerSeconds(QDate(2025, 12, 31), 18, 30));
    EXPECT_EQ(model.Record.DailyTimer.Disabled, 0);

    // Nothing past what the fields hold can be picked.
    auto* date = W<QDateEdit>("dtpOnceTmrDateOn");
    date->setDate(QDate(2200, 1, 1));
    W<QTimeEdit>("dtpOnceTmrTimeOn")->setTime(QTime(23, 59));
    EXPECT_EQ(date->date(), QDate(2106, 2, 6));
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.OnceTimer.On, kMaxTimerSeconds);
}

TEST_F(RecSettingsDialogTest, UntouchedControlsKeepValuesTheirUnitsCannotGiveBack)
{
    model.Record = RealisticSettings();
    model.Record.Vas.X1 = 95;  // -3 dB, which gives 90 back
    model.Record.SearchStep = 0;
    model.Record.Profiles[2].CycleBufSize = 0;
    model.Record.ExtDevice = 7;  // no entry of its list
    model.Record.AccessLevel = 9;
    dialog->SetModel(&model);
    EXPECT_EQ(W<QComboBox>("cbExtDevice")->currentIndex(), -1);
    const TRecorderSettings before = model.Record;
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record, before);

    W<TMySpinEdit>("rxseX1")->SetValue(-6);
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Vas.X1, 64);
}

// A stored byte outside a spin's range: the spin clamps, a marker beside it
// shows what is stored, which stays stored until the spin is changed.
TEST_F(RecSettingsDialogTest, AStoredValueOutsideASpinsRangeIsShownBesideIt)
{
    model.Record = RealisticSettings();
    model.Record.Profiles[model.Record.CurrentProfile].CycleBufSize = 255;
    model.Record.SearchStep = 0;
    model.Record.Vas.T4 = 0;
    model.Record.Vas.X1 = 0;
    model.Record.Vas.X2 = 200;  // +3 dB
    model.Record.Vas.X3 = 64;
    dialog->SetModel(&model);

    const struct {
        const char* spin;
        double shown;
        const char* marker;  // null: none
    } cases[] = {{"rxseCycleLen", 100, "(255)"}, {"rxseSearchStep", 1, "(0)"}, {"rxseT4", 1, "(0)"},
                 {"rxseX1", -45, "(0)"},         {"rxseX2", 0, "(200)"},      {"rxseX3", -6, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spin);
        TMySpinEdit* spin = W<TMySpinEdit>(c.spin);
        EXPECT_EQ(spin->Value(), c.shown);
        QLabel* marker = dialog->StoredValueMarker(spin);
        ASSERT_NE(marker, nullptr);
        EXPECT_EQ(!marker->isHidden(), c.marker != nullptr);
        if (!c.marker)
            continue;
        EXPECT_EQ(marker->text(), QLatin1String(c.marker));
        EXPECT_EQ(marker->parentWidget(), spin->parentWidget()) << "beside the spin";
    }
    const TRecorderSettings before = model.Record;
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record, before) << "what is stored stays while untouched";

    TMySpinEdit* cycle = W<TMySpinEdit>("rxseCycleLen");
    cycle->SetValue(50);
    EXPECT_TRUE(dialog->StoredValueMarker(cycle)->isHidden()) << "an edit replaces the stored value";
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Profiles[model.Record.CurrentProfile].CycleBufSize, 50);

    // A record in range shows no markers.
    dialog->actRestoreExecute();
    EXPECT_TRUE(dialog->StoredValueMarker(cycle)->isHidden());
}

TEST_F(RecSettingsDialogTest, TSpinsEndWhereTheFieldDoes)
{
    Open();
    auto* t1 = W<TMySpinEdit>("rxseT1");
    t1->SetValue(16384);
    EXPECT_EQ(t1->Value(), 16383.75);
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Vas.T1, 65535);
}

TEST_F(RecSettingsDialogTest, AFailedStoreKeepsTheEditsForARetry)
{
    Open();
    W<TMySpinEdit>("rxseCycleLen")->SetValue(40);
    auto* edit = W<QLineEdit>("edPassword");
    edit->setText(QStringLiteral("xy"));
    edit->setModified(true);
    AnswerPasswords({QStringLiteral("xy"), QStringLiteral("xy")});
    model.FailStore = true;
    EXPECT_THROW(dialog->actStoreExecute(), std::runtime_error);
    EXPECT_EQ(dialog->EditedSettings().Profiles[2].CycleBufSize, 40);
    EXPECT_EQ(dialog->EditedSettings().Password, NoPasswordBytes) << "the new password goes only into the store";
    EXPECT_TRUE(dialog->PasswordChanged());
    EXPECT_EQ(W<TMySpinEdit>("rxseCycleLen")->Value(), 40);
    EXPECT_EQ(model.Record.Profiles[2].CycleBufSize, 60);

    model.FailStore = false;
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Profiles[2].CycleBufSize, 40);
    EXPECT_EQ(model.Record.Password, PasswordBytes(QStringLiteral("xy")));
    EXPECT_EQ(PasswordPrompts.size(), 2u);
    EXPECT_FALSE(dialog->PasswordChanged());
    EXPECT_FALSE(dialog->SettingsEdited());
}

TEST_F(RecSettingsDialogTest, LeavingThePasswordEditShowsThePlaceholder)
{
    model.Record = RealisticSettings();
    model.Record.Password = PasswordBytes(QStringLiteral("ab"));
    dialog->SetModel(&model);
    auto* edit = W<QLineEdit>("edPassword");
    EXPECT_EQ(edit->text(), QStringLiteral("       "));
    EXPECT_EQ(edit->maxLength(), 7);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);

    dialog->edPasswordExit();  // the placeholder untouched: kept
    EXPECT_FALSE(dialog->PasswordChanged());
    edit->setText(QStringLiteral("ab"));
    edit->setModified(true);
    dialog->edPasswordExit();
    EXPECT_FALSE(dialog->PasswordChanged()) << "the same password is no change";
    EXPECT_TRUE(dialog->SettingsEdited());
    // Leaving the edit is what evaluates it.
    edit->setText(QStringLiteral("cd"));
    edit->setModified(true);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit, &leave);
    EXPECT_TRUE(dialog->PasswordChanged());
    EXPECT_EQ(edit->text(), QStringLiteral("       "));

    // Closing without Store changes nothing; the next restore drops it.
    dialog->RestoreControls();
    EXPECT_FALSE(dialog->PasswordChanged());
    EXPECT_EQ(model.Stores, 0);
    EXPECT_EQ(edit->text(), QStringLiteral("       "));
}

TEST_F(RecSettingsDialogTest, PresetsApplyToTheControlsOnly)
{
    model.Quality.Add(std::make_unique<TQualityPreset>(TQualityPreset{QStringLiteral("Long"), 0, 0, 4000}));
    model.Quality.Add(std::make_unique<TQualityPreset>(TQualityPreset{QStringLiteral("Best"), 2, 2, 16000}));
    model.Quality.Add(std::make_unique<TQualityPreset>(TQualityPreset{QStringLiteral("Loud"), 0, 0, 16000}));
    const TVasParams quiet{12, 8, 80, 5, 40, 90, 45, 23};
    model.Vas.Add(std::make_unique<TVasPreset>(TVasPreset{QStringLiteral("Quiet"), quiet}));
    model.Vas.Add(std::make_unique<TVasPreset>(TVasPreset{QStringLiteral("Shown"), RealisticSettings().Vas}));
    Open();
    auto* quality = W<QComboBox>("cbQuality");
    ASSERT_EQ(quality->count(), 3);
    EXPECT_EQ(quality->currentIndex(), 2) << "16000 Hz without compression";
    EXPECT_EQ(W<QComboBox>("cbVasPreset")->currentIndex(), 1);

    dialog->cbQualityChange(1);
    EXPECT_TRUE(W<QRadioButton>("rbADPCM4")->isChecked());
    EXPECT_TRUE(W<QRadioButton>("rbSR08000")->isChecked()) << "ADPCM moves 16000 Hz to 8000";
    EXPECT_EQ(dialog->EditedSettings().Profiles[2].SampleRate, 16000) << "the working copy waits";

    dialog->cbVasPresetChange(0);
    EXPECT_EQ(W<QComboBox>("cbVasPreset")->currentIndex(), 0);
    EXPECT_EQ(W<TMySpinEdit>("rxseT3")->Value(), 20.0);
    EXPECT_TRUE(W<QRadioButton>("rbADPCM4")->isChecked()) << "the profile controls stay";
    dialog->actStoreExecute();
    EXPECT_EQ(model.Record.Vas, quiet) << "the preset's gains exactly, not through whole decibels";
    EXPECT_EQ(model.Record.Profiles[2].SampleRate, 8000);
    EXPECT_EQ(model.Record.Profiles[2].Compress, 2);
}

TEST_F(RecSettingsDialogTest, TheMaskPreviewUsesTheClock)
{
    auto* mask = W<QComboBox>("cbFNMask");
    EXPECT_EQ(mask->count(), 3);
    mask->setEditText(QStringLiteral("file_[rn]_[sn]_[hh_nn_ss] [ei]"));
    EXPECT_EQ(W<QLabel>("lbExRes")->text(),
              QStringLiteral("Example result: file_1_SN123OCV345_14_05_09 Out \u21161234567 "));
    mask->setEditText(QString());
    SYSTEMTIME time;
    time.wYear = 2024;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 14;
    time.wMinute = 5;
    time.wSecond = 9;
    EXPECT_EQ(W<QLabel>("lbExRes")->text(),
              QStringLiteral("Example result: ") + ExpandFileNameMask(QString(), time, QStringLiteral("SN123OCV345"), 1,
                                                                      -1, QStringLiteral("Out \u21161234567 ")));
}

TEST_F(RecSettingsDialogTest, ProfileFilesSaveAndLoadTheControls)
{
    Open();
    const QString path = QString::fromStdString(File("mine.rpr"));
    W<TMySpinEdit>("rxseCycleLen")->SetValue(33);
    files.Answers = {path};
    dialog->actSaveToFileExecute();
    ASSERT_EQ(files.Requests.size(), 1u);
    EXPECT_EQ(files.Requests[0].Kind, TFileDialogRequest::TKind::Save);
    EXPECT_EQ(files.Requests[0].Filter, QStringLiteral("Recorder profiles (*.rpr)|*.rpr"));
    EXPECT_EQ(files.Requests[0].DefaultSuffix, QStringLiteral("rpr"));
    EXPECT_EQ(QDir(files.Requests[0].StartFolder), QDir(QString::fromStdString(m_dir.Path().string())));
    EXPECT_TRUE(files.Requests[0].FileName.isEmpty());

    W<TMySpinEdit>("rxseCycleLen")->SetValue(77);
    W<QComboBox>("cbAccessLevel")->setCurrentIndex(2);  // not in the file
    files.Answers = {path};
    dialog->actLoadFromFileExecute();
    EXPECT_EQ(files.Requests[1].Kind, TFileDialogRequest::TKind::Open);
    EXPECT_EQ(W<TMySpinEdit>("rxseCycleLen")->Value(), 33);
    EXPECT_EQ(W<QComboBox>("cbAccessLevel")->currentIndex(), 2);
    EXPECT_EQ(model.Stores, 0);

    // A file of another model is refused and the edits stay.
    model.Model = QStringLiteral("Another recorder");
    W<TMySpinEdit>("rxseCycleLen")->SetValue(55);
    files.Answers = {path};
    dialog->actLoadFromFileExecute();
    EXPECT_EQ(host.Messages, QStringList{QStringLiteral("Error: invalid profile file format.")});
    EXPECT_EQ(W<TMySpinEdit>("rxseCycleLen")->Value(), 55);
    EXPECT_EQ(dialog->EditedSettings().Profiles[2].CycleBufSize, 55);

    files.Answers = {std::nullopt};
    W<TMySpinEdit>("rxseCycleLen")->SetValue(56);
    dialog->actLoadFromFileExecute();
    EXPECT_EQ(W<TMySpinEdit>("rxseCycleLen")->Value(), 56);
}

TEST_F(RecSettingsDialogTest, WithoutARecorderTheActionsDoNothing)
{
    dialog->SetModel(nullptr);
    dialog->actStoreExecute();
    dialog->actRestoreExecute();
    dialog->actSaveToFileExecute();
    dialog->actLoadFromFileExecute();
    dialog->cbQualityChange(0);
    dialog->cbVasPresetChange(0);
    EXPECT_TRUE(files.Requests.empty());
    EXPECT_EQ(dialog->EditedSettings(), TRecorderSettings{});
}

TEST_F(RecSettingsDialogTest, TheBrowseButtonSetsTheDefaultFolder)
{
    dialog->resize(600, 400);
    W<QLineEdit>("edDefFolder")->setText(QStringLiteral("/start"));
    files.Answers = {QStringLiteral("/chosen"), std::nullopt};
    dialog->btnBrowseClick();
    ASSERT_EQ(files.Requests.size(), 1u);
    EXPECT_EQ(files.Requests[0].Kind, TFileDialogRequest::TKind::Folder);
    EXPECT_EQ(files.Requests[0].Title, QStringLiteral("Select default folder:"));
    EXPECT_EQ(files.Requests[0].StartFolder, QStringLiteral("/start"));
    EXPECT_EQ(files.Requests[0].Position, dialog->mapToGlobal(QPoint(300, 200)));
    EXPECT_EQ(W<QLineEdit>("edDefFolder")->text(), QStringLiteral("/chosen"));
    dialog->btnBrowseClick();
    EXPECT_EQ(W<QLineEdit>("edDefFolder")->text(), QStringLiteral("/chosen"));
}

namespace {

TProgramOptions AllOptions(bool on)
{
    TProgramOptions o;
    o.DefFolder = QStringLiteral("/records");
    o.FileNameMask = QStringLiteral("[rn].wav");
    o.Split = o.SyncTime = o.AutoDownload = o.NonDownOnly = o.AutoDelete = o.SkipSilence = o.ShowVoiceParts = on;
    o.HideEditor = o.DisableEditor = o.HideFlashDrive = o.DisableFlashDrive = o.SimpleQualitySetup = on;
    o.SimpleVasSetup = o.HideMaskEdit = o.HideSplitting = o.NonSavedEraseDisable = o.HideExpert = on;
    o.HideAdvExpert = o.AonOnly = o.DialectFormat = on;
    o.MaxOutputSize = 700;
    return o;
}

}  // namespace

TEST_F(RecSettingsDialogTest, ProgramOptionsRoundTrip)
{
    for (bool on : {true, false}) {
        const TProgramOptions shown = AllOptions(on);
        dialog->ShowProgramOptions(shown);
        TProgramOptions read = AllOptions(!on);
        read.ShowVoiceParts = on;
        EXPECT_FALSE(dialog->ReadProgramOptions(read));
        EXPECT_EQ(read.DefFolder, shown.DefFolder);
        EXPECT_EQ(read.FileNameMask, shown.FileNameMask);
        EXPECT_EQ(read.MaxOutputSize, 700);
        for (auto field :
             {&TProgramOptions::Split, &TProgramOptions::SyncTime, &TProgramOptions::AutoDownload,
              &TProgramOptions::NonDownOnly, &TProgramOptions::AutoDelete, &TProgramOptions::SkipSilence,
              &TProgramOptions::HideEditor, &TProgramOptions::DisableEditor, &TProgramOptions::HideFlashDrive,
              &TProgramOptions::DisableFlashDrive, &TProgramOptions::SimpleQualitySetup,
              &TProgramOptions::SimpleVasSetup, &TProgramOptions::HideMaskEdit, &TProgramOptions::HideSplitting,
              &TProgramOptions::NonSavedEraseDisable, &TProgramOptions::HideExpert, &TProgramOptions::HideAdvExpert,
              &TProgramOptions::AonOnly, &TProgramOptions::DialectFormat})
            EXPECT_EQ(read.*field, on);
    }
    TProgramOptions read = AllOptions(false);
    read.ShowVoiceParts = true;
    EXPECT_TRUE(dialog->ReadProgramOptions(read)) << "ShowVoiceParts changed";
}

TEST_F(RecSettingsDialogTest, APartSizeOutsideTheSpinStaysWhileUntouched)
{
    for (std::int64_t size : {std::int64_t{0}, std::int64_t{-5}, std::int64_t{40000}}) {
        TProgramOptions options;
        options.MaxOutputSize = size;
        dialog->ShowProgramOptions(options);
        EXPECT_TRUE(dialog->ReadProgramOptions(options) == false && options.MaxOutputSize == size) << size;
    }
    TProgramOptions options;
    options.MaxOutputSize = 0;
    dialog->ShowProgramOptions(options);
    W<TMySpinEdit>("rxsePartSize")->SetValue(100);
    dialog->ReadProgramOptions(options);
    EXPECT_EQ(options.MaxOutputSize, 100);
}

TEST_F(RecSettingsDialogTest, OptionEffectsRunWhenShownEvenWithoutAChange)
{
    TProgramOptions options;
    dialog->ShowProgramOptions(options);
    EXPECT_EQ(effects.FlashCalls, 1) << "an unchanged box sends no signal";
    EXPECT_TRUE(W<QGroupBox>("gbQuality")->isHidden());
    EXPECT_FALSE(W<QGroupBox>("gbCompression")->isHidden());

    options.HideFlashDrive = true;
    options.HideEditor = true;
    options.SimpleQualitySetup = true;
    options.SimpleVasSetup = true;
    options.HideMaskEdit = true;
    options.HideExpert = true;
    options.AutoDownload = false;
    dialog->ShowProgramOptions(options);
    EXPECT_TRUE(effects.FlashHidden);
    EXPECT_FALSE(effects.FlashDisabled);
    EXPECT_FALSE(W<QCheckBox>("cbDisableFlash")->isEnabled());
    EXPECT_TRUE(effects.CopySelPartHidden);
    EXPECT_FALSE(W<QCheckBox>("cbDisableEditor")->isEnabled());
    EXPECT_FALSE(W<QGroupBox>("gbQuality")->isHidden());
    EXPECT_TRUE(W<QGroupBox>("gbCompression")->isHidden());
    EXPECT_TRUE(W<QGroupBox>("gbBitRate")->isHidden());
    EXPECT_TRUE(W<QWidget>("pnlVAS")->isHidden());
    EXPECT_TRUE(W<QGroupBox>("gbFNMask")->isHidden());
    EXPECT_FALSE(W<QGroupBox>("gbSplitting")->isHidden());
    auto* pages = W<QTabWidget>("pcSettings");
    EXPECT_FALSE(pages->isTabVisible(pages->indexOf(W<QWidget>("tsExpert"))));
    EXPECT_FALSE(W<QCheckBox>("cbHideAdvExpert")->isEnabled());
    EXPECT_FALSE(W<QCheckBox>("cbAutoDel")->isEnabled());

    W<QCheckBox>("cbHideFlash")->setChecked(false);
    EXPECT_FALSE(effects.FlashHidden);
    EXPECT_TRUE(W<QCheckBox>("cbDisableFlash")->isEnabled());
    W<QCheckBox>("cbDisableFlash")->setChecked(true);
    EXPECT_TRUE(effects.FlashDisabled);
}

TEST_F(RecSettingsDialogTest, TheHiddenPageShowsOnRequest)
{
    auto* pages = W<QTabWidget>("pcSettings");
    const int hidden = pages->indexOf(W<QWidget>("tsHidden"));
    EXPECT_FALSE(pages->isTabVisible(hidden));
    dialog->SetHiddenPageVisible(true);
    EXPECT_TRUE(dialog->HiddenPageVisible());
    EXPECT_TRUE(pages->isTabVisible(hidden));
    EXPECT_EQ(dialog->CompressionCaption(TCompressionCaption::Adpcm2), QStringLiteral("ADPCM 2 bit"));
    W<QRadioButton>("rbADPCM2")->setText(QStringLiteral("ADPCM 2 bits"));
    EXPECT_EQ(dialog->CompressionCaption(TCompressionCaption::Adpcm2), QStringLiteral("ADPCM 2 bits"));
    EXPECT_EQ(dialog->ScaleCaption(4), QStringLiteral("16"));
    EXPECT_EQ(dialog->ScaleCaption(5), QString());
}

// The options are read back however the dialog closes, and it starts from
// the options as they are now, not as they were at start-up.
TEST_F(RecSettingsDialogTest, ExecuteShowsTheCurrentOptionsAndReadsThemOnEscape)
{
    Open();
    TProgramOptions options;
    options.DefFolder = QStringLiteral("/at-start");
    dialog->ShowProgramOptions(options);
    options.DefFolder = QStringLiteral("/set-by-the-explorer");
    WhenModalShown(QStringLiteral("frmRecSettings"), [](QWidget* modal) {
        auto* split = modal->findChild<QCheckBox*>(QStringLiteral("cbSplit"));
        split->setChecked(true);
        modal->findChild<QCheckBox*>(QStringLiteral("cbShowParts"))->setChecked(false);
        static_cast<QDialog*>(modal)->reject();
    });
    options.ShowVoiceParts = true;
    EXPECT_TRUE(dialog->Execute(options)) << "ShowVoiceParts changed";
    EXPECT_EQ(dialog->result(), mrCancel);
    EXPECT_EQ(options.DefFolder, QStringLiteral("/set-by-the-explorer"));
    EXPECT_TRUE(options.Split);
    EXPECT_FALSE(options.ShowVoiceParts);
}

// Every page drawn with a record on it; the pictures go to the temporary
// folder for a look.
TEST_F(RecSettingsDialogTest, EveryPageRenders)
{
    Open();
    dialog->SetHiddenPageVisible(true);
    dialog->show();
    auto* pages = W<QTabWidget>("pcSettings");
    const QString folder = QDir::temp().filePath(QStringLiteral("trellavox-recsettings"));
    QDir().mkpath(folder);
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QCoreApplication::processEvents();
        const QImage image = dialog->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(image.width(), 300);
        EXPECT_TRUE(image.save(folder + QLatin1Char('/') + pages->widget(i)->objectName() + QStringLiteral(".png")));
    }
    dialog->hide();
}
