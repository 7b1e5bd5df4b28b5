#include "app/explorer/ExplorerNavigation.h"

#include <QAbstractFileIconProvider>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <utility>

#include "app/explorer/ExplorerViews.h"
#include "app/explorer/FolderModel.h"
#include "app/services/AppMessageBox.h"
#include "core/settings/ProgramOptions.h"

namespace {

const QString kDesktop = QStringLiteral("/");

// A folder that may have gone since: it, or its nearest parent that exists.
QString ExistingFolder(QString path)
{
    while (!QFileInfo(path).isDir() && path != kDesktop && !path.isEmpty())
        path = QFileInfo(path).path();
    return path.isEmpty() ? kDesktop : path;
}

}  // namespace

TExplorerNavigation::TExplorerNavigation(TFolderModel& model, TExplorerViews& views, QAbstractFileIconProvider& icons,
                                         QWidget* comboParent, QWidget* treeParent, QObject* owner)
    : QObject(owner), m_model(model), m_views(views)
{
    // The tree: folders only, icons by the pane's provider, no watcher of
    // Qt's (it would follow every folder it ever listed); ours follows the
    // folders expanded.
    m_treeModel = new QFileSystemModel(this);
    m_treeModel->setIconProvider(&icons);  // first: the options below go to it
    m_treeModel->setOption(QFileSystemModel::DontWatchForChanges, true);
    m_treeModel->setOption(QFileSystemModel::DontResolveSymlinks, true);
    m_treeModel->setOption(QFileSystemModel::DontUseCustomDirectoryIcons, true);
    m_treeModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_treeModel->setReadOnly(true);
    m_treeModel->setRootPath(kDesktop);
    m_treeWatcher = new QFileSystemWatcher(this);
    connect(m_treeWatcher, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& path) { TreeFolderChanged(path); });
    m_treeTimer = new QTimer(this);
    m_treeTimer->setSingleShot(true);
    m_treeTimer->setInterval(kTreeReadGapMs);
    connect(m_treeTimer, &QTimer::timeout, this, [this] { RunGuarded([&] { ReadTreeFolders(); }); });

    m_comboBox = new QComboBox(comboParent);
    m_comboBox->setObjectName(QStringLiteral("ShellComboBox1"));
    connect(m_comboBox, &QComboBox::activated, this,
            [this](int item) { RunGuarded([&] { SetCurrentFolder(m_comboBox->itemData(item).toString()); }); });

    m_treeView = new QTreeView(treeParent);
    m_treeView->setObjectName(QStringLiteral("ShellTreeView1"));
    m_treeView->setModel(m_treeModel);
    m_treeView->setHeaderHidden(true);
    for (int column = 1; column < m_treeModel->columnCount(); ++column)
        m_treeView->hideColumn(column);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_treeView->setUniformRowHeights(true);
    m_treeView->setDragDropMode(QAbstractItemView::NoDragDrop);
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { RunGuarded([&] { TreeCurrentChanged(current); }); });
    connect(m_treeView, &QTreeView::expanded, this, [this](const QModelIndex& index) { TreeExpanded(index); });
    connect(m_treeView, &QTreeView::collapsed, this, [this](const QModelIndex& index) { TreeCollapsed(index); });

    // The current folder's row is placed again when a listing above it came
    // in and when the listings are sorted (after they came in).
    m_treeScrollTimer = new QTimer(this);
    m_treeScrollTimer->setSingleShot(true);
    m_treeScrollTimer->setInterval(0);
    connect(m_treeScrollTimer, &QTimer::timeout, this, [this] { ShowTreeCurrent(); });
    connect(m_treeModel, &QFileSystemModel::directoryLoaded, this,
            [this](const QString& path) { TreeFolderLoaded(path); });
    connect(m_treeModel, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_treeFollows)
            m_treeScrollTimer->start();
    });
    for (QScrollBar* bar : {m_treeView->verticalScrollBar(), m_treeView->horizontalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this, [this] { m_treeFollows = false; });
    // Placed while hidden, the row is placed again when it shows, and at its size.
    m_treeView->viewport()->installEventFilter(this);
}

