// The settings dialog's two mappings between the settings record and its
// controls, with the caller-ID controls they go through.
#include <QComboBox>
#include <QDateEdit>
#include <QScopeGuard>
#include <QTimeEdit>
#include <algorithm>
#include <cmath>

#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/RecSettingsMapping.h"
#include "app/services/FormatHms.h"
#include "core/protocol/RecorderClock.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "core/settings/ProfileValueConversions.h"
#include "localizer/LangConst.h"
#include "ui_RecSettingsDialog.h"

namespace {

QStringList ConstLines(const char* name)
{
    return LangConst(QLatin1String(name)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

int Truncated(const TMySpinEdit* spin)
{
    return static_cast<int>(std::trunc(spin->Value()));
}

}  // namespace

void TfrmRecSettings::FillConstantItems()
{
    ui->cbCodecGain->clear();
    ui->cbCodecGain->addItems(ConstLines("CodecGainsStr"));
    ui->cbExtDevice->clear();
    ui->cbExtDevice->addItems(ConstLines("ExtDevicesStr"));
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

    FillConstantItems();
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
