#include "app/explorer/ExplorerPane.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "app/explorer/ExplorerIconProvider.h"
#include "app/explorer/FolderModel.h"
#include "app/lists/ListViewSetup.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LangConst.h"

namespace {

const QString kDesktop = QStringLiteral("/");

QAction* MakeAction(QWidget& window, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, &window);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    window.addAction(action);
    return action;
}

QAction* MakeToggle(QWidget& window, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut)
{
    QAction* action = MakeAction(window, name, caption, hint, shortcut);
    action->setCheckable(true);
    action->setChecked(true);
    return action;
}

// A button of an action of another's shows its caption; the pane's own
// show their images, so the pane's width holds them all.
QToolButton* MakeToolButton(QToolBar* bar, const char* name, QAction* action,
                            QStyle::StandardPixmap image = QStyle::SP_CustomBase)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    if (action) {
        if (image != QStyle::SP_CustomBase)
            action->setIcon(bar->style()->standardIcon(image));
        button->setDefaultAction(action);
    }
    button->setToolButtonStyle(image == QStyle::SP_CustomBase ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

// The image of the view-style button for each style, as the menu's tags.
QStyle::StandardPixmap ViewStyleImage(int style)
{
    switch (style) {
    case 0:
        return QStyle::SP_FileDialogContentsView;
    case 1:
    case 2:
        return QStyle::SP_FileDialogListView;
    default:
        return QStyle::SP_FileDialogDetailedView;
    }
}

// A widget on a tool bar shows and hides through the bar's action for it.
void ShowToolButton(QToolBar& bar, QToolButton& button, bool shown)
{
    for (QAction* action : bar.actions())
        if (bar.widgetForAction(action) == &button)
            action->setVisible(shown);
}

// A folder that may have gone since: it, or its nearest parent that exists.
QString ExistingFolder(QString path)
{
    while (!QFileInfo(path).isDir() && path != kDesktop && !path.isEmpty())
        path = QFileInfo(path).path();
    return path.isEmpty() ? kDesktop : path;
}

// The first "New Folder", "New Folder 1", "New Folder 2" ... that is free.
QString FreeNewFolderPath(const QString& folder)
{
    const QString base = (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) +
                         LangConst(QStringLiteral("NewFolderNameStr"));
    QString path = base;
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = base + QLatin1Char(' ') + QString::number(n);
    return path;
}

}  // namespace

TExplorerPane::TExplorerPane(QWidget& window, QSplitter& host)
    : QObject(&window), m_window(window), m_host(host), m_iconProvider(std::make_unique<TExplorerIconProvider>())
{
    BuildActions(window);
    m_panel = new QWidget(&host);
    m_panel->setObjectName(QStringLiteral("pnlExpWindow"));
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    BuildCaption();
    layout->addWidget(m_caption);
    BuildToolBar();
    layout->addWidget(m_toolBar);
    BuildViews();
    layout->addWidget(m_comboBox);
    layout->addWidget(m_splitter, 1);
    SetExplorerWidth(0);
    SetCurrentFolder(QDir::homePath());
}

TExplorerPane::~TExplorerPane()
{
    // Both ask the icon provider until they go.
    delete m_model;
    delete m_treeModel;
}