TExplorerNavigation::~TExplorerNavigation() = default;

QStringList TExplorerNavigation::WatchedTreeFolders() const
{
    QStringList folders = m_treeWatcher->directories();
    folders.sort();
    return folders;
}

bool TExplorerNavigation::SetCurrentFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    m_currentFolder = folder;
    if (m_model.Folder() != folder) {
        m_views.ClearSelection();
        m_listFolders.clear();
        m_model.SetFolder(folder);
    }

    const QModelIndex treeIndex = m_treeModel->index(folder);
    if (treeIndex.isValid() && m_treeView->currentIndex() != treeIndex) {
        // The parents the tree opens to show the folder are not watched:
        // only what the user opens is.
        const QScopedValueRollback placing(m_placingTree, true);
        m_treeView->setCurrentIndex(treeIndex);
        m_treeView->scrollTo(treeIndex);
        FollowTreeCurrent();
    }
    FillComboBox(folder);
    return true;
}

void TExplorerNavigation::FollowTreeCurrent()
{
    m_treeFollows = true;
    m_treeScrollTimer->start();
}

void TExplorerNavigation::TreeFolderLoaded(const QString& path)
{
    const QString below = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    if (m_treeFollows && m_currentFolder.startsWith(below))
        m_treeScrollTimer->start();
}

bool TExplorerNavigation::eventFilter(QObject* watched, QEvent* event)
{
    // Only the tree's viewport is watched.
    const bool placed = event->type() == QEvent::Show || event->type() == QEvent::Resize;
    if (placed && m_treeFollows)
        m_treeScrollTimer->start();
    return QObject::eventFilter(watched, event);
}

void TExplorerNavigation::ShowTreeCurrent()
{
    const QModelIndex current = m_treeView->currentIndex();
    if (!m_treeFollows || !current.isValid() || !m_treeView->isVisible())
        return;
    // Far off: in the middle, the folders around it in view too; near: the
    // least move. The rows are laid out first, the check is on where they are.
    m_treeView->doItemsLayout();
    const bool near = m_treeView->visualRect(current).intersects(m_treeView->viewport()->rect());
    const QScopedValueRollback placing(m_placingTree, true);
    m_treeView->scrollTo(current, near ? QAbstractItemView::EnsureVisible : QAbstractItemView::PositionAtCenter);
}

void TExplorerNavigation::FillComboBox(const QString& folder)
{
    // The chain of parent folders, the desktop first.
    QStringList chain{kDesktop};
    QString part;
    for (const QString& name : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        chain << (part += QLatin1Char('/') + name);
    const QSignalBlocker blocker(m_comboBox);
    m_comboBox->clear();
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString name = depth == 0 ? kDesktop : QFileInfo(chain[depth]).fileName();
        m_comboBox->addItem(m_treeModel->fileIcon(m_treeModel->index(chain[depth])), name, chain[depth]);
        m_comboBox->setItemData(depth, depth * 8, Qt::UserRole + 1);  // the indent of the level
    }
    m_comboBox->setCurrentIndex(static_cast<int>(chain.size()) - 1);
}

QString TExplorerNavigation::ListRoot() const
{
    return m_model.Folder().isEmpty() ? kDesktop : m_model.Folder();
}

bool TExplorerNavigation::AtDesktop() const
{
    return ListRoot() == kDesktop;
}

void TExplorerNavigation::LevelUp()
{
    if (!AtDesktop())
        SetCurrentFolder(QFileInfo(ListRoot()).path());
}

void TExplorerNavigation::GoToDefaultFolder()
{
    SetCurrentFolder(ProgramOptions.DefFolder);
}

void TExplorerNavigation::SetDefaultFolder()
{
    ProgramOptions.DefFolder = m_currentFolder;
}

void TExplorerNavigation::Refresh()
{
    const QString folder = ExistingFolder(m_currentFolder);
    SetCurrentFolder(folder);
    m_model.Refresh();
    ReadTreeFolder(folder);
}

void TExplorerNavigation::Open(const QModelIndex& index)
{
    if (m_model.IsFolder(index))
        SetCurrentFolder(m_model.FilePath(index));
}

