#include "app/main/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/actions/CopyToPcActions.h"
#include "app/actions/CopyToRecorderActions.h"
#include "app/actions/EraseActions.h"
#include "app/actions/WaveInfoAction.h"
#include "app/connection/ConnectionController.h"
#include "app/connection/ConnectionMenu.h"
#include "app/connection/StatusPanel.h"
#include "app/dialogs/PasswordDialog.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/SplashWindow.h"
#include "app/dialogs/StatusWindow.h"
#include "app/explorer/ExplorerDrops.h"
#include "app/explorer/ExplorerPane.h"
#include "app/lang/FormLanguage.h"
#include "app/lists/ContentListsController.h"
#include "app/lists/ListViewSetup.h"
#include "app/main/CaptionFocusCues.h"
#include "app/main/CommandLine.h"
#include "app/main/IdleScheduler.h"
#include "app/main/LanguageMenuView.h"
#include "app/main/MainWindowCommands.h"
#include "app/main/ShortcutActionUpdate.h"
#include "app/services/AppMessageBox.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/links/ConnectType.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageMenu.h"
#include "widgets/lang/LangProperties.h"
#include "widgets/lang/LanguageController.h"

namespace {

QAction* MakeAction(QObject* owner, const char* name, const QString& caption, const QString& hint = {},
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    return action;
}

QToolButton* MakeToolButton(QToolBar* bar, const char* name, QAction* action)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

// A menu item of its own that stands for the action: caption, enabled state
// and shortcut text follow the action, a click runs it.
QAction* AddLinkedItem(QMenu* menu, QAction* action, const char* name)
{
    auto* item = menu->addAction(action->text());
    item->setObjectName(QLatin1String(name));
    item->setProperty(kLinkedActionProperty, QVariant::fromValue<QObject*>(action));
    const auto follow = [item, action] {
        item->setText(action->text());
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
    };
    follow();
    QObject::connect(action, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    return item;
}

}  // namespace

TfrmTrellavoxMain::TfrmTrellavoxMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmTrellavoxMain"));
    setWindowTitle(QStringLiteral("Trellavox"));
    resize(900, 600);
    BuildActions();
    BuildPanels();
    BuildMenus();
    BuildToolBar();
    BuildContentLists();
    BuildExplorerLinks();
    m_uiLock = std::make_unique<TMainUiLock>(*this, *mainPanel);
    m_operation = std::make_unique<TLongOperation>(*m_uiLock);
    BuildCopyToPc();
    BindFormLanguage(this)->OnLanguageChanged = [this](TLanguageController&) { LanguageController1LanguageChanged(); };
    FormCreate();
}

TfrmTrellavoxMain::~TfrmTrellavoxMain()
{
    // The recorder goes before the dialogs it reports to.
    delete m_scheduler;
    m_scheduler = nullptr;
    delete m_connection;
    m_connection = nullptr;
    delete m_lists;
    m_lists = nullptr;
}

void TfrmTrellavoxMain::AttachForms(TfrmRecSettings* recSettings, TfrmStatus* status, TPasswordDlg* password)
{
    if (m_connection)
        throw std::logic_error("the main window's forms are attached once");
    m_recSettings = recSettings;
    m_operation->SetStatusWindow(status);
    WireConnection(recSettings, password);
    WireCommands(recSettings);
    new TShortcutActionUpdate([this] { UpdateActions(); }, [this] { return IdleBlocked(); }, this);
}

void TfrmTrellavoxMain::AttachAboutBox(TAboutBox* aboutBox)
{
    m_commands->SetAboutBox(aboutBox);
}

