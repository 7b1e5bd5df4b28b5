#include "app/dialogs/RecSettingsDialog.h"

#include <QDateTime>
#include <QEvent>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <optional>

#include "app/dialogs/ModalResult.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsMapping.h"
#include "app/lang/FormLanguage.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/FormatHms.h"
#include "app/services/MainUiLock.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/settings/ProfileValueConversions.h"
#include "localizer/LangConst.h"
#include "ui_RecSettingsDialog.h"

namespace {

// Shown while the recorder has a password; the password itself never is.
const QString kPasswordPlaceholder = QStringLiteral("       ");

constexpr int kProfileCount = static_cast<int>(TRecorderSettings::kProfileCount);

QStringList ConstLines(const char* name)
{
    return LangConst(QLatin1String(name)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

void SetRange(TMySpinEdit* spin, double min, double max, double step = 1, double value = 0)
{
    spin->SetMinValue(min);
    spin->SetMaxValue(max);
    spin->SetIncrement(step);
    if (step < 1) {
        spin->SetValueType(vtFloat);
        spin->SetDecimal(2);
    }
    spin->SetValue(value);
}

int Truncated(const TMySpinEdit* spin)
{
    return static_cast<int>(std::trunc(spin->Value()));
}

}  // namespace

template <typename TWork> void TfrmRecSettings::Guarded(TWork&& work)
{
    RunGuarded(std::forward<TWork>(work));
}

TfrmRecSettings::TfrmRecSettings(QWidget* mainWindow)
    : TModalDialog(mainWindow), ui(std::make_unique<Ui::frmRecSettings>())
{
    ui->setupUi(this);
    m_clock = [] {
        const QDateTime now = QDateTime::currentDateTime();
        SYSTEMTIME time;
        time.wYear = static_cast<std::uint16_t>(now.date().year());
        time.wMonth = static_cast<std::uint16_t>(now.date().month());
        time.wDay = static_cast<std::uint16_t>(now.date().day());
        time.wDayOfWeek = static_cast<std::uint16_t>(now.date().dayOfWeek() % 7);
        time.wHour = static_cast<std::uint16_t>(now.time().hour());
        time.wMinute = static_cast<std::uint16_t>(now.time().minute());
        time.wSecond = static_cast<std::uint16_t>(now.time().second());
        time.wMilliseconds = static_cast<std::uint16_t>(now.time().msec());
        return time;
    };
    SetupControls();
    // The form's language controller binds here, taking the built-in texts.
    BindFormLanguage(this);
    Wire();
}

TfrmRecSettings::~TfrmRecSettings() = default;

void TfrmRecSettings::SetupControls()
{
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("mmSettings"));
    QMenu* menu = menuBar->addMenu(QStringLiteral("Settings"));
    menu->setObjectName(QStringLiteral("miSettings"));
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("tbSettings"));
    for (QAction* action : {ui->actLoadFromFile, ui->actSaveToFile, ui->actRestore, ui->actStore}) {
        menu->addAction(action);
        toolBar->addAction(action);
    }
    layout()->setMenuBar(menuBar);
    ui->layMain->insertWidget(0, toolBar);

    SetModalResult(ui->btnClose, mrCancel);

    for (int i = 1; i <= kProfileCount; ++i)
        ui->tcRecSet->addTab(QStringLiteral("Profile %1").arg(i));
    ui->tcRecSet->setExpanding(false);
    // The layout took the empty strip's size.
    ui->tcRecSet->updateGeometry();

