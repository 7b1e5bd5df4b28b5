// The main window's start-up and shut-down, and what the settings file
// reads from and writes to it.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/SplashWindow.h"
#include "app/main/ApplicationTitle.h"
#include "app/main/ConnectionController.h"
#include "app/main/ExplorerPane.h"
#include "app/main/IdleScheduler.h"
#include "app/main/LanguageMenuView.h"
#include "app/main/LongOperation.h"
#include "app/main/MainUiLock.h"
#include "app/main/MainWindow.h"
#include "app/services/AppMessageBox.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/MainSettingsFile.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"
#include "localizer/LanguageManager.h"
#include "localizer/LanguageMenu.h"

namespace {

constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kShowMinimized = 2;
constexpr std::uint32_t kShowMaximized = 3;

// The program file whose folder holds the language files.
QString ProgramFile()
{
    return GetProgramFolder() + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QTreeView* ListOf(const TfrmTrellavoxMain& window, TSettingsListView list)
{
    switch (list) {
    case TSettingsListView::RecContent:
        return window.lvRecContent;
    case TSettingsListView::DrvContent:
        return window.lvDrvContent;
    case TSettingsListView::ShellContent:
        return window.Explorer().ListView();
    }
    return nullptr;
}

}  // namespace

void TfrmTrellavoxMain::StartupWork()
{
    PrepareSettingsFile();
    LoadLangID();
    BuildLanguageMenuFromFiles();
    SetApplicationTitle(LangConst(QStringLiteral("AppNameStr")));

    m_splash = std::make_unique<TfrmSplash>(!m_connection->FDiagMode);
    m_splash->setFocus(Qt::OtherFocusReason);
    m_splash->repaint();

    const WINDOWPLACEMENT placement = LoadWindowPlacement(*this);
    const auto& normal = placement.rcNormalPosition;
    if (normal.right > normal.left && normal.bottom > normal.top)
        setGeometry(normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top);
    m_showCmd = placement.showCmd;

    LoadSettings(*this);
    ApplyDefaultFolder();
    if (ProgramOptions.FileNameMask.isEmpty())
        ProgramOptions.FileNameMask = LangConst(QStringLiteral("DefFNMaskStr"));

    ViewStyleClick(m_explorer->ViewStyle());
    pnlRecContent->repaint();
    mainPanel->show();
    // The explorer pane goes to the default folder with the explorer itself.
    m_explorer->ShowExecute();
    m_explorer->TreeExecute();
    m_uiLock->SetFocusControl(pnlRecContent);
    ToolBar1->show();
    tlbtnConnect->setMenu(pmConnect);
    tlbtnConnect->setPopupMode(QToolButton::MenuButtonPopup);
    if (m_recSettings)
        m_recSettings->SetDefaultFolder(ProgramOptions.DefFolder);
    m_connection->FStartupDone = true;
}

void TfrmTrellavoxMain::PrepareSettingsFile()
{
    CreateSettingsFileFromDefault();
    // The current folder is arbitrary here: the default file also ships
    // beside the program.
    const QString target = SettingsFilePath();
    if (!QFile::exists(target))
        QFile::copy(GetProgramFolder() + SettingsFileName(), target);
}

void TfrmTrellavoxMain::BuildLanguageMenuFromFiles()
{
    TLanguageMenuHooks hooks;
    hooks.ShowError = [](const QString& text) { ShowErrorMessage(text); };
    int langID = LangID;
    m_languageState = std::make_unique<TLanguageMenuState>(
        BuildLanguageMenu(LangManager(), *m_languageView, ProgramFile(), langID, hooks));
    LangID = static_cast<std::uint16_t>(langID);
}

void TfrmTrellavoxMain::LanguageClick(int position)
{
    TLanguageMenuHooks hooks;
    hooks.ShowError = [](const QString& text) { ShowErrorMessage(text); };
    hooks.BeforeSwitch = [this] { m_connection->Disconnect(); };
    hooks.AfterSwitch = [this] {
        m_connection->Timer1()->stop();
        if (m_scheduler)
            m_scheduler->SchedulePass();
    };
    int langID = LangID;
    LanguageMenuClick(LangManager(), *m_languageView, *m_languageState, position, langID, hooks);
    LangID = static_cast<std::uint16_t>(langID);
}

void TfrmTrellavoxMain::ApplyDefaultFolder()
{
    QString& folder = ProgramOptions.DefFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = GetDocumentsFolder() + QStringLiteral("Voice Digital Recorder Files");
        QDir().mkpath(folder);
    }
}

