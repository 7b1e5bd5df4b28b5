#include "app/connection/ConnectionMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/connection/RecentFiles.h"
#include "app/services/AppMessageBox.h"
#include "app/services/FileDialogs.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"

namespace {

const QString kRecentPrefix = QStringLiteral("RecentFile");

// The menu's order of the connection types; -1 is a separator.
constexpr int kEntryOrder[] = {ctDemo,      -1, ctUsb11Adapter, ctUsb20Adapter, ctUsb20SpiAdapter, ctMassStorage,
                               ctImageFile, -1};

}  // namespace

TConnectionMenu::TConnectionMenu(QMenu& menu, std::function<bool(int)> select, QObject* parent)
    : QObject(parent), m_menu(menu), m_select(std::move(select))
{
    auto* group = new QActionGroup(this);
    for (const int type : kEntryOrder) {
        if (type < 0) {
            m_menu.addSeparator();
            continue;
        }
        const TConnectTypeRow& row = ConnectTypeRow(type);
        QAction* item = m_menu.addAction(QString::fromUtf8(row.menuCaption));
        item->setObjectName(QLatin1String(row.menuObjectName));
        item->setCheckable(true);
        item->setVisible(row.shownInMenu);
        item->setData(type);
        group->addAction(item);
        if (type == ctImageFile)
            connect(item, &QAction::triggered, this, [this] { RunGuarded([&] { miImageFileClick(); }); });
        else
            connect(item, &QAction::triggered, this, [this, item] { RunGuarded([&] { ConnectMenuClick(item); }); });
        m_items[row.type] = item;
    }
}

bool TConnectionMenu::ConnectMenuClick(QAction* item)
{
    if (item)
        item->setChecked(true);
    QAction* checked = item ? item->actionGroup()->checkedAction() : nullptr;
    const int type = checked ? checked->data().toInt() : int{ctDemo};
    if (m_select(type))
        return true;
    m_items[ConnectTypeRow(ProgramOptions.ConnectType).type]->setChecked(true);
    return false;
}

void TConnectionMenu::miImageFileClick()
{
    TFileDialogRequest request;
    request.Kind = TFileDialogRequest::TKind::Open;
    request.Filter = LangConst(QStringLiteral("RecImageFileFilterStr"));
    request.DefaultSuffix = DefaultSuffixOfFilter(request.Filter);
    const std::optional<QString> path = AppFileDialog(m_menu.parentWidget(), request);
    if (!path)
        return;
    const int maxCount = ProgramOptions.RecentCount;
    ConnectToImageFile(*path, [&](QStringList& recent) { AddRecentFile(recent, *path, maxCount); });
}

void TConnectionMenu::RecentFileClick(QAction* entry)
{
    const QString path = entry->data().toString();
    ConnectToImageFile(path, [&](QStringList& recent) { SwapRecentFileToFront(recent, path); });
}

void TConnectionMenu::ConnectToImageFile(const QString& path, const std::function<void(QStringList&)>& reorder)
{
    const QString oldImage = ProgramOptions.ImageFileName;
    const QStringList oldRecent = ProgramOptions.RecentFiles;
    ProgramOptions.ImageFileName = path;
    reorder(ProgramOptions.RecentFiles);
    RebuildRecentFilesMenu();
    if (ConnectMenuClick(m_items[ctImageFile]))
        return;
    ProgramOptions.ImageFileName = oldImage;
    ProgramOptions.RecentFiles = oldRecent;
    RebuildRecentFilesMenu();
}

void TConnectionMenu::RebuildRecentFilesMenu()
{
    for (QAction* action : m_menu.actions()) {
        if (!action->objectName().startsWith(kRecentPrefix))
            continue;
        m_menu.removeAction(action);
        // The entry may be the one whose click runs this: it goes later, and
        // until then it is no entry of the menu.
        action->setObjectName(QString());
        action->setParent(this);
        action->deleteLater();
    }
    const QStringList& recent = ProgramOptions.RecentFiles;
    const qsizetype shown = qMin(recent.size(), qsizetype{ProgramOptions.RecentCount});
    for (qsizetype i = 0; i < shown; ++i) {
        auto* entry = new QAction(RecentFileMenuText(recent[i]), &m_menu);
        entry->setObjectName(kRecentPrefix + QString::number(i));
        entry->setData(recent[i]);
        connect(entry, &QAction::triggered, this, [this, entry] { RunGuarded([&] { RecentFileClick(entry); }); });
        m_menu.addAction(entry);
    }
}
