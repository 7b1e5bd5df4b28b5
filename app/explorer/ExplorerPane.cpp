#include "app/explorer/ExplorerPane.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "app/explorer/ExplorerIconProvider.h"
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

QToolButton* MakeToolButton(QToolBar* bar, const char* name, QAction* action)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    if (action)
        button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

// A widget on a tool bar shows and hides through the bar's action for it.
void ShowToolButton(QToolBar& bar, QToolButton& button, bool shown)
{
    for (QAction* action : bar.actions())
        if (bar.widgetForAction(action) == &button)
            action->setVisible(shown);
}

// The tree shows folders only.
class TFolderProxy : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        return model->isDir(model->index(row, 0, parent));
    }
};

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
    SetCurrentFolder(QDir::homePath());
}

TExplorerPane::~TExplorerPane()
{
    delete m_model;  // it asks the icon provider until it goes
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
    MakeToolButton(m_toolBar, "tlbtnGoToDefFolder", actGoToDefFolder);
    MakeToolButton(m_toolBar, "tlbtnNew", actNewFolder);
    MakeToolButton(m_toolBar, "tlbtnDelete", actExpDelete);
    MakeToolButton(m_toolBar, "tlbtnFolders", m_actFolderTree);
    MakeToolButton(m_toolBar, "tlbtnUpOneLevel", actLevelUp);
    MakeToolButton(m_toolBar, "tlbtnExplorerRefresh", actExpRefresh);
    m_viewStyleMenu = new QMenu(m_panel);
    m_viewStyleMenu->setObjectName(QStringLiteral("pmViewStyle"));
    for (QAction* item : m_styleItems)
        m_viewStyleMenu->addAction(item);
    m_viewStyleButton = MakeToolButton(m_toolBar, "tlbtnViewStyle", nullptr);
    m_viewStyleButton->setText(QStringLiteral("View style"));
    m_viewStyleButton->setMenu(m_viewStyleMenu);
    m_viewStyleButton->setPopupMode(QToolButton::InstantPopup);
}

void TExplorerPane::BuildViews()
{
    m_model = new QFileSystemModel(this);
    // Large folders: icons and types by suffix, no symlink resolution and no
    // per-folder icon look-ups; the model reads folders on its own thread.
    m_model->setIconProvider(m_iconProvider.get());  // first: the options below go to it
    m_model->setOption(QFileSystemModel::DontResolveSymlinks, true);
    m_model->setOption(QFileSystemModel::DontUseCustomDirectoryIcons, true);
    m_model->setReadOnly(false);  // renaming and new folders
    m_model->setRootPath(kDesktop);
    m_folders = new TFolderProxy(this);
    m_folders->setSourceModel(m_model);

    m_comboBox = new QComboBox(m_panel);
    m_comboBox->setObjectName(QStringLiteral("ShellComboBox1"));
    connect(m_comboBox, &QComboBox::activated, this, [this](int item) { RunGuarded([&] { ComboActivated(item); }); });

    m_splitter = new QSplitter(Qt::Horizontal, m_panel);
    m_splitter->setObjectName(QStringLiteral("Splitter2"));
    m_splitter->setChildrenCollapsible(false);
    m_treeView = new QTreeView(m_splitter);
    m_treeView->setObjectName(QStringLiteral("ShellTreeView1"));
    m_treeView->setModel(m_folders);
    m_treeView->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_treeView->hideColumn(column);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_treeView->setUniformRowHeights(true);
    m_treeView->setDragDropMode(QAbstractItemView::NoDragDrop);
    connect(m_treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { RunGuarded([&] { TreeCurrentChanged(current); }); });

    m_listStack = new QStackedWidget(m_splitter);
    m_listView = MakeReportView(m_listStack, "ShellListView1");
    m_listView->setModel(m_model);
    m_listView->setUniformRowHeights(true);
    m_listView->setItemsExpandable(false);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->sortByColumn(0, Qt::AscendingOrder);
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

void TExplorerPane::SetExplorerWidth(int width)
{
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
    m_model->setRootPath(folder);  // the watcher follows the folder shown
    const QModelIndex index = m_model->index(folder);
    m_listView->selectionModel()->clear();
    m_listView->setRootIndex(index);
    m_iconView->setRootIndex(index);

    const QModelIndex treeIndex = m_folders->mapFromSource(index);
    if (treeIndex.isValid() && m_treeView->currentIndex() != treeIndex) {
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
        m_comboBox->addItem(m_model->fileIcon(m_model->index(chain[depth])), name, chain[depth]);
        m_comboBox->setItemData(depth, depth * 8, Qt::UserRole + 1);  // the indent of the level
    }
    m_comboBox->setCurrentIndex(static_cast<int>(chain.size()) - 1);
    return true;
}

QString TExplorerPane::ListRoot() const
{
    const QModelIndex root = m_listView->rootIndex();
    return root.isValid() ? m_model->filePath(root) : kDesktop;
}

void TExplorerPane::TreeCurrentChanged(const QModelIndex& current)
{
    if (!current.isValid())
        return;
    const QString path = m_model->filePath(m_folders->mapToSource(current));
    if (path != m_currentFolder)
        SetCurrentFolder(path);
}

void TExplorerPane::ComboActivated(int item)
{
    SetCurrentFolder(m_comboBox->itemData(item).toString());
}

void TExplorerPane::OpenListItem(const QModelIndex& index)
{
    if (m_model->isDir(index))
        SetCurrentFolder(m_model->filePath(index));
}

QStringList TExplorerPane::SelectedPaths() const
{
    const QItemSelectionModel* selection = m_listView->selectionModel();
    if (!selection || m_listView->model() != m_model)
        return {};
    // The model keeps the rows in the order both views show them.
    QList<int> rows;
    for (const QModelIndex& index : selection->selectedIndexes())
        if (index.parent() == m_listView->rootIndex() && !rows.contains(index.row()))
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows)
        paths << m_model->filePath(m_model->index(row, 0, m_listView->rootIndex()));
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
    return only.isValid() ? only.data(QFileSystemModel::FilePathRole).toString() : QString();
}

void TExplorerPane::ApplyViewStyle(int style)
{
    style = std::clamp(style, 0, 3);
    m_viewStyle = style;
    m_styleItems[static_cast<std::size_t>(style)]->setChecked(true);
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
}

void TExplorerPane::ShowExecute()
{
    m_panel->setVisible(m_actViewExp->isChecked());
    if (m_actViewExp->isChecked())
        m_host.setSizes({std::max(kMinContentWidth, m_host.window()->width() - m_explorerWidth), m_explorerWidth});
    else if (m_recorderPanel)
        m_recorderPanel->setFocus();
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
    // The model adds the folder's row at once; a search of the list after a
    // refresh would miss it while the model still reads the folder.
    const QModelIndex index = m_model->mkdir(m_model->index(m_currentFolder), QFileInfo(path).fileName());
    if (!index.isValid())
        throw std::runtime_error((LangConst(QStringLiteral("CantCreateStr")) + QLatin1Char(' ') + path).toStdString());
    QAbstractItemView* view = ShownListView();
    view->selectionModel()->clear();
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
    // The model's watcher keeps the rows current; a refresh brings the
    // three controls back together, on the nearest folder that still exists.
    SetCurrentFolder(ExistingFolder(m_currentFolder));
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