    SetRange(ui->rxseCycleLen, 1, 100, 1, 100);
    // The fields count quarter seconds in 16 bits.
    for (TMySpinEdit* spin : {ui->rxseT1, ui->rxseT2, ui->rxseT3, ui->rxseT5})
        SetRange(spin, 0, 16383.75, 0.25);
    SetRange(ui->rxseT4, 1, 255, 1, 1);
    for (TMySpinEdit* spin : {ui->rxseX1, ui->rxseX2, ui->rxseX3})
        SetRange(spin, -45, 0);
    SetRange(ui->rxsePartSize, 1, 32768, 1, 2048);
    SetRange(ui->rxseSearchStep, 1, 255, 1, 1);
    SetRange(ui->seSkipRings, 0, 20);
    SetRange(ui->seNumLen, 0, 20);
    SetRange(ui->seMinDigCount, 0, 20);
    SetRange(ui->seDialDelay, 0, 255, 1, 5);
    SetRange(ui->seReqCount, 0, 5);
    SetRange(ui->seReqAmp, -24, 0, 6);
    SetRange(ui->seFirstReqDelay, 0, 1000, 10);
    SetRange(ui->seReqDur, 0, 500, 10);
    SetRange(ui->seNextReqDelay, 0, 1000, 10);
    SetRange(ui->seBusyVoltage, 0, 255);
    SetRange(ui->seRingVoltage, 0, 255);
    SetRange(ui->seDTMFVoltage, 0, 3060, 12);

    for (QDateEdit* date : {ui->dtpOnceTmrDateOn, ui->dtpOnceTmrDateOff})
        date->setDateRange(TRecSettingsMapping::FirstTimerDate(), TRecSettingsMapping::LastTimerDate());

    ui->edPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 35; }"));  // "#"
    ui->edPassword->installEventFilter(this);

    ui->pcSettings->setCurrentWidget(ui->tsGeneral);
    ui->cbScale->setCurrentIndex(0);
    ui->gbPressType->hide();
    ui->cbAntialias->hide();
    ui->cbAonOnly->hide();
    ui->gbQuality->hide();
    SetHiddenPageVisible(false);

    // Multi-line, top-aligned captions.
    for (QCheckBox* box : {ui->cbSplit, ui->cbDisErase})
        box->setStyleSheet(QStringLiteral("QCheckBox::indicator { subcontrol-position: left top; }"));

    for (int i = 0; i < 32; ++i)
        ui->cbReqForms->addItem(TRecSettingsMapping::BitPatternText(5, QLatin1Char('D'), QLatin1Char('A'), i));

    ui->cbFNMask->addItems({QStringLiteral("file_[rn] [ei] ([yyyy]_[mm]_[dd]-[hh_nn_ss])_[sn].wav"),
                            QStringLiteral("file_[rn]_([yymmdd]-[hhnnss])_[sn].wav"),
                            QStringLiteral("recorded [dd mmmm yyyy] at [hh.nn.ss].wav")});
    ui->cbFNMask->setEditText(QString());
    cbFNMaskChange();
}