void TExplorerPane::BuildActions(QWidget& window)
{
    m_actViewExp =
        MakeToggle(window, "actViewExp", QStringLiteral("Explorer Window"), {}, QKeySequence(Qt::CTRL | Qt::Key_E));
    m_actFolderTree = MakeToggle(window, "actFolderTree", QStringLiteral("Folders"),
                                 QStringLiteral("Show / Hide Folder Tree"), QKeySequence(Qt::CTRL | Qt::Key_T));
    actExpDelete =
        MakeAction(window, "actExpDelete", QStringLiteral("Delete"), QStringLiteral("Delete selected items"));
    actGoToDefFolder = MakeAction(window, "actGoToDefFolder", QStringLiteral("Go to default folder"),
                                  QStringLiteral("Go To Default Folder"), QKeySequence(Qt::CTRL | Qt::Key_G));
    actSetDefFolder = MakeAction(window, "actSetDefFolder", QStringLiteral("Set current folder as default"),
                                 QStringLiteral("Set Current Folder As Default Folder"));
    actNewFolder =
        MakeAction(window, "actNewFolder", QStringLiteral("New folder"), QStringLiteral("Create New Folder"));
    actLevelUp = MakeAction(window, "actLevelUp", QStringLiteral("Level up"), QStringLiteral("Up One Level"));
    actExpRefresh = MakeAction(window, "actExpRefresh", QStringLiteral("Refresh"), QStringLiteral("Refresh"),
                               QKeySequence(Qt::CTRL | Qt::Key_R));

    const auto guarded = [this](void (TExplorerPane::*handler)()) {
        return [this, handler] { RunGuarded([&] { (this->*handler)(); }); };
    };
    connect(m_actViewExp, &QAction::triggered, this, guarded(&TExplorerPane::ShowExecute));
    connect(m_actFolderTree, &QAction::triggered, this, guarded(&TExplorerPane::TreeExecute));
    connect(actExpDelete, &QAction::triggered, this, guarded(&TExplorerPane::actExpDeleteExecute));
    connect(actGoToDefFolder, &QAction::triggered, this, guarded(&TExplorerPane::actGoToDefFolderExecute));
    connect(actSetDefFolder, &QAction::triggered, this, guarded(&TExplorerPane::actSetDefFolderExecute));
    connect(actNewFolder, &QAction::triggered, this, guarded(&TExplorerPane::actNewFolderExecute));
    connect(actLevelUp, &QAction::triggered, this, guarded(&TExplorerPane::actLevelUpExecute));
    connect(actExpRefresh, &QAction::triggered, this, guarded(&TExplorerPane::actExpRefreshExecute));

    auto* styles = new QActionGroup(this);
    const char* names[] = {"mnLargeIcons", "mnSmallIcons", "mnList", "mnReport"};
    const QString captions[] = {QStringLiteral("Large icons"), QStringLiteral("Small icons"), QStringLiteral("List"),
                                QStringLiteral("Report")};
    for (int style = 0; style < 4; ++style) {
        auto* item = new QAction(captions[style], &window);
        item->setObjectName(QLatin1String(names[style]));
        item->setCheckable(true);
        item->setData(style);  // the tag
        styles->addAction(item);
        connect(item, &QAction::triggered, this, [this, style] { RunGuarded([&] { ApplyViewStyle(style); }); });
        m_styleItems[static_cast<std::size_t>(style)] = item;
    }
}

void TExplorerPane::BuildCaption()
{
    m_caption = new QWidget(m_panel);
    m_caption->setObjectName(QStringLiteral("pnlExpCaption"));
    m_caption->setAutoFillBackground(true);
    auto* caption = new QHBoxLayout(m_caption);
    caption->setContentsMargins(4, 0, 0, 0);
    m_label = new QLabel(QStringLiteral("Explorer"), m_caption);
    m_label->setObjectName(QStringLiteral("lblExplorer"));
    caption->addWidget(m_label, 1);
    m_closeButton = new QToolButton(m_caption);
    m_closeButton->setObjectName(QStringLiteral("_spbtnExpClose"));
    m_closeButton->setText(QStringLiteral("x"));
    m_closeButton->setAutoRaise(true);
    connect(m_closeButton, &QToolButton::clicked, m_actViewExp, &QAction::trigger);
    caption->addWidget(m_closeButton);
}

