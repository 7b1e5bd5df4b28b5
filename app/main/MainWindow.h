#pragma once

#include <QMainWindow>
#include <array>
#include <memory>

#include "app/dialogs/SettingsOptionEffects.h"
#include "core/links/ConnectType.h"
#include "core/settings/MainSettingsFile.h"

class QComboBox;
class QLabel;
class QMenu;
class QShortcut;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeView;
class TAboutBox;
class TCaptionFocusCues;
class TConnectionController;
class TConnectionMenu;
class TContentListsController;
class TCopyToPcActions;
class TCopyToRecorderActions;
class TEraseActions;
class TExplorerDrops;
class TExplorerPane;
class TIdleScheduler;
class TLongOperation;
class TMainWindowCommands;
class TMainUiLock;
class TMenuLanguageView;
class TPasswordDlg;
class TStatusPanel;
class TWaveInfoAction;
class TfrmRecSettings;
class TfrmSplash;
class TfrmStatus;
struct TLanguageMenuState;

// The main window: the frame of menus, tool bar, panels and actions that
// hosts the connection controller, the lists, the explorer pane and the
// action groups.
class TfrmTrellavoxMain : public QMainWindow, public TSettingsOptionEffects {
    Q_OBJECT
public:
    // FormCreate.
    explicit TfrmTrellavoxMain(QWidget* parent = nullptr);
    ~TfrmTrellavoxMain() override;

    // The dialogs made after the main window (see TAppForms); the
    // connection controller is built here, once, with them.
    void AttachForms(TfrmRecSettings* recSettings, TfrmStatus* status, TPasswordDlg* password);
    // The about box of About1.
    void AttachAboutBox(TAboutBox* aboutBox);
    // The start-up work, once, after every form exists.
    void StartupWork();
    // Shows the window as the saved placement says.
    void ShowPlaced();
    // From now on the event loop drives the idle pass.
    void EnableIdlePasses();
    // A second copy asked for this one: restore and raise it.
    void BringToFront();
    // FormCloseQuery: refused while a long operation or a recorder job runs.
    bool CanClose() const;
    // No idle pass runs: the interface is locked or the settings dialog is
    // up (a pass's refresh would restore its edits away).
    bool IdleBlocked() const;
    // The enabled states of every action group's actions, as the idle pass
    // and a shortcut key bring them up to date.
    void UpdateActions();

    // What the settings dialog's options change here.
    void SetCopySelPartHidden(bool hidden) override;
    void SetFlashDriveOptions(bool disabled, bool hidden) override;

    TConnectionController& Connection() const { return *m_connection; }  // after AttachForms
    TConnectionMenu& ConnectionMenu() const { return *m_connectionMenu; }
    TMainWindowCommands& Commands() const { return *m_commands; }  // after AttachForms
    TContentListsController& Lists() const { return *m_lists; }
    TExplorerPane& Explorer() const { return *m_explorer; }
    // The drag and drop rules; the copy actions set its hooks.
    TExplorerDrops& Drops() const { return *m_drops; }
    TWaveInfoAction& WaveInfo() const { return *m_waveInfo; }
    TCopyToPcActions& CopyToPc() const { return *m_copyToPc; }
    TCopyToRecorderActions& CopyToRecorder() const { return *m_copyToRec; }
    TLongOperation& Operation() const { return *m_operation; }
    TMainUiLock& UiLock() const { return *m_uiLock; }
    TfrmSplash* Splash() const { return m_splash.get(); }

    // What the main settings file keeps of the window.
    WINDOWPLACEMENT CurrentPlacement() const;
    // ProgramOptions and the layout as the controls show it now.
    TMainSettings CurrentSettings() const;
    // Sets ProgramOptions and the controls, checks the connection menu item
    // and rebuilds the recent-file menu.
    void ApplySettings(const TMainSettings& settings);
    void CheckConnectMenuItem(TConnectMenuItem item);
    // The connection menu item of a type (the default type's for an unknown one).
    QAction* ConnectMenuItem(int connectType) const { return miConnect[ConnectTypeRow(connectType).type]; }

    // Actions.
    QAction* actConnect = nullptr;
    QAction* actDisconnect = nullptr;
    QAction* actRecRefresh = nullptr;
    QAction* actCopyToPC = nullptr;
    QAction* actCopyToRec = nullptr;
    QAction* actMoveToPC = nullptr;
    QAction* actCopyToDefFolder = nullptr;
    QAction* actMoveToDefFolder = nullptr;
    QAction* actCopySelPart = nullptr;
    QAction* actShowRec = nullptr;
    QAction* actShowDrv = nullptr;
    QAction* actDrvLevelUp = nullptr;
    QAction* actSyncClock = nullptr;
    QAction* actRecErase = nullptr;
    QAction* actFormat = nullptr;
    QAction* actShowAddInfo = nullptr;
    QAction* actRecSettings = nullptr;