void TfrmTrellavoxMain::BuildActions()
{
    actConnect = MakeAction(this, "actConnect", QStringLiteral("Connect"));
    actDisconnect = MakeAction(this, "actDisconnect", QStringLiteral("Disconnect"));
    // The connection state machine enables them.
    actConnect->setEnabled(false);
    actDisconnect->setEnabled(false);
    actRecRefresh = MakeAction(this, "actRecRefresh", QStringLiteral("Refresh content"));
    actCopyToPC = MakeAction(this, "actCopyToPC", QStringLiteral("Copy to PC"),
                             QStringLiteral("Copy Selected Items To PC"), QKeySequence(Qt::Key_F5));
    actCopyToRec = MakeAction(this, "actCopyToRec", QStringLiteral("Copy to recorder"),
                              QStringLiteral("Copy To Recorder"), QKeySequence(Qt::ALT | Qt::Key_Left));
    actMoveToPC = MakeAction(this, "actMoveToPC", QStringLiteral("Move to PC"),
                             QStringLiteral("Move Selected Items To PC"), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    actCopySelPart = MakeAction(this, "actCopySelPart", QStringLiteral("Copy selected part..."),
                                QStringLiteral("Copy selected part of record"));
    actCopyToDefFolder = MakeAction(this, "actCopyToDefFolder", QStringLiteral("Copy to default folder"),
                                    QStringLiteral("Copy Selected Items To Default Folder"), QKeySequence(Qt::Key_F6));
    actMoveToDefFolder =
        MakeAction(this, "actMoveToDefFolder", QStringLiteral("Move to default folder"),
                   QStringLiteral("Move Selected Items To Default Folder"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    actShowRec = MakeAction(this, "actShowRec", QStringLiteral("Records"), {}, QKeySequence(Qt::Key_F3));
    actShowDrv = MakeAction(this, "actShowDrv", QStringLiteral("Flash Drive"), {}, QKeySequence(Qt::Key_F4));
    actDrvLevelUp = MakeAction(this, "actDrvLevelUp", QStringLiteral("Level Up"), QStringLiteral("Up One Level"));
    actDrvLevelUp->setEnabled(false);
    actSyncClock = MakeAction(this, "actSyncClock", QStringLiteral("Synchronize clock"),
                              QStringLiteral("Synchronize recorder time with system time"));
    actRecErase = MakeAction(this, "actRecErase", QStringLiteral("Erase selected items"), {}, QKeySequence(Qt::Key_F8));
    actFormat = MakeAction(this, "actFormat", QStringLiteral("Format recorder memory"));
    actRecSettings = MakeAction(this, "actRecSettings", QStringLiteral("Settings..."),
                                QStringLiteral("Recorder settings"), QKeySequence(Qt::Key_F9));
    for (QAction* action :
         {actCopyToPC, actCopyToRec, actMoveToPC, actCopyToDefFolder, actMoveToDefFolder, actCopySelPart, actRecErase})
        action->setEnabled(false);
    addActions({actConnect, actDisconnect, actRecRefresh, actCopyToPC, actCopyToRec, actMoveToPC, actCopyToDefFolder,
                actMoveToDefFolder, actCopySelPart, actShowRec, actShowDrv, actDrvLevelUp, actSyncClock, actRecErase,
                actFormat, actRecSettings});
}

void TfrmTrellavoxMain::BuildMenus()
{
    Recorder1 = menuBar()->addMenu(QStringLiteral("&Recorder"));
    Recorder1->setObjectName(QStringLiteral("Recorder1"));
    Connect1 = AddLinkedItem(Recorder1, actConnect, "Connect1");
    Disconnect1 = AddLinkedItem(Recorder1, actDisconnect, "Disconnect1");
    Recorder1->addSeparator();
    Recorder1->addAction(actRecRefresh);
    // A menu item of its own that stands for the action, as the tool button does.
    Copytorecorder1 = Recorder1->addAction(actCopyToRec->text());
    Copytorecorder1->setObjectName(QStringLiteral("Copytorecorder1"));
    Copytorecorder1->setEnabled(actCopyToRec->isEnabled());
    connect(Copytorecorder1, &QAction::triggered, actCopyToRec, &QAction::trigger);
    connect(actCopyToRec, &QAction::changed, Copytorecorder1,
            [this] { Copytorecorder1->setEnabled(actCopyToRec->isEnabled()); });
    Recorder1->addAction(actSyncClock);
    Recorder1->addAction(actFormat);
    Recorder1->addAction(actRecSettings);
    Recorder1->addSeparator();
    Connectiontype1 = Recorder1->addAction(QStringLiteral("Connection type"));
    Connectiontype1->setObjectName(QStringLiteral("Connectiontype1"));
    Connectiontype1->setVisible(false);
    Recorder1->addSeparator();
    // Alt+F4 usually stays with the window manager; either way it closes
    // through closeEvent.
    Exit1 = Recorder1->addAction(QStringLiteral("Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    Exit1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    View1->addAction(actShowRec);
    View1->addAction(actShowDrv);
    View1->addSeparator();
    View1->addAction(m_explorer->ShowAction());
    View1->addAction(m_explorer->TreeAction());
    View1->addSeparator();
    // The view-style items are the pane's, shared with its tool button.
    QAction** items[] = {&mnLargeIcons, &mnSmallIcons, &mnList, &mnReport};
    for (int style = 0; style < 4; ++style) {
        *items[style] = m_explorer->StyleItem(style);
        View1->addAction(*items[style]);
    }
    View1->addSeparator();
    // A menu item of its own that stands for the action, as the tool button does.
    Showaddinfo1 = View1->addAction(actShowAddInfo->text());
    Showaddinfo1->setObjectName(QStringLiteral("Showaddinfo1"));
    Showaddinfo1->setShortcut(actShowAddInfo->shortcut());
    Showaddinfo1->setShortcutContext(Qt::WidgetShortcut);
    Showaddinfo1->setEnabled(actShowAddInfo->isEnabled());
    connect(Showaddinfo1, &QAction::triggered, actShowAddInfo, &QAction::trigger);
    connect(actShowAddInfo, &QAction::changed, Showaddinfo1,
            [this] { Showaddinfo1->setEnabled(actShowAddInfo->isEnabled()); });

    Language1 = menuBar()->addMenu(QStringLiteral("&Language"));
    Language1->setObjectName(QStringLiteral("Language1"));
    m_languageView = std::make_unique<TMenuLanguageView>(
        *Language1, [this](int position) { RunGuarded([&] { LanguageClick(position); }); });

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    About1 = Help1->addAction(QStringLiteral("&About..."));
    About1->setObjectName(QStringLiteral("About1"));

    // Seen before the focused control, as a shortcut of the window.
    scHiddenSettings = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_P), this);
    scHiddenSettings->setObjectName(QStringLiteral("scHiddenSettings"));
    scHiddenSettings->setContext(Qt::WindowShortcut);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addActions({actCopyToPC, actMoveToPC});
    PopupMenu2->addSeparator();
    PopupMenu2->addActions({actCopyToDefFolder, actMoveToDefFolder});
    PopupMenu2->addAction(actCopySelPart);
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(actRecErase);

    BuildConnectionMenu();
}

void TfrmTrellavoxMain::BuildConnectionMenu()
{
    pmConnect = new QMenu(this);
    pmConnect->setObjectName(QStringLiteral("pmConnect"));
    m_connectionMenu = new TConnectionMenu(
        *pmConnect, [this](int connectType) { return m_connection->SelectConnectType(connectType); }, this);
    miConnect = m_connectionMenu->Items();
}

void TfrmTrellavoxMain::BuildContentLists()
{
    TContentListsUi ui;
    ui.LvRecContent = lvRecContent;
    ui.LvDrvContent = lvDrvContent;
    ui.CbexRecLocation = cbexRecLocation;
    ui.ActShowRec = actShowRec;
    ui.ActShowDrv = actShowDrv;
    ui.ActDrvLevelUp = actDrvLevelUp;
    ui.ActRecErase = actRecErase;
    ui.PopupMenu2 = PopupMenu2;
    ui.StatusKeyAllowed = [this] {
        return IsDemoConnection(ProgramOptions.ConnectType) || (m_connection && m_connection->FDiagMode);
    };
    ui.Recorder = [this] { return m_connection ? m_connection->Recorder() : nullptr; };
    ui.Connected = [this] { return m_connection && m_connection->FConnected; };
    m_lists = new TContentListsController(ui, this);
}

void TfrmTrellavoxMain::BuildCopyToPc()
{
    TCopyToPcUi ui;
    ui.MainWindow = this;
    ui.Lists = m_lists;
    ui.Operation = m_operation.get();
    ui.ActCopyToPC = actCopyToPC;
    ui.ActMoveToPC = actMoveToPC;
    ui.ActCopyToDefFolder = actCopyToDefFolder;
    ui.ActMoveToDefFolder = actMoveToDefFolder;
    ui.ActCopySelPart = actCopySelPart;
    ui.Recorder = [this] { return m_connection ? m_connection->Recorder() : nullptr; };
    ui.ExplorerShown = [this] { return m_explorer->ExplorerShown(); };
    m_copyToPc = new TCopyToPcActions(ui, this);
    m_copyToPc->ExplorerFolder = [this] { return m_explorer->CurrentFolder(); };
    // A move and the automatic delete erase only what was copied, through the
    // erase action and its question; the gate checks each copy at its erase.
    m_copyToPc->EraseItems = [this](const TRecordList& records, const TFileList& driveFiles, const TEraseGate& gate) {
        if (!m_erase)
            return;
        std::vector<const TRecords::TRecordItem*> recordItems;
        for (int i = 0; i < records.Count(); ++i)
            recordItems.push_back(records.Items(i));
        std::vector<const TFileListItem*> driveEntries;
        for (int i = 0; i < driveFiles.Count(); ++i)
            driveEntries.push_back(driveFiles.Items(i));
        m_erase->EraseItems(recordItems, driveEntries, gate);
    };
    m_lists->SetAutoDownload(
        [this](bool nonDownOnly, bool autoDelete) { m_copyToPc->RunAutoDownload(nonDownOnly, autoDelete); });

    TCopyToRecorderUi recUi;
    recUi.MainWindow = this;
    recUi.Lists = m_lists;
    recUi.ConnectedRecorder = [this]() -> TCustomRecorder* {
        return m_connection && m_connection->FConnected ? m_connection->Recorder() : nullptr;
    };
    recUi.RefreshContent = [this] { m_connection->RefreshRecorderContent(); };
    recUi.Operation = m_operation.get();
    recUi.ActCopyToRec = actCopyToRec;
    m_copyToRec = new TCopyToRecorderActions(recUi, this);
    m_copyToRec->SelectedPaths = [this] { return m_explorer->SelectedPaths(); };
    m_copyToRec->AskOverwrite = [this](QString& target, bool renameAllowed) {
        return m_copyToPc->AskOverwrite(target, renameAllowed);
    };
    // A drop on the explorer is a copy to PC, whatever keys are held; one on
    // the recorder's lists a copy to recorder.
    m_drops->SetHooks({[this] { m_copyToRec->actCopyToRecExecute(); },
                       [this](QAction*) { m_copyToPc->actCopyToPCExecute(TCopyToPcKind::CopyToPC); }});
}

void TfrmTrellavoxMain::BuildExplorerLinks()
{
    m_drops = new TExplorerDrops(*m_explorer, {lvRecContent, lvDrvContent}, actCopyToPC, this);
    m_focusCues = new TCaptionFocusCues(this);
    m_focusCues->Watch(*pnlRecContent, *pnlRecCaption);
    m_focusCues->Watch(*m_explorer->Panel(), *m_explorer->Caption());
    m_focusCues->FocusOnClick(*lblRecContent, [this] { pnlRecContent->setFocus(); });
    m_focusCues->FocusOnClick(*m_explorer->CaptionLabel(), [this] { m_explorer->ShownListView()->setFocus(); });
}

void TfrmTrellavoxMain::BuildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    addToolBar(ToolBar1);
    tlbtnConnect = MakeToolButton(ToolBar1, "tlbtnConnect", actConnect);
    tlbtnDisconnect = MakeToolButton(ToolBar1, "tlbtnDisconnect", actDisconnect);
    tlbtnRefresh = MakeToolButton(ToolBar1, "tlbtnRefresh", actRecRefresh);
    ToolBar1->addSeparator();
    tlbtnCopyToPc = MakeToolButton(ToolBar1, "tlbtnCopyToPc", actCopyToPC);
    tlbtnCopyToDefFolder = MakeToolButton(ToolBar1, "tlbtnCopyToDefFolder", actCopyToDefFolder);
    ToolBar1->addSeparator();
    // The copy-to-recorder and wave-file info buttons sit on the explorer pane's tool bar.
    m_explorer->SetCopyToRecorderAction(actCopyToRec);
    tlbtnCopyToRec = m_explorer->CopyToRecorderButton();
    m_explorer->SetAddInfoAction(actShowAddInfo);
    tlbtnAddInfo = m_explorer->AddInfoButton();
    ToolBar1->hide();
}

void TfrmTrellavoxMain::BuildPanels()
{
    mainPanel = new QWidget(this);
    mainPanel->setObjectName(QStringLiteral("mainPanel"));
    setCentralWidget(mainPanel);
    auto* mainLayout = new QHBoxLayout(mainPanel);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, mainPanel);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    mainLayout->addWidget(Splitter1);

    pnlRecContent = new QWidget(Splitter1);
    pnlRecContent->setObjectName(QStringLiteral("pnlRecContent"));
    pnlRecContent->setFocusPolicy(Qt::StrongFocus);
    auto* recLayout = new QVBoxLayout(pnlRecContent);
    recLayout->setContentsMargins(0, 0, 0, 0);
    recLayout->setSpacing(2);

    pnlRecCaption = new QWidget(pnlRecContent);
    pnlRecCaption->setObjectName(QStringLiteral("pnlRecCaption"));
    auto* recCaption = new QHBoxLayout(pnlRecCaption);
    recCaption->setContentsMargins(4, 2, 4, 2);
    lblRecContent = new QLabel(QStringLiteral("Recorder"), pnlRecCaption);
    lblRecContent->setObjectName(QStringLiteral("lblRecContent"));
    recCaption->addWidget(lblRecContent);
    recLayout->addWidget(pnlRecCaption);

    auto* captionBar = new QHBoxLayout;
    pnlRecLocation = new QWidget(pnlRecContent);
    pnlRecLocation->setObjectName(QStringLiteral("pnlRecLocation"));
    auto* locationLayout = new QHBoxLayout(pnlRecLocation);
    locationLayout->setContentsMargins(0, 0, 0, 0);
    cbexRecLocation = new QComboBox(pnlRecLocation);
    cbexRecLocation->setObjectName(QStringLiteral("cbexRecLocation"));
    locationLayout->addWidget(cbexRecLocation);
    lbDemo = new QLabel(pnlRecContent);
    lbDemo->setObjectName(QStringLiteral("lbDemo"));
    lbDemo->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; padding: 0 6px; }"));
    captionBar->addWidget(pnlRecLocation, 1);
    captionBar->addWidget(lbDemo);
    recLayout->addLayout(captionBar);

    pnlStatus = new TStatusPanel(pnlRecContent);
    pnlStatus->hide();
    recLayout->addWidget(pnlStatus);

    auto* viewArea = new QWidget(pnlRecContent);
    auto* viewGrid = new QGridLayout(viewArea);
    viewGrid->setContentsMargins(0, 0, 0, 0);
    lbErrorState = new QLabel(viewArea);
    lbErrorState->setObjectName(QStringLiteral("lbErrorState"));
    lbErrorState->setAlignment(Qt::AlignCenter);
    lbErrorState->setWordWrap(true);
    pnlRecorder = new QWidget(viewArea);
    pnlRecorder->setObjectName(QStringLiteral("pnlRecorder"));
    pnlRecorder->setAutoFillBackground(true);
    auto* recorderLayout = new QVBoxLayout(pnlRecorder);
    recorderLayout->setContentsMargins(0, 0, 0, 0);
    lvRecContent = MakeReportView(pnlRecorder, "lvRecContent");
    lvDrvContent = MakeReportView(pnlRecorder, "lvDrvContent");
    lvDrvContent->hide();
    recorderLayout->addWidget(lvRecContent);
    recorderLayout->addWidget(lvDrvContent);
    viewGrid->addWidget(lbErrorState, 0, 0);
    viewGrid->addWidget(pnlRecorder, 0, 0);
    pnlRecorder->hide();
    recLayout->addWidget(viewArea, 1);

    m_explorer = new TExplorerPane(*this, *Splitter1);
    m_explorer->SetRecorderPanel(pnlRecContent);
    m_waveInfo = new TWaveInfoAction(*this, [this] {
        return m_explorer->ExplorerShown() ? m_explorer->SelectedFilePath() : QString();
    });
    actShowAddInfo = m_waveInfo->Action();
    // A wider window widens both sides by their share; the widths the
    // settings file gave are where they start.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 1);

    mainPanel->hide();  // shown at the end of the start-up work
}