void TfrmRecSettings::Wire()
{
    const auto onTrue = [this](QAbstractButton* button, void (TfrmRecSettings::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, [this, handler](bool on) {
            if (on)
                Guarded([&] { (this->*handler)(); });
        });
    };
    const auto onToggle = [this](QAbstractButton* button, void (TfrmRecSettings::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    const auto onAction = [this](QAction* action, void (TfrmRecSettings::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };

    for (QRadioButton* radio :
         {ui->rbSR04000, ui->rbSR08000, ui->rbSR16000, ui->rbNoCompress, ui->rbADPCM2, ui->rbADPCM4, ui->rbuLaw})
        onTrue(radio, &TfrmRecSettings::CompressionClick);
    connect(ui->tcRecSet, &QTabBar::currentChanged, this, [this](int index) { Guarded([&] { TabChange(index); }); });
    connect(ui->cbQuality, &QComboBox::activated, this,
            [this](int index) { Guarded([&] { cbQualityChange(index); }); });
    connect(ui->cbVasPreset, &QComboBox::activated, this,
            [this](int index) { Guarded([&] { cbVasPresetChange(index); }); });
    connect(ui->cbDetectType, &QComboBox::activated, this, [this] { Guarded([&] { DetectTypeChange(); }); });
    connect(ui->cbFNMask, &QComboBox::editTextChanged, this, [this] { Guarded([&] { cbFNMaskChange(); }); });
    connect(ui->btnBrowse, &QPushButton::clicked, this, [this] { Guarded([&] { btnBrowseClick(); }); });

    const auto enables = [this](QCheckBox* box, std::initializer_list<QWidget*> targets) {
        std::vector<QWidget*> list(targets);
        connect(box, &QCheckBox::toggled, this, [list](bool on) {
            for (QWidget* target : list)
                target->setEnabled(on);
        });
        for (QWidget* target : list)
            target->setEnabled(box->isChecked());
    };
    enables(ui->cbCyclicRec, {ui->lbCycleLen, ui->rxseCycleLen});
    enables(ui->cbOnceTmr, {ui->dtpOnceTmrDateOn, ui->dtpOnceTmrTimeOn, ui->dtpOnceTmrDateOff, ui->dtpOnceTmrTimeOff});
    enables(ui->cbDailyTmr, {ui->dtpDailyTmrTimeOn, ui->dtpDailyTmrTimeOff});
    enables(ui->cbSplit, {ui->lbPartSize, ui->rxsePartSize});
    enables(ui->cbAutoDownload, {ui->cbAutoDel, ui->cbNonDownOnly});
    connect(ui->cbDisErase, &QCheckBox::toggled, this, [this] { m_settingsEdited = true; });

    onToggle(ui->cbSimpleQuality, &TfrmRecSettings::SimpleQualityClick);
    onToggle(ui->cbSimpleVas, &TfrmRecSettings::SimpleVasClick);
    onToggle(ui->cbHideMaskEdit, &TfrmRecSettings::HideMaskSplitClick);
    onToggle(ui->cbHideSplitting, &TfrmRecSettings::HideMaskSplitClick);
    onToggle(ui->cbHideExpert, &TfrmRecSettings::HideExpertClick);
    onToggle(ui->cbHideAdvExpert, &TfrmRecSettings::HideAdvExpertClick);
    onToggle(ui->cbHideEditor, &TfrmRecSettings::HideEditorClick);
    onToggle(ui->cbDisableFlash, &TfrmRecSettings::FlashClick);
    onToggle(ui->cbHideFlash, &TfrmRecSettings::FlashClick);

    onAction(ui->actRestore, &TfrmRecSettings::actRestoreExecute);
    onAction(ui->actStore, &TfrmRecSettings::actStoreExecute);
    onAction(ui->actSaveToFile, &TfrmRecSettings::actSaveToFileExecute);
    onAction(ui->actLoadFromFile, &TfrmRecSettings::actLoadFromFileExecute);
}

void TfrmRecSettings::SetModel(TRecorderSettingsModel* model)
{
    m_model = model;
    if (!m_model)
        m_settings = {};
    actRestoreExecute();
}

void TfrmRecSettings::ShowSpin(TMySpinEdit* spin, double value, std::int64_t field)
{
    spin->SetValue(value);
    m_loadedSpins[spin] = {spin->Value(), field};
}

std::int64_t TfrmRecSettings::SpinField(const TMySpinEdit* spin, std::int64_t edited) const
{
    const auto loaded = m_loadedSpins.find(spin);
    return loaded != m_loadedSpins.end() && spin->Value() == loaded->second.Shown ? loaded->second.Field : edited;
}

void TfrmRecSettings::SetClock(std::function<SYSTEMTIME()> clock)
{
    m_clock = std::move(clock);
    cbFNMaskChange();
}

void TfrmRecSettings::SetHiddenPageVisible(bool visible)
{
    ui->pcSettings->setTabVisible(ui->pcSettings->indexOf(ui->tsHidden), visible);
}

bool TfrmRecSettings::HiddenPageVisible() const
{
    return ui->pcSettings->isTabVisible(ui->pcSettings->indexOf(ui->tsHidden));
}

QString TfrmRecSettings::CompressionCaption(TCompressionCaption which) const
{
    switch (which) {
    case TCompressionCaption::NoCompress:
        return ui->rbNoCompress->text();
    case TCompressionCaption::uLaw:
        return ui->rbuLaw->text();
    case TCompressionCaption::Adpcm2:
        return ui->rbADPCM2->text();
    case TCompressionCaption::Adpcm4:
        return ui->rbADPCM4->text();
    }
    return {};
}

QString TfrmRecSettings::ScaleCaption(int index) const
{
    return index >= 0 && index < ui->cbScale->count() ? ui->cbScale->itemText(index) : QString();
}

// The tab bar always shows a tab; our own index says whether one was chosen.
void TfrmRecSettings::SelectTab(int index)
{
    const QSignalBlocker blocker(ui->tcRecSet);
    ui->tcRecSet->setCurrentIndex(index);
    m_shownTab = index;
}

void TfrmRecSettings::TabChange(int index)
{
    if (m_shownTab >= 0)
        ControlsToSettings(m_settings);
    m_shownTab = index;
    m_settings.CurrentProfile = static_cast<std::uint8_t>(index);
    SettingsToControls(m_settings);
}

void TfrmRecSettings::CompressionClick()
{
    if (m_inCompressionClick)
        return;
    m_inCompressionClick = true;
    const auto done = qScopeGuard([this] { m_inCompressionClick = false; });
    const bool uLaw = ui->rbuLaw->isChecked();
    ui->lbScale->setEnabled(uLaw);
    ui->cbScale->setEnabled(uLaw);
    // ADPCM records at 8000 Hz at most.
    const bool adpcm = ui->rbADPCM2->isChecked() || ui->rbADPCM4->isChecked();
    if (adpcm && ui->rbSR16000->isChecked())
        ui->rbSR08000->setChecked(true);
    ui->rbSR16000->setEnabled(!adpcm);
    if (!m_loading) {
        ControlsToSettings(m_settings);
        SettingsToControls(m_settings);
    }
}

void TfrmRecSettings::DetectTypeChange()
{
    const int type = ui->cbDetectType->currentIndex();
    const bool russian = type == TRecSettingsMapping::kDetectRussian;
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->lbNumLen), static_cast<QWidget*>(ui->seNumLen),
          static_cast<QWidget*>(ui->lbMinDigCount), static_cast<QWidget*>(ui->seMinDigCount), ui->pnlAdvAON})
        widget->setVisible(russian);
    ui->pnlAdvDTMF->setVisible(type == TRecSettingsMapping::kDetectDtmf);
}

