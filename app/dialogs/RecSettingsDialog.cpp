#include "app/dialogs/RecSettingsDialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolBar>
#include <algorithm>
#include <optional>

#include "app/dialogs/ModalResult.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsMapping.h"
#include "app/dialogs/StoredValueMarker.h"
#include "app/lang/FormLanguage.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/MainUiLock.h"
#include "core/recorder/NoPasswordBytes.h"
#include "core/recorder/RecorderSettingsModel.h"
#include "localizer/LangConst.h"
#include "ui_RecSettingsDialog.h"

namespace {

// Shown while the recorder has a password; the password itself never is.
const QString kPasswordPlaceholder = QStringLiteral("       ");

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

    // The items the form carries for translation; each load refills them.
    FillConstantItems();

    for (int i = 1; i <= kProfileCount; ++i)
        ui->tcRecSet->addTab(QStringLiteral("Profile %1").arg(i));
    ui->tcRecSet->setExpanding(false);
    // All eight profile tabs and the longest device name in full.
    ui->tcRecSet->setUsesScrollButtons(false);
    ui->cbExtDevice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ui->cbExtDevice->setMinimumWidth(ui->cbExtDevice->sizeHint().width());
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
    // Whatever selects a page not shown, the first page is shown instead.
    connect(ui->pcSettings, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && !PageShown(index))
            ui->pcSettings->setCurrentWidget(ui->tsGeneral);
    });
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
    // The spin clamps; what is stored is shown beside it, until edited.
    TStoredValueMarker*& marker = m_markers[spin];
    if (!marker) {
        marker = new TStoredValueMarker(*spin);
        connect(spin, &QLineEdit::textChanged, marker, [this, spin, marker] {
            const auto loaded = m_loadedSpins.find(spin);
            if (loaded != m_loadedSpins.end() && spin->Value() != loaded->second.Shown)
                marker->Show(std::nullopt);
        });
    }
    marker->Show(spin->Value() != value ? std::optional<std::int64_t>(field) : std::nullopt);
}

QLabel* TfrmRecSettings::StoredValueMarker(const TMySpinEdit* spin) const
{
    const auto marker = m_markers.find(spin);
    return marker != m_markers.end() ? marker->second->Label() : nullptr;
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
    ShowPage(ui->tsHidden, visible);
}

bool TfrmRecSettings::HiddenPageVisible() const
{
    return PageShown(ui->pcSettings->indexOf(ui->tsHidden));
}

// Ctrl+Tab skips disabled tabs, not invisible ones: a page not shown is both.
// Only the tab is disabled, so the page's own controls keep their state.
void TfrmRecSettings::ShowPage(QWidget* page, bool shown)
{
    QTabWidget* pages = ui->pcSettings;
    const int index = pages->indexOf(page);
    if (!shown && pages->currentIndex() == index)
        pages->setCurrentWidget(ui->tsGeneral);
    pages->tabBar()->setTabEnabled(index, shown);
    pages->setTabVisible(index, shown);
}

bool TfrmRecSettings::PageShown(int index) const
{
    const QTabWidget* pages = ui->pcSettings;
    return pages->isTabVisible(index) && pages->tabBar()->isTabEnabled(index);
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