void TfrmTrellavoxMain::WireConnection(TfrmRecSettings* recSettings, TPasswordDlg* password)
{
    TConnectionUi ui;
    ui.MainWindow = this;
    ui.MainPanel = mainPanel;
    ui.PnlRecorder = pnlRecorder;
    ui.LbErrorState = lbErrorState;
    ui.LbDemo = lbDemo;
    ui.PnlStatus = pnlStatus;
    ui.ActConnect = actConnect;
    ui.ActDisconnect = actDisconnect;
    ui.ActCopyToPC = actCopyToPC;
    ui.ActMoveToPC = actMoveToPC;
    ui.ActCopyToDefFolder = actCopyToDefFolder;
    ui.ActMoveToDefFolder = actMoveToDefFolder;
    ui.TlbtnCopyToPc = tlbtnCopyToPc;
    ui.TlbtnCopyToDefFolder = tlbtnCopyToDefFolder;
    ui.PasswordDlg = password;
    ui.SettingsDlg = recSettings;
    ui.Views = m_lists;
    ui.Operation = m_operation.get();
    ui.DiagMode = HasCommandLineWord(QStringLiteral("diag"));
    ui.ProfMode = HasCommandLineWord(QStringLiteral("prof"));
    m_connection = new TConnectionController(ui, this);
    m_connection->SetPassHooks([this] { m_explorer->RefreshPending(); }, [this] { FreeSplash(); });
    if (m_scheduler)
        m_connection->SetSchedulePass([this] { m_scheduler->SchedulePass(); });
    TConnectionController* connection = m_connection;
    const auto guarded = [connection](void (TConnectionController::*handler)()) {
        return [connection, handler] { RunGuarded([&] { (connection->*handler)(); }); };
    };
    connect(actConnect, &QAction::triggered, m_connection, guarded(&TConnectionController::actConnectExecute));
    connect(actDisconnect, &QAction::triggered, m_connection, guarded(&TConnectionController::actDisconnectExecute));
    connect(actRecRefresh, &QAction::triggered, m_connection, guarded(&TConnectionController::actRecRefreshExecute));
    connect(actSyncClock, &QAction::triggered, m_connection, guarded(&TConnectionController::actSyncClockExecute));
    m_erase = new TEraseActions(*actRecErase, *actFormat, *m_lists, *m_operation,
                                [connection] { return connection->Recorder(); }, this);
    m_erase->CollectDriveSelection = [this] { m_copyToPc->CollectSelectedDrvFiles(); };
    m_erase->RefreshContent = [connection] { connection->RefreshRecorderContent(); };
}