TAonControls TfrmRecSettings::AonControls() const
{
    TAonControls c;
    c.AutoAnswer = ui->cbAutoAnswer->isChecked();
    c.DetectType = ui->cbDetectType->currentIndex();
    c.RingVoltage = Truncated(ui->seRingVoltage);
    c.BusyVoltage = Truncated(ui->seBusyVoltage);
    c.NumLen = Truncated(ui->seNumLen);
    c.SkipRings = Truncated(ui->seSkipRings);
    c.FirstReqDelay = Truncated(ui->seFirstReqDelay);
    c.ReqDur = Truncated(ui->seReqDur);
    c.ReqForms = std::max(ui->cbReqForms->currentIndex(), 0);
    c.ReqCount = Truncated(ui->seReqCount);
    c.ReqAmp = Truncated(ui->seReqAmp);
    c.MinDigCount = Truncated(ui->seMinDigCount);
    c.NextReqDelay = Truncated(ui->seNextReqDelay);
    c.DTMFVoltage = Truncated(ui->seDTMFVoltage);
    c.DialDelay = Truncated(ui->seDialDelay);
    return c;
}

void TfrmRecSettings::ShowAonControls(const TAonControls& c)
{
    ui->cbAutoAnswer->setChecked(c.AutoAnswer);
    ui->cbDetectType->setCurrentIndex(c.DetectType);
    DetectTypeChange();
    ui->seRingVoltage->SetValue(c.RingVoltage);
    ui->seBusyVoltage->SetValue(c.BusyVoltage);
    ui->seNumLen->SetValue(c.NumLen);
    ui->seSkipRings->SetValue(c.SkipRings);
    ui->seFirstReqDelay->SetValue(c.FirstReqDelay);
    ui->seReqDur->SetValue(c.ReqDur);
    ui->cbReqForms->setCurrentIndex(c.ReqForms);
    ui->seReqCount->SetValue(c.ReqCount);
    ui->seReqAmp->SetValue(c.ReqAmp);
    ui->seMinDigCount->SetValue(c.MinDigCount);
    ui->seNextReqDelay->SetValue(c.NextReqDelay);
    ui->seDTMFVoltage->SetValue(c.DTMFVoltage);
    ui->seDialDelay->SetValue(c.DialDelay);
}