void TExplorerPane::BuildToolBar()
{
    m_toolBar = new QToolBar(m_panel);
    m_toolBar->setObjectName(QStringLiteral("tlbExplorer"));
    m_copyToRecButton = MakeToolButton(m_toolBar, "tlbtnCopyToRec", nullptr);
    m_addInfoButton = MakeToolButton(m_toolBar, "tlbtnAddInfo", nullptr);
    for (QToolButton* button : {m_copyToRecButton, m_addInfoButton})
        ShowToolButton(*m_toolBar, *button, false);
    MakeToolButton(m_toolBar, "tlbtnGoToDefFolder", actGoToDefFolder, QStyle::SP_DirHomeIcon);
    MakeToolButton(m_toolBar, "tlbtnNew", actNewFolder, QStyle::SP_FileDialogNewFolder);
    MakeToolButton(m_toolBar, "tlbtnDelete", actExpDelete, QStyle::SP_TrashIcon);
    MakeToolButton(m_toolBar, "tlbtnFolders", m_actFolderTree, QStyle::SP_DirOpenIcon);
    MakeToolButton(m_toolBar, "tlbtnUpOneLevel", actLevelUp, QStyle::SP_FileDialogToParent);
    MakeToolButton(m_toolBar, "tlbtnExplorerRefresh", actExpRefresh, QStyle::SP_BrowserReload);
    m_viewStyleMenu = new QMenu(m_panel);
    m_viewStyleMenu->setObjectName(QStringLiteral("pmViewStyle"));
    for (QAction* item : m_styleItems)
        m_viewStyleMenu->addAction(item);
    m_viewStyleButton = MakeToolButton(m_toolBar, "tlbtnViewStyle", nullptr);
    m_viewStyleButton->setText(QStringLiteral("View style"));
    m_viewStyleButton->setIcon(m_toolBar->style()->standardIcon(ViewStyleImage(m_viewStyle)));
    m_viewStyleButton->setMenu(m_viewStyleMenu);
    m_viewStyleButton->setPopupMode(QToolButton::InstantPopup);
}

void TExplorerPane::BuildViews()
{
    m_model = new TFolderModel(*m_iconProvider, this);
    connect(m_model, &TFolderModel::FolderRead, this, [this] { RunGuarded([&] { FolderRead(); }); });
    connect(m_model, &TFolderModel::FolderGone, this,
            [this](const QString& folder) { RunGuarded([&] { FolderGone(folder); }); });
    // The tree: folders only, icons by the same provider, no watcher of
    // Qt's (it would follow every folder it ever listed); ours follows the
    // folders expanded.
    m_treeModel = new QFileSystemModel(this);
    m_treeModel->setIconProvider(m_iconProvider.get());  // first: the options below go to it
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

    m_comboBox = new QComboBox(m_panel);
    m_comboBox->setObjectName(QStringLiteral("ShellComboBox1"));
    connect(m_comboBox, &QComboBox::activated, this, [this](int item) { RunGuarded([&] { ComboActivated(item); }); });

    m_splitter = new QSplitter(Qt::Horizontal, m_panel);
    m_splitter->setObjectName(QStringLiteral("Splitter2"));
    m_splitter->setChildrenCollapsible(false);
    m_treeView = new QTreeView(m_splitter);
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

    m_listStack = new QStackedWidget(m_splitter);
    m_listView = MakeReportView(m_listStack, "ShellListView1");
    m_listView->setModel(m_model);
    m_listView->setUniformRowHeights(true);
    m_listView->setItemsExpandable(false);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->sortByColumn(0, Qt::AscendingOrder);
    m_listView->header()->setResizeContentsPrecision(200);  // the fit reads the first rows only
    m_iconView = new QListView(m_listStack);
    m_iconView->setObjectName(QStringLiteral("ShellIconView1"));
    m_iconView->setModel(m_model);
    m_iconView->setSelectionModel(m_listView->selectionModel());
    m_iconView->setUniformItemSizes(true);
    m_iconView->setLayoutMode(QListView::Batched);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_listView), static_cast<QAbstractItemView*>(m_iconView)}) {
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        // Drags start here; drops are the explorer's own (TExplorerDrops), never the model's.
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
        connect(view, &QAbstractItemView::activated, this,
                [this](const QModelIndex& index) { RunGuarded([&] { OpenListItem(index); }); });
        m_listStack->addWidget(view);
    }
    m_listStack->setCurrentWidget(m_listView);
}

QAbstractItemView* TExplorerPane::ShownListView() const
{
    return m_viewStyle == 3 ? static_cast<QAbstractItemView*>(m_listView) : m_iconView;
}