void TfrmTrellavoxMain::WireCommands(TfrmRecSettings* recSettings)
{
    TConnectedActions actions;
    actions.ActRecRefresh = actRecRefresh;
    actions.ActFormat = actFormat;
    actions.ActRecSettings = actRecSettings;
    actions.ActSyncClock = actSyncClock;
    m_commands = new TMainWindowCommands(*this, *m_connection, actions, recSettings);
    TMainWindowCommands* commands = m_commands;
    const auto guarded = [commands](void (TMainWindowCommands::*handler)()) {
        return [commands, handler] { RunGuarded([&] { (commands->*handler)(); }); };
    };
    connect(actRecSettings, &QAction::triggered, m_commands, guarded(&TMainWindowCommands::actRecSettingsExecute));
    connect(About1, &QAction::triggered, m_commands, guarded(&TMainWindowCommands::About1Click));
    connect(Exit1, &QAction::triggered, m_commands, guarded(&TMainWindowCommands::Exit1Click));
    connect(scHiddenSettings, &QShortcut::activated, m_commands, guarded(&TMainWindowCommands::HiddenSettingsKey));
}

void TfrmTrellavoxMain::FormCreate()
{
    pnlRecLocation->setFixedHeight(cbexRecLocation->sizeHint().height());
    // The connection menu is also a submenu of Recorder1, where the
    // placeholder stands.
    pmConnect->setTitle(Connectiontype1->text());
    Recorder1->insertMenu(Connectiontype1, pmConnect);
}