    // Menus.
    QMenu* Recorder1 = nullptr;
    QAction* Connectiontype1 = nullptr;
    QMenu* pmConnect = nullptr;
    // One item a connection type, in the order of the type table.
    std::array<QAction*, kConnectTypes.size()> miConnect{};
    QMenu* Language1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* mnLargeIcons = nullptr;
    QAction* mnSmallIcons = nullptr;
    QAction* mnList = nullptr;
    QAction* mnReport = nullptr;
    QAction* Connect1 = nullptr;  // Recorder1's items of actConnect and actDisconnect
    QAction* Disconnect1 = nullptr;
    QAction* Copytorecorder1 = nullptr;  // Recorder1's item of actCopyToRec
    QAction* Showaddinfo1 = nullptr;     // View1's item of actShowAddInfo
    QMenu* PopupMenu2 = nullptr;         // the rows of both recorder views
    QAction* Exit1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;
    // Ctrl+Alt+Shift+P: the settings dialog's hidden page on and off.
    QShortcut* scHiddenSettings = nullptr;

    // Tool bar.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* tlbtnConnect = nullptr;
    QToolButton* tlbtnDisconnect = nullptr;
    QToolButton* tlbtnRefresh = nullptr;
    QToolButton* tlbtnCopyToPc = nullptr;
    QToolButton* tlbtnCopyToRec = nullptr;  // on the explorer pane's tool bar
    QToolButton* tlbtnCopyToDefFolder = nullptr;
    QToolButton* tlbtnAddInfo = nullptr;

    // Panels.
    QWidget* mainPanel = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* pnlRecContent = nullptr;
    QWidget* pnlRecCaption = nullptr;
    QLabel* lblRecContent = nullptr;
    QWidget* pnlRecLocation = nullptr;
    QComboBox* cbexRecLocation = nullptr;
    QLabel* lbDemo = nullptr;
    TStatusPanel* pnlStatus = nullptr;
    QWidget* pnlRecorder = nullptr;
    QTreeView* lvRecContent = nullptr;
    QTreeView* lvDrvContent = nullptr;
    QLabel* lbErrorState = nullptr;

signals:
    // The accepted close: the program ends.
    void Closed();

protected:
    // The tool bar and the menu bar have no menu of their own (nothing to hide
    // or show there): a right click or the Menu key over them opens nothing.
    QMenu* createPopupMenu() override { return nullptr; }
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildPanels();
    void BuildConnectionMenu();
    void BuildContentLists();
    void BuildCopyToPc();
    void BuildExplorerLinks();
    void FormCreate();
    void LanguageController1LanguageChanged();
    void WireConnection(TfrmRecSettings* recSettings, TPasswordDlg* password);
    void WireCommands(TfrmRecSettings* recSettings);
    void FormClose();

    void PrepareSettingsFile();
    void BuildLanguageMenuFromFiles(std::uint16_t savedLangID);
    void ApplyDefaultFolder();
    void ViewStyleClick(int style);
    void LanguageClick(int position);
    void FreeSplash();

    std::unique_ptr<TMainUiLock> m_uiLock;
    std::unique_ptr<TLongOperation> m_operation;
    TConnectionController* m_connection = nullptr;
    TConnectionMenu* m_connectionMenu = nullptr;
    TMainWindowCommands* m_commands = nullptr;
    TContentListsController* m_lists = nullptr;
    TExplorerPane* m_explorer = nullptr;
    TExplorerDrops* m_drops = nullptr;
    TCaptionFocusCues* m_focusCues = nullptr;
    TWaveInfoAction* m_waveInfo = nullptr;
    TCopyToPcActions* m_copyToPc = nullptr;
    TEraseActions* m_erase = nullptr;
    TCopyToRecorderActions* m_copyToRec = nullptr;
    TIdleScheduler* m_scheduler = nullptr;
    std::unique_ptr<TMenuLanguageView> m_languageView;
    std::unique_ptr<TLanguageMenuState> m_languageState;
    std::unique_ptr<TfrmSplash> m_splash;
    TfrmRecSettings* m_recSettings = nullptr;
    std::uint32_t m_showCmd = 1;
};