void TExplorerPane::SetCopyToRecorderAction(QAction* action)
{
    m_copyToRecButton->setDefaultAction(action);
    ShowToolButton(*m_toolBar, *m_copyToRecButton, action != nullptr);
}

void TExplorerPane::SetAddInfoAction(QAction* action)
{
    m_addInfoButton->setDefaultAction(action);
    ShowToolButton(*m_toolBar, *m_addInfoButton, action != nullptr);
}

int TExplorerPane::ExplorerWidth() const
{
    return m_panel->isVisible() ? m_panel->width() : m_explorerWidth;
}

namespace {

// A bound below the minimum (a small window) gives way to the minimum.
int Usable(int width, int minimum, int room)
{
    return std::clamp(width, minimum, std::max(minimum, room));
}

}  // namespace

int TExplorerPane::DefaultExplorerWidth() const
{
    const QMargins margins = m_panel->contentsMargins();
    return m_toolBar->sizeHint().width() + margins.left() + margins.right() + 2;
}

void TExplorerPane::SetExplorerWidth(int width)
{
    if (width == 0)  // none saved
        width = DefaultExplorerWidth();
    m_explorerWidth = Usable(width, kMinExplorerWidth, m_host.window()->width() - kMinContentWidth);
    m_foldersWidth = Usable(m_foldersWidth, kMinFoldersWidth, m_explorerWidth - kMinListWidth);
}

void TExplorerPane::SetFoldersWidth(int width)
{
    m_foldersWidth = Usable(width, kMinFoldersWidth, m_explorerWidth - kMinListWidth);
}

bool TExplorerPane::ExplorerShown() const
{
    return m_actViewExp->isChecked();
}

void TExplorerPane::SetExplorerShown(bool shown)
{
    m_actViewExp->setChecked(shown);
}

int TExplorerPane::FoldersWidth() const
{
    return m_treeView->isVisible() ? m_treeView->width() : m_foldersWidth;
}

bool TExplorerPane::FolderTreeShown() const
{
    return m_actFolderTree->isChecked();
}

void TExplorerPane::SetFolderTreeShown(bool shown)
{
    m_actFolderTree->setChecked(shown);
}

bool TExplorerPane::SetCurrentFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    m_currentFolder = folder;
    if (m_model->Folder() != folder) {
        m_listView->selectionModel()->clear();
        m_listFolders.clear();
        m_model->SetFolder(folder);
    }

    const QModelIndex treeIndex = m_treeModel->index(folder);
    if (treeIndex.isValid() && m_treeView->currentIndex() != treeIndex) {
        // The parents the tree opens to show the folder are not watched:
        // only what the user opens is.
        const QScopedValueRollback placing(m_placingTree, true);
        m_treeView->setCurrentIndex(treeIndex);
        m_treeView->scrollTo(treeIndex);
    }

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
    return true;
}

QString TExplorerPane::ListRoot() const
{
    return m_model->Folder().isEmpty() ? kDesktop : m_model->Folder();
}

void TExplorerPane::TreeCurrentChanged(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    // The tree moves its current row off a folder that went: the nearest
    // folder left is where the pane goes, not the row the tree took.
    if (!QFileInfo(m_currentFolder).isDir()) {
        SetCurrentFolder(ExistingFolder(m_currentFolder));
        return;
    }
    const QString path = m_treeModel->filePath(current);
    if (path != m_currentFolder)
        SetCurrentFolder(path);
}

void TExplorerPane::FolderRead()
{
    FitColumnsOnce();
    // The tree learns of folders made or gone in the folder shown when it
    // has listed that folder already.
    QStringList folders;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->IsFolder(m_model->index(row, 0)))
            folders << m_model->index(row, 0).data().toString();
    folders.sort();
    const bool changed = !m_listFolders.isEmpty() && folders != m_listFolders;
    m_listFolders = folders;
    if (changed && !m_treeModel->canFetchMore(m_treeModel->index(m_model->Folder())))
        TreeFolderChanged(m_model->Folder());
}

void TExplorerPane::FolderGone(const QString& folder)
{
    if (folder == m_currentFolder)
        SetCurrentFolder(ExistingFolder(folder));
}