void TfrmTrellavoxMain::LanguageController1LanguageChanged()
{
    // The connection submenu's title is a copy of the placeholder's caption.
    pmConnect->setTitle(Connectiontype1->text());
}

void TfrmTrellavoxMain::EnableIdlePasses()
{
    if (m_scheduler)
        return;
    m_scheduler = new TIdleScheduler(
        [this](bool& done) {
            m_connection->IdlePass(done);
            UpdateActions();
        },
        [this] { return IdleBlocked(); }, this);
    if (m_recSettings)
        connect(m_recSettings, &QDialog::finished, m_scheduler, [this] { m_scheduler->SchedulePass(); });
    m_connection->SetSchedulePass([this] { m_scheduler->SchedulePass(); });
    m_uiLock->SetOnUnlocked([this] { m_scheduler->SchedulePass(); });
    m_scheduler->SchedulePass();
}

void TfrmTrellavoxMain::UpdateActions()
{
    m_lists->UpdateActions();
    m_copyToPc->UpdateActions();
    m_copyToRec->actCopyToRecUpdate();
    m_commands->UpdateActions();
    m_waveInfo->actShowAddInfoUpdate();
    m_explorer->UpdateActions();
}

bool TfrmTrellavoxMain::IdleBlocked() const
{
    return m_uiLock->IsLocked() || (m_recSettings && m_recSettings->isVisible());
}

void TfrmTrellavoxMain::BringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TfrmTrellavoxMain::SetCopySelPartHidden(bool hidden)
{
    m_copyToPc->SetCopySelPartHidden(hidden);
}

void TfrmTrellavoxMain::SetFlashDriveOptions(bool disabled, bool hidden)
{
    m_lists->SetDriveViewOptions(disabled, hidden);
}

void TfrmTrellavoxMain::FreeSplash()
{
    if (!m_splash)
        return;
    m_splash.reset();
    activateWindow();
}

void TfrmTrellavoxMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        m_uiLock->RememberFocus();
}