void TfrmRecSettings::ControlsToSettings(TRecorderSettings& settings)
{
    TRecordProfile& profile = settings.Profiles[std::min<std::size_t>(settings.CurrentProfile, kProfileCount - 1)];
    if (ui->rbSR04000->isChecked())
        profile.SampleRate = 4000;
    else if (ui->rbSR08000->isChecked())
        profile.SampleRate = 8000;
    else if (ui->rbSR16000->isChecked())
        profile.SampleRate = 16000;

    if (ui->rbNoCompress->isChecked()) {
        profile.Compress = 0;
        profile.CompressParam = 0;
    } else if (ui->rbADPCM2->isChecked()) {
        profile.Compress = 2;
        profile.CompressParam = 1;
    } else if (ui->rbADPCM4->isChecked()) {
        profile.Compress = 2;
        profile.CompressParam = 2;
    } else if (ui->rbuLaw->isChecked()) {
        profile.Compress = 1;
        profile.CompressParam = static_cast<std::uint8_t>(std::max(ui->cbScale->currentIndex(), 0));
    }
    profile.Vas = ui->cbVAS->isChecked() ? 1 : 0;
    profile.CyclicRecord = ui->cbCyclicRec->isChecked() ? 255 : 0;
    profile.CycleBufSize = static_cast<std::uint8_t>(SpinField(ui->rxseCycleLen, Truncated(ui->rxseCycleLen)));

    TVasParams& vas = settings.Vas;
    vas.T1 = TRecSettingsMapping::QuarterSeconds(ui->rxseT1->Value());
    vas.T2 = TRecSettingsMapping::QuarterSeconds(ui->rxseT2->Value());
    vas.T3 = TRecSettingsMapping::QuarterSeconds(ui->rxseT3->Value());
    vas.T5 = TRecSettingsMapping::QuarterSeconds(ui->rxseT5->Value());
    vas.T4 = static_cast<std::uint8_t>(SpinField(ui->rxseT4, Truncated(ui->rxseT4)));
    const TMySpinEdit* gains[] = {ui->rxseX1, ui->rxseX2, ui->rxseX3};
    std::uint8_t* fields[] = {&vas.X1, &vas.X2, &vas.X3};
    for (std::size_t i = 0; i < 3; ++i)
        *fields[i] = static_cast<std::uint8_t>(
            SpinField(gains[i], DbToGain(TRecSettingsMapping::kGainReference, Truncated(gains[i]))));

    // A list without a selection leaves its field alone.
    if (ui->cbAccessLevel->currentIndex() >= 0)
        settings.AccessLevel = static_cast<std::uint8_t>(ui->cbAccessLevel->currentIndex() + 1);
    settings.PressType = ui->rbDouble->isChecked() ? 1 : 0;
    settings.CodecGain = ui->cbCodecGain->currentIndex() != 0 ? 20 : 5;
    if (ui->cbExtDevice->currentIndex() >= 0)
        settings.ExtDevice = static_cast<std::uint8_t>(ui->cbExtDevice->currentIndex());
    settings.SearchStep = static_cast<std::uint8_t>(SpinField(ui->rxseSearchStep, Truncated(ui->rxseSearchStep)));

    const auto timer = [](const QDateEdit* date, const QTimeEdit* time) {
        return TRecSettingsMapping::TimerSeconds(date->date(), time->time().hour(), time->time().minute());
    };
    settings.OnceTimer.On = timer(ui->dtpOnceTmrDateOn, ui->dtpOnceTmrTimeOn);
    settings.OnceTimer.Off = timer(ui->dtpOnceTmrDateOff, ui->dtpOnceTmrTimeOff);
    settings.OnceTimer.Disabled = ui->cbOnceTmr->isChecked() ? 0 : 255;
    // The daily timer's times stand on the once timer's stop date.
    settings.DailyTimer.On = timer(ui->dtpOnceTmrDateOff, ui->dtpDailyTmrTimeOn);
    settings.DailyTimer.Off = timer(ui->dtpOnceTmrDateOff, ui->dtpDailyTmrTimeOff);
    settings.DailyTimer.Disabled = ui->cbDailyTmr->isChecked() ? 0 : 255;

    settings.Aon = TRecSettingsMapping::WriteAon(AonControls(), ui->cbAonOnly->isChecked());
}