void TExplorerNavigation::TreeCurrentChanged(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    if (!m_placingTree)
        m_treeFollows = false;  // the user's own choice, in view
    // The tree moves its current row off a folder that went: the nearest
    // folder left is where the pane goes, not the row the tree took.
    if (!QFileInfo(m_currentFolder).isDir()) {
        SetCurrentFolder(ExistingFolder(m_currentFolder));
        return;
    }
    const QString path = m_treeModel->filePath(current);
    if (path == m_currentFolder)
        return;
    // A row of a folder removed since the tree listed it: the row goes, and
    // the pane to the nearest folder left.
    if (!QFileInfo(path).isDir()) {
        TreeFolderChanged(path);
        SetCurrentFolder(ExistingFolder(path));
        return;
    }
    SetCurrentFolder(path);
}

void TExplorerNavigation::FolderRead()
{
    m_views.FitColumnsOnce();
    // The tree learns of folders made or gone in the folder shown when it
    // has listed that folder already.
    QStringList folders = m_model.FolderNames();
    const bool changed = !m_listFolders.isEmpty() && folders != m_listFolders;
    m_listFolders = folders;
    if (changed && !m_treeModel->canFetchMore(m_treeModel->index(m_model.Folder())))
        TreeFolderChanged(m_model.Folder());
}

void TExplorerNavigation::FolderGone(const QString& folder)
{
    if (folder == m_currentFolder)
        SetCurrentFolder(ExistingFolder(folder));
    // The tree lists it still, however it came to be listed: by the user's
    // expanding or by the pane's opening its parents.
    TreeFolderChanged(folder);
}

void TExplorerNavigation::TreeExpanded(const QModelIndex& index)
{
    if (m_placingTree)
        return;
    m_treeFollows = false;
    const QString path = m_treeModel->filePath(index);
    if (!QFileInfo(path).isDir()) {
        TreeFolderChanged(path);
        return;
    }
    m_expanded.insert(path);
    if (m_watching)
        m_treeWatcher->addPath(path);
}

void TExplorerNavigation::TreeCollapsed(const QModelIndex& index)
{
    if (!m_placingTree)
        m_treeFollows = false;
    // The folders below close with it, as far as the user sees.
    const QString path = m_treeModel->filePath(index);
    const QString below = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    for (auto it = m_expanded.begin(); it != m_expanded.end();) {
        if (*it == path || it->startsWith(below)) {
            m_treeWatcher->removePath(*it);
            it = m_expanded.erase(it);
        } else {
            ++it;
        }
    }
}

void TExplorerNavigation::TreeFolderChanged(const QString& path)
{
    m_treeDirty.insert(path);
    if (!m_treeTimer->isActive())
        m_treeTimer->start();
}

void TExplorerNavigation::ReadTreeFolders()
{
    const QSet<QString> dirty = std::exchange(m_treeDirty, {});
    for (const QString& path : dirty) {
        // A folder that went is read through its parent.
        const QString folder = ExistingFolder(path);
        if (folder != path) {
            m_expanded.remove(path);
            m_treeWatcher->removePath(path);
        }
        ReadTreeFolder(folder);
    }
}

void TExplorerNavigation::ReadTreeFolder(const QString& path)
{
    // Qt's model lists a folder again when its fetch comes after the folder
    // was its root path: the root goes there and back.
    const QString root = m_treeModel->rootPath();
    m_treeModel->setRootPath(path != root ? path : QDir::homePath());
    m_treeModel->setRootPath(root);
    m_treeModel->fetchMore(m_treeModel->index(path));
}

void TExplorerNavigation::SetWatching(bool watching)
{
    if (watching == m_watching)
        return;
    m_watching = watching;
    m_model.SetWatching(watching);
    if (!watching) {
        if (!m_treeWatcher->directories().isEmpty())
            m_treeWatcher->removePaths(m_treeWatcher->directories());
        m_treeTimer->stop();
        m_treeDirty.clear();
        return;
    }
    // What changed while nobody watched.
    for (const QString& path : std::as_const(m_expanded)) {
        m_treeWatcher->addPath(path);
        TreeFolderChanged(path);
    }
}