void TfrmTrellavoxMain::ShowPlaced()
{
    if (m_showCmd == kShowMaximized)
        showMaximized();
    else if (m_showCmd == kShowMinimized)
        showMinimized();
    else
        show();
}

bool TfrmTrellavoxMain::CanClose() const
{
    return !m_operation->IsBusy() && !m_connection->IsBusy();
}

void TfrmTrellavoxMain::closeEvent(QCloseEvent* event)
{
    if (!CanClose()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    emit Closed();
}

void TfrmTrellavoxMain::FormClose()
{
    try {
        SaveSettings(*this);
    } catch (const std::exception& error) {
        ShowException(error);
    }
    m_connection->Disconnect();
}

void TfrmTrellavoxMain::ViewStyleClick(int style)
{
    QAction* items[] = {mnLargeIcons, mnSmallIcons, mnList, mnReport};
    if (style >= 0 && style < 4)
        items[style]->setChecked(true);
    m_explorer->ApplyViewStyle(style);
}

// TMainWindowSettingsHost.

WINDOWPLACEMENT TfrmTrellavoxMain::CurrentPlacement() const
{
    WINDOWPLACEMENT placement;
    placement.showCmd = isMaximized() ? kShowMaximized : isMinimized() ? kShowMinimized : kShowNormal;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    placement.rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                  normal.top() + normal.height()};
    return placement;
}

int TfrmTrellavoxMain::ExplorerWidth() const
{
    return m_explorer->ExplorerWidth();
}

void TfrmTrellavoxMain::SetExplorerWidth(int width)
{
    m_explorer->SetExplorerWidth(width);
}

bool TfrmTrellavoxMain::ExplorerShown() const
{
    return m_explorer->ExplorerShown();
}

void TfrmTrellavoxMain::SetExplorerShown(bool shown)
{
    m_explorer->SetExplorerShown(shown);
}

int TfrmTrellavoxMain::FoldersWidth() const
{
    return m_explorer->FoldersWidth();
}

void TfrmTrellavoxMain::SetFoldersWidth(int width)
{
    m_explorer->SetFoldersWidth(width);
}

bool TfrmTrellavoxMain::FolderTreeShown() const
{
    return m_explorer->FolderTreeShown();
}

void TfrmTrellavoxMain::SetFolderTreeShown(bool shown)
{
    m_explorer->SetFolderTreeShown(shown);
}

int TfrmTrellavoxMain::ViewStyle() const
{
    return m_explorer->ViewStyle();
}

void TfrmTrellavoxMain::SetViewStyle(int style)
{
    m_explorer->SetViewStyle(style);
}

int TfrmTrellavoxMain::ColumnCount(TSettingsListView list) const
{
    return ListOf(*this, list)->header()->count();
}

int TfrmTrellavoxMain::ColumnWidth(TSettingsListView list, int column) const
{
    return ListOf(*this, list)->columnWidth(column);
}

void TfrmTrellavoxMain::SetColumnWidth(TSettingsListView list, int column, int width)
{
    ListOf(*this, list)->setColumnWidth(column, width);
}

void TfrmTrellavoxMain::CheckConnectMenuItem(TConnectMenuItem item)
{
    ConnectMenuItem(static_cast<int>(item))->setChecked(true);
}

void TfrmTrellavoxMain::RebuildRecentFilesMenu()
{
    // The recent-file entries come with the connection menu.
}