void TExplorerPane::FitColumnsOnce()
{
    // The first rows the user sees in the report view.
    if (!m_fitColumns || !m_listView->isVisible() || m_model->rowCount() == 0)
        return;
    m_fitColumns = false;
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_listView->resizeColumnToContents(column);
    if (m_listView->columnWidth(kNameColumn) > kMaxFittedNameWidth)
        m_listView->setColumnWidth(kNameColumn, kMaxFittedNameWidth);
}

QStringList TExplorerPane::WatchedTreeFolders() const
{
    QStringList folders = m_treeWatcher->directories();
    folders.sort();
    return folders;
}

void TExplorerPane::TreeExpanded(const QModelIndex& index)
{
    if (m_placingTree)
        return;
    const QString path = m_treeModel->filePath(index);
    m_expanded.insert(path);
    if (m_watching)
        m_treeWatcher->addPath(path);
}

void TExplorerPane::TreeCollapsed(const QModelIndex& index)
{
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

void TExplorerPane::TreeFolderChanged(const QString& path)
{
    m_treeDirty.insert(path);
    if (!m_treeTimer->isActive())
        m_treeTimer->start();
}

void TExplorerPane::ReadTreeFolders()
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

void TExplorerPane::ReadTreeFolder(const QString& path)
{
    // Qt's model lists a folder again when its fetch comes after the folder
    // was its root path: the root goes there and back.
    const QString root = m_treeModel->rootPath();
    m_treeModel->setRootPath(path != root ? path : QDir::homePath());
    m_treeModel->setRootPath(root);
    m_treeModel->fetchMore(m_treeModel->index(path));
}

void TExplorerPane::SetWatching(bool watching)
{
    if (watching == m_watching)
        return;
    m_watching = watching;
    m_model->SetWatching(watching);
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

void TExplorerPane::ComboActivated(int item)
{
    SetCurrentFolder(m_comboBox->itemData(item).toString());
}

void TExplorerPane::OpenListItem(const QModelIndex& index)
{
    if (m_model->IsFolder(index))
        SetCurrentFolder(m_model->FilePath(index));
}

QStringList TExplorerPane::SelectedPaths() const
{
    const QItemSelectionModel* selection = m_listView->selectionModel();
    if (!selection || m_listView->model() != m_model)
        return {};
    // The model keeps the rows in the order both views show them.
    QList<int> rows;
    for (const QModelIndex& index : selection->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList paths;
    for (int row : rows)
        paths << m_model->FilePath(m_model->index(row, 0));
    return paths;
}

QString TExplorerPane::SelectedFilePath() const
{
    const QItemSelectionModel* selection = m_listView->selectionModel();
    if (!selection)
        return {};
    // A row counts once however many of its cells are selected.
    QModelIndex only;
    for (const QModelIndex& index : selection->selectedIndexes()) {
        const QModelIndex row = index.siblingAtColumn(0);
        if (only.isValid() && row != only)
            return {};
        only = row;
    }
    return only.isValid() ? only.data(TFolderModel::FilePathRole).toString() : QString();
}

void TExplorerPane::ApplyViewStyle(int style)
{
    style = std::clamp(style, 0, 3);
    m_viewStyle = style;
    m_styleItems[static_cast<std::size_t>(style)]->setChecked(true);
    m_viewStyleButton->setIcon(m_toolBar->style()->standardIcon(ViewStyleImage(style)));
    m_listView->header()->setVisible(style == 3);
    if (style < 3) {
        m_iconView->setViewMode(style == 0 ? QListView::IconMode : QListView::ListMode);
        m_iconView->setFlow(style == 2 ? QListView::TopToBottom : QListView::LeftToRight);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(style == 0 ? QSize(32, 32) : QSize(16, 16));
        m_iconView->setGridSize(style == 0 ? QSize(96, 64) : QSize());
        m_iconView->setWordWrap(style == 0);
    }
    const bool hadFocus = m_listStack->currentWidget()->hasFocus();
    m_listStack->setCurrentWidget(ShownListView());
    if (hadFocus)
        ShownListView()->setFocus();
    FitColumnsOnce();
}

void TExplorerPane::ShowExecute()
{
    m_panel->setVisible(m_actViewExp->isChecked());
    SetWatching(m_actViewExp->isChecked());
    if (m_actViewExp->isChecked())
        m_host.setSizes({std::max(kMinContentWidth, m_host.window()->width() - m_explorerWidth), m_explorerWidth});
    else if (m_recorderPanel)
        m_recorderPanel->setFocus();
    FitColumnsOnce();
    UpdateActions();
}

void TExplorerPane::TreeExecute()
{
    m_treeView->setVisible(m_actFolderTree->isChecked());
    if (m_actFolderTree->isChecked())
        m_splitter->setSizes({m_foldersWidth, std::max(kMinListWidth, m_explorerWidth - m_foldersWidth)});
}

void TExplorerPane::actExpDeleteExecute()
{
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty())
        return;
    const QString question = paths.size() == 1
                                 ? QStringLiteral("Move \"%1\" to the trash?").arg(QFileInfo(paths.front()).fileName())
                                 : QStringLiteral("Move these %1 items to the trash?").arg(paths.size());
    if (AppMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, ApplicationTitle()) != IDYES)
        return;
    // Never deleted for good: what cannot go to the trash stays and is named.
    QStringList kept;
    for (const QString& path : paths)
        if (!QFile::moveToTrash(path))
            kept << path;
    if (!kept.isEmpty())
        throw std::runtime_error(
            QStringLiteral("Can't move to the trash: %1").arg(kept.join(QStringLiteral(", "))).toStdString());
}

void TExplorerPane::actGoToDefFolderExecute()
{
    SetCurrentFolder(ProgramOptions.DefFolder);
}

void TExplorerPane::actSetDefFolderExecute()
{
    ProgramOptions.DefFolder = m_currentFolder;
}

void TExplorerPane::actNewFolderExecute()
{
    const QString path = FreeNewFolderPath(m_currentFolder);
    const QString name = QFileInfo(path).fileName();
    if (!QDir(m_currentFolder).mkdir(name))
        throw std::runtime_error((LangConst(QStringLiteral("CantCreateStr")) + QLatin1Char(' ') + path).toStdString());
    QAbstractItemView* view = ShownListView();
    view->selectionModel()->clear();
    actExpRefreshExecute();
    // The folder's row comes at once; the read brings the same row.
    const QModelIndex index = m_model->AddFolderRow(name);
    if (!index.isValid())
        return;
    view->setFocus();
    view->setCurrentIndex(index);
    view->scrollTo(index);
    view->edit(index);
}

void TExplorerPane::actLevelUpExecute()
{
    const QString root = ListRoot();
    if (root != kDesktop)
        SetCurrentFolder(QFileInfo(root).path());
}

void TExplorerPane::actExpRefreshExecute()
{
    // The tree's folder, or the nearest that still exists, read again now,
    // in the folder view and in the tree.
    const QString folder = ExistingFolder(m_currentFolder);
    SetCurrentFolder(folder);
    m_model->Refresh();
    ReadTreeFolder(folder);
}

bool TExplorerPane::ListEditing() const
{
    // A label being edited is a line edit on the view's viewport; a closed
    // editor is hidden before it goes.
    for (const QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_listView), static_cast<QAbstractItemView*>(m_iconView)})
        for (const QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            if (!editor->isHidden())
                return true;
    return false;
}

void TExplorerPane::UpdateActions()
{
    const bool shown = m_actViewExp->isChecked();
    const bool editing = ListEditing();
    const QItemSelectionModel* selection = m_listView->selectionModel();
    actExpDelete->setEnabled(selection && selection->hasSelection() && !editing);
    for (QAction* action : {actGoToDefFolder, actSetDefFolder, actNewFolder, m_actFolderTree, actExpRefresh})
        action->setEnabled(shown);
    actLevelUp->setEnabled(shown && !editing && ListRoot() != kDesktop);
}

void TExplorerPane::RefreshPending() {}
