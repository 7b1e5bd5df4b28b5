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

#include "app/connection/ConnectionController.h"
#include "app/connection/ConnectionMenu.h"
#include "app/dialogs/RecSettingsDialog.h"
#include "app/dialogs/SplashWindow.h"
#include "app/explorer/ExplorerPane.h"
#include "app/main/IdleScheduler.h"
#include "app/main/LanguageMenuView.h"
#include "app/main/MainWindow.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/LongOperation.h"
#include "app/services/MainUiLock.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/IniFile.h"
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

std::vector<int> ColumnWidths(const QTreeView& list)
{
    std::vector<int> widths(static_cast<std::size_t>(list.header()->count()));
    for (std::size_t column = 0; column < widths.size(); ++column)
        widths[column] = list.columnWidth(static_cast<int>(column));
    return widths;
}

void SetColumnWidths(QTreeView& list, const std::vector<int>& widths)
{
    for (std::size_t column = 0; column < widths.size() && column < std::size_t(list.header()->count()); ++column)
        list.setColumnWidth(static_cast<int>(column), widths[column]);
}

}  // namespace

void TfrmTrellavoxMain::StartupWork()
{
    PrepareSettingsFile();
    BuildLanguageMenuFromFiles(LoadLangID(kDefaultLangID));
    SetApplicationTitle(LangConst(QStringLiteral("AppNameStr")));

    m_splash = std::make_unique<TfrmSplash>(!m_connection->FDiagMode);
    m_splash->setFocus(Qt::OtherFocusReason);
    m_splash->repaint();

    const WINDOWPLACEMENT placement = LoadWindowPlacement(CurrentPlacement());
    const auto& normal = placement.rcNormalPosition;
    if (normal.right > normal.left && normal.bottom > normal.top)
        setGeometry(normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top);
    m_showCmd = placement.showCmd;

    ApplySettings(LoadSettings(CurrentSettings()));
    ApplyDefaultFolder();
    if (ProgramOptions.FileNameMask.isEmpty())
        ProgramOptions.FileNameMask = LangConst(QStringLiteral("DefFNMaskStr"));

    ViewStyleClick(m_explorer->ViewStyle());
    pnlRecContent->repaint();
    mainPanel->show();
    m_explorer->SetCurrentFolder(ProgramOptions.DefFolder);
    m_explorer->ShowExecute();
    m_explorer->TreeExecute();
    m_uiLock->SetFocusControl(pnlRecContent);
    ToolBar1->show();
    tlbtnConnect->setMenu(pmConnect);
    tlbtnConnect->setPopupMode(QToolButton::MenuButtonPopup);
    if (m_recSettings)
        m_recSettings->ShowProgramOptions(ProgramOptions);
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
    // The program runs on its defaults then, and the file is not saved over.
    try {
        CheckSettingsFileReadable();
    } catch (const EIniFileError& error) {
        ShowException(error);
    }
}

void TfrmTrellavoxMain::BuildLanguageMenuFromFiles(std::uint16_t savedLangID)
{
    TLanguageMenuHooks hooks;
    hooks.ShowError = [](const QString& text) { ShowErrorMessage(text); };
    int langID = savedLangID;
    m_languageState = std::make_unique<TLanguageMenuState>(
        BuildLanguageMenu(LangManager(), *m_languageView, ProgramFile(), langID, hooks));
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
    LanguageMenuClick(LangManager(), *m_languageView, *m_languageState, position, hooks);
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
        SaveSettings(CurrentSettings());
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

// What the main settings file keeps of the window.

WINDOWPLACEMENT TfrmTrellavoxMain::CurrentPlacement() const
{
    WINDOWPLACEMENT placement;
    placement.showCmd = isMaximized() ? kShowMaximized : isMinimized() ? kShowMinimized : kShowNormal;
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    placement.rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                  normal.top() + normal.height()};
    return placement;
}

TMainSettings TfrmTrellavoxMain::CurrentSettings() const
{
    TMainSettings settings;
    settings.Options = ProgramOptions;
    TMainWindowLayout& layout = settings.Layout;
    layout.Placement = CurrentPlacement();
    layout.ExplorerWidth = m_explorer->ExplorerWidth();
    layout.ExplorerShown = m_explorer->ExplorerShown();
    layout.FoldersWidth = m_explorer->FoldersWidth();
    layout.FolderTreeShown = m_explorer->FolderTreeShown();
    layout.ViewStyle = m_explorer->ViewStyle();
    layout.RecContentColumns = ColumnWidths(*lvRecContent);
    layout.DrvContentColumns = ColumnWidths(*lvDrvContent);
    layout.ShellContentColumns = ColumnWidths(*m_explorer->ListView());
    return settings;
}

void TfrmTrellavoxMain::ApplySettings(const TMainSettings& settings)
{
    ProgramOptions = settings.Options;
    const TMainWindowLayout& layout = settings.Layout;
    m_explorer->SetExplorerWidth(layout.ExplorerWidth);
    m_explorer->SetExplorerShown(layout.ExplorerShown);
    m_explorer->SetFoldersWidth(layout.FoldersWidth);
    m_explorer->SetFolderTreeShown(layout.FolderTreeShown);
    m_explorer->SetViewStyle(layout.ViewStyle);
    SetColumnWidths(*lvRecContent, layout.RecContentColumns);
    SetColumnWidths(*lvDrvContent, layout.DrvContentColumns);
    SetColumnWidths(*m_explorer->ListView(), layout.ShellContentColumns);
    CheckConnectMenuItem(ConnectMenuItemFor(ProgramOptions.ConnectType));
    m_connectionMenu->RebuildRecentFilesMenu();
}

void TfrmTrellavoxMain::CheckConnectMenuItem(TConnectMenuItem item)
{
    ConnectMenuItem(static_cast<int>(item))->setChecked(true);
}
