#include "app/explorer/ExplorerPane.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "app/explorer/ExplorerIconProvider.h"
#include "app/explorer/ExplorerToolBar.h"
#include "app/explorer/FolderModel.h"
#include "app/explorer/Trash.h"
#include "app/services/AppMessageBox.h"
#include "app/services/ApplicationTitle.h"
#include "localizer/LangConst.h"

namespace {

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

// A bound below the minimum (a small window) gives way to the minimum.
int Usable(int width, int minimum, int room)
{
    return std::clamp(width, minimum, std::max(minimum, room));
}

}  // namespace

TExplorerPane::TExplorerPane(QWidget& window, QSplitter& host)
    : QObject(&window), m_window(window), m_host(host), m_iconProvider(std::make_unique<TExplorerIconProvider>())
{
    m_panel = new QWidget(&host);
    m_panel->setObjectName(QStringLiteral("pnlExpWindow"));
    m_toolBar = new TExplorerToolBar(window, m_panel);
    m_actViewExp = m_toolBar->ViewExp;
    m_actFolderTree = m_toolBar->FolderTree;
    actExpDelete = m_toolBar->ExpDelete;
    actGoToDefFolder = m_toolBar->GoToDefFolder;
    actSetDefFolder = m_toolBar->SetDefFolder;
    actNewFolder = m_toolBar->NewFolder;
    actLevelUp = m_toolBar->LevelUp;
    actExpRefresh = m_toolBar->ExpRefresh;

    m_model = new TFolderModel(*m_iconProvider, this);
    m_splitter = new QSplitter(Qt::Horizontal, m_panel);
    m_splitter->setObjectName(QStringLiteral("Splitter2"));
    m_splitter->setChildrenCollapsible(false);
    m_views = new TExplorerViews(*m_model, m_splitter);
    m_navigation = new TExplorerNavigation(*m_model, *m_views, *m_iconProvider, m_panel, m_splitter, this);
    // The tree first, the folder view right of it.
    m_splitter->insertWidget(0, m_navigation->TreeView());
    connect(m_model, &TFolderModel::FolderRead, this, [this] { RunGuarded([&] { m_navigation->FolderRead(); }); });
    connect(m_model, &TFolderModel::FolderGone, this,
            [this](const QString& folder) { RunGuarded([&] { m_navigation->FolderGone(folder); }); });
    connect(m_views, &TExplorerViews::Opened, this, [this](const QModelIndex& index) { m_navigation->Open(index); });

    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    BuildCaption();
    layout->addWidget(m_caption);
    layout->addWidget(m_toolBar->Bar());
    layout->addWidget(m_navigation->ComboBox());
    layout->addWidget(m_splitter, 1);
    ConnectActions();
    m_host.installEventFilter(this);
    SetExplorerWidth(0);
    SetCurrentFolder(QDir::homePath());
}

TExplorerPane::~TExplorerPane()
{
    // Both ask the icon provider until they go.
    delete m_model;
    delete m_navigation;
}

void TExplorerPane::ConnectActions()
{
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
    for (int style = 0; style < 4; ++style)
        connect(StyleItem(style), &QAction::triggered, this,
                [this, style] { RunGuarded([&] { ApplyViewStyle(style); }); });
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
    auto* closeButton = new QToolButton(m_caption);
    closeButton->setObjectName(QStringLiteral("_spbtnExpClose"));
    closeButton->setText(QStringLiteral("x"));
    closeButton->setAutoRaise(true);
    connect(closeButton, &QToolButton::clicked, m_actViewExp, &QAction::trigger);
    caption->addWidget(closeButton);
}

QToolBar* TExplorerPane::ToolBar() const
{
    return m_toolBar->Bar();
}

QToolButton* TExplorerPane::AddInfoButton() const
{
    return m_toolBar->ButtonFor(m_toolBar->AddInfoAction());
}

QToolButton* TExplorerPane::CopyToRecorderButton() const
{
    return m_toolBar->ButtonFor(m_toolBar->CopyToRecorderAction());
}

QAction* TExplorerPane::ViewStyleAction() const
{
    return m_toolBar->ViewStyle;
}

QAction* TExplorerPane::StyleItem(int style) const
{
    return m_toolBar->StyleItems.at(static_cast<std::size_t>(style));
}

void TExplorerPane::SetCopyToRecorderAction(QAction* action)
{
    m_toolBar->SetCopyToRecorderAction(action);
    FollowToolBarWidth();
}