void TfrmRecSettings::SettingsToControls(const TRecorderSettings& settings)
{
    const bool wasLoading = m_loading;
    m_loading = true;
    const auto done = qScopeGuard([this, wasLoading] { m_loading = wasLoading; });

    ui->cbCodecGain->clear();
    ui->cbCodecGain->addItems(ConstLines("CodecGainsStr"));
    ui->cbExtDevice->clear();
    ui->cbExtDevice->addItems(ConstLines("ExtDevicesStr"));
    ui->cbDetectType->clear();
    for (const char* name : {"CIDDisabledStr", "AONStr", "FSKCIDStr", "DTMFCIDStr"})
        ui->cbDetectType->addItem(LangConst(QLatin1String(name)));
    ui->cbDetectType->setCurrentIndex(0);
    DetectTypeChange();

    const TRecordProfile& profile =
        settings.Profiles[std::min<std::size_t>(settings.CurrentProfile, kProfileCount - 1)];
    ui->lbMinRecTime->setText(LangConst(QStringLiteral("MinRecordTimeStr")) + QLatin1Char(' ') +
                              FormatHms(m_model ? m_model->RecordTime(profile) : 0));

    ui->cbScale->setCurrentIndex(ui->cbScale->count() - 1);
    if (profile.Compress == 1) {
        ui->rbuLaw->setChecked(true);
        ui->cbScale->setCurrentIndex(profile.CompressParam < ui->cbScale->count() ? profile.CompressParam : -1);
    } else if (profile.Compress == 2) {
        (profile.CompressParam == 1 ? ui->rbADPCM2 : ui->rbADPCM4)->setChecked(true);
    } else {
        ui->rbNoCompress->setChecked(true);
    }
    if (profile.SampleRate == 8000)
        ui->rbSR08000->setChecked(true);
    else if (profile.SampleRate == 16000)
        ui->rbSR16000->setChecked(true);
    else
        ui->rbSR04000->setChecked(true);
    ui->cbCyclicRec->setChecked(profile.CyclicRecord != 0);
    ShowSpin(ui->rxseCycleLen, profile.CycleBufSize, profile.CycleBufSize);
    ui->cbVAS->setChecked(profile.Vas != 0);

    const TVasParams& vas = settings.Vas;
    ui->rxseT1->SetValue(TRecSettingsMapping::Seconds(vas.T1));
    ui->rxseT2->SetValue(TRecSettingsMapping::Seconds(vas.T2));
    ui->rxseT3->SetValue(TRecSettingsMapping::Seconds(vas.T3));
    ui->rxseT5->SetValue(TRecSettingsMapping::Seconds(vas.T5));
    ShowSpin(ui->rxseT4, vas.T4, vas.T4);
    TMySpinEdit* gains[] = {ui->rxseX1, ui->rxseX2, ui->rxseX3};
    const std::uint8_t fields[] = {vas.X1, vas.X2, vas.X3};
    for (std::size_t i = 0; i < 3; ++i)
        ShowSpin(gains[i], GainToDb(TRecSettingsMapping::kGainReference, fields[i]), fields[i]);
    FillPresetLists(settings);

    (settings.PressType != 0 ? ui->rbDouble : ui->rbSingle)->setChecked(true);
    ui->cbCodecGain->setCurrentIndex(settings.CodecGain == 5 ? 0 : 1);
    ui->cbExtDevice->setCurrentIndex(settings.ExtDevice < ui->cbExtDevice->count() ? settings.ExtDevice : -1);
    const int access = settings.AccessLevel - 1;
    ui->cbAccessLevel->setCurrentIndex(access >= 0 && access < ui->cbAccessLevel->count() ? access : -1);

    // Field by field: the recorder's clock has no time zone.
    const auto showTimer = [](std::uint32_t seconds, QDateEdit* date, QTimeEdit* time) {
        const SYSTEMTIME at = RtcToSystemTime(seconds);
        if (date)
            date->setDate(QDate(at.wYear, at.wMonth, at.wDay));
        time->setTime(QTime(at.wHour, at.wMinute, at.wSecond, at.wMilliseconds));
    };
    showTimer(settings.OnceTimer.On, ui->dtpOnceTmrDateOn, ui->dtpOnceTmrTimeOn);
    showTimer(settings.OnceTimer.Off, ui->dtpOnceTmrDateOff, ui->dtpOnceTmrTimeOff);
    ui->cbOnceTmr->setChecked(settings.OnceTimer.Disabled == 0);
    showTimer(settings.DailyTimer.On, nullptr, ui->dtpDailyTmrTimeOn);
    showTimer(settings.DailyTimer.Off, nullptr, ui->dtpDailyTmrTimeOff);
    ui->cbDailyTmr->setChecked(settings.DailyTimer.Disabled == 0);
    ShowSpin(ui->rxseSearchStep, settings.SearchStep, settings.SearchStep);

    TAonControls aon = AonControls();
    TRecSettingsMapping::ReadAon(settings.Aon, aon);
    ShowAonControls(aon);

    if (ui->cbAonOnly->isChecked()) {
        // Only "Dasabled" and Russian Caller ID; a removed selection is none.
        const bool dropped = ui->cbDetectType->currentIndex() >= 2;
        while (ui->cbDetectType->count() > 2)
            ui->cbDetectType->removeItem(ui->cbDetectType->count() - 1);
        if (dropped || ui->cbDetectType->currentIndex() < 0)
            ui->cbDetectType->setCurrentIndex(0);
        DetectTypeChange();
    }
}