void TExplorerPane::SetAddInfoAction(QAction* action)
{
    m_toolBar->SetAddInfoAction(action);
    FollowToolBarWidth();
}

int TExplorerPane::ExplorerWidth() const
{
    return m_panel->isVisible() ? m_panel->width() : m_explorerWidth;
}

int TExplorerPane::DefaultExplorerWidth() const
{
    const QMargins margins = m_panel->contentsMargins();
    return ToolBar()->sizeHint().width() + margins.left() + margins.right() + 2;
}

void TExplorerPane::FollowToolBarWidth()
{
    if (m_defaultWidth)
        SetExplorerWidth(0);
}

void TExplorerPane::SetExplorerWidth(int width)
{
    m_defaultWidth = width == 0;
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
    return TreeView()->isVisible() ? TreeView()->width() : m_foldersWidth;
}

bool TExplorerPane::FolderTreeShown() const
{
    return m_actFolderTree->isChecked();
}

void TExplorerPane::SetFolderTreeShown(bool shown)
{
    m_actFolderTree->setChecked(shown);
}

void TExplorerPane::ApplyViewStyle(int style)
{
    style = std::clamp(style, 0, 3);
    m_viewStyle = style;
    StyleItem(style)->setChecked(true);
    m_toolBar->ShowViewStyle(style);
    m_views->ApplyStyle(style);
}

void TExplorerPane::ShowExecute()
{
    m_panel->setVisible(m_actViewExp->isChecked());
    SetWatching(m_actViewExp->isChecked());
    if (m_actViewExp->isChecked()) {
        m_holdWidth = !m_host.window()->isVisible();
        PlacePane();
    } else if (m_recorderPanel) {
        m_recorderPanel->setFocus();
    }
    m_views->FitColumnsOnce();
    UpdateActions();
}

void TExplorerPane::PlacePane()
{
    const int total = m_host.isVisible() ? m_host.width() : m_host.window()->width();
    m_host.setSizes({std::max(kMinContentWidth, total - m_explorerWidth), m_explorerWidth});
}

bool TExplorerPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_host && m_holdWidth) {
        if (event->type() == QEvent::Resize && m_actViewExp->isChecked())
            PlacePane();
        else if (event->type() == QEvent::Paint)
            m_holdWidth = false;
    }
    return QObject::eventFilter(watched, event);
}

void TExplorerPane::TreeExecute()
{
    TreeView()->setVisible(m_actFolderTree->isChecked());
    if (m_actFolderTree->isChecked())
        m_splitter->setSizes({m_foldersWidth, std::max(kMinListWidth, m_explorerWidth - m_foldersWidth)});
}

void TExplorerPane::actExpDeleteExecute()
{
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty())
        return;
    const QString question =
        paths.size() == 1 ? LangConst(QStringLiteral("TrashQuestionStr")).arg(QFileInfo(paths.front()).fileName())
                          : LangConst(QStringLiteral("TrashItemsQuestionStr")).arg(paths.size());
    if (AppMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, ApplicationTitle()) != IDYES)
        return;
    // Every item's trash first: where one cannot be made, nothing moves.
    const TTrash trash;
    std::vector<TTrashFolder> folders;
    for (const QString& path : paths)
        folders.push_back(trash.FolderFor(path));
    // Never deleted for good: what cannot go to the trash stays and is named.
    QStringList kept;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        try {
            trash.Move(paths[i], folders[static_cast<std::size_t>(i)]);
        } catch (const ETrashError& error) {
            kept << QString::fromStdString(error.what());
        }
    }
    if (!kept.isEmpty())
        throw ETrashError(kept.join(QLatin1Char('\n')).toStdString());
}

void TExplorerPane::actNewFolderExecute()
{
    const QString folder = CurrentFolder();
    const QString path = FreeNewFolderPath(folder);
    const QString name = QFileInfo(path).fileName();
    if (!QDir(folder).mkdir(name))
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

void TExplorerPane::UpdateActions()
{
    const bool shown = m_actViewExp->isChecked();
    const bool editing = m_views->Editing();
    actExpDelete->setEnabled(m_views->HasSelection() && !editing);
    for (QAction* action : {actGoToDefFolder, actSetDefFolder, actNewFolder, m_actFolderTree, actExpRefresh})
        action->setEnabled(shown);
    actLevelUp->setEnabled(shown && !editing && !m_navigation->AtDesktop());
}