QString TfrmRecSettings::CurrentPassword() const
{
    return m_model ? PasswordText(m_model->Settings().Password) : QString();
}

void TfrmRecSettings::actRestoreExecute()
{
    m_passwordChanged = false;
    if (!m_model)
        return;
    m_settings = m_model->Settings();
    SelectTab(std::min<int>(m_settings.CurrentProfile, kProfileCount - 1));
    const bool hasPassword = HasPassword(m_settings.Password);
    ui->edPassword->setText(hasPassword ? kPasswordPlaceholder : QString());
    ui->edPassword->setModified(false);
    SettingsToControls(m_settings);
    ControlsToSettings(m_settings);
    edPasswordEnter();
}

void TfrmRecSettings::edPasswordEnter()
{
    ui->edPassword->selectAll();
}

// The placeholder means "kept", an empty edit "no password"; only a typed
// text is a new password.
void TfrmRecSettings::edPasswordExit()
{
    if (!ui->edPassword->isModified())
        return;
    m_newPassword = ui->edPassword->text();
    m_passwordChanged = m_newPassword != CurrentPassword();
    m_settingsEdited = true;
    ui->edPassword->setModified(false);
    if (!ui->edPassword->text().isEmpty())
        ui->edPassword->setText(kPasswordPlaceholder);
}

bool TfrmRecSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->edPassword) {
        if (event->type() == QEvent::FocusIn)
            QMetaObject::invokeMethod(
                this, [this] { edPasswordEnter(); }, Qt::QueuedConnection);
        else if (event->type() == QEvent::FocusOut)
            Guarded([&] { edPasswordExit(); });
    }
    return TModalDialog::eventFilter(watched, event);
}

void TfrmRecSettings::actStoreExecute()
{
    if (!m_model)
        return;
    // A pending password edit counts before the settings are copied.
    edPasswordExit();
    if (QWidget* focus = focusWidget(); focus && focus != ui->btnClose)
        ui->btnClose->setFocus(Qt::OtherFocusReason);
    ControlsToSettings(m_settings);

    // The working copy keeps the user's values for a retry; the password
    // goes only into what is stored.
    TRecorderSettings stored = m_settings;
    if (m_passwordChanged) {
        const std::optional<QString> again =
            m_passwordDlg ? m_passwordDlg->Ask(LangConst(QStringLiteral("PwdChangeStr"))) : std::nullopt;
        if (again && *again == m_newPassword)
            stored.Password = PasswordBytes(m_newPassword.left(TRecorderSettings::kPasswordUsed));
        else
            AppMessageBox(LangConst(again ? QStringLiteral("ValuesNotEqualStr") : QStringLiteral("PwdNotChangedStr")),
                          MB_OK | MB_ICONINFORMATION, ApplicationTitle());
    }
    {
        TBusyCursorScope busy;
        m_model->Store(stored);
    }
    actRestoreExecute();
    m_settingsEdited = false;
    m_passwordChanged = false;
}
