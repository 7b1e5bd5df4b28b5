#include "app/explorer/ExplorerDrops.h"

#include <QAbstractItemView>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QTreeView>

#include "app/explorer/ExplorerPane.h"
#include "app/lists/OwnerDataModel.h"
#include "app/services/AppMessageBox.h"

namespace {

// The view a watched viewport belongs to.
QAbstractItemView* ViewOf(QObject* viewport)
{
    return qobject_cast<QAbstractItemView*>(viewport->parent());
}

}  // namespace

TExplorerDrops::TExplorerDrops(TExplorerPane& pane, QList<QAbstractItemView*> recorderLists, QAction* copyToPc,
                               QObject* parent)
    : QObject(parent), m_pane(pane), m_recorderLists(std::move(recorderLists)), m_copyToPc(copyToPc)
{
    QList<QAbstractItemView*> targets = m_recorderLists;
    targets << pane.ListView() << pane.IconView();
    for (QAbstractItemView* view : targets) {
        // The drag events reach the filter; the view's own drop code never sees them.
        view->setAcceptDrops(true);
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
    }
}

QObject* TExplorerDrops::DragSource(const QDropEvent& event) const
{
    return event.source();
}

bool TExplorerDrops::IsExplorerList(const QObject* object) const
{
    return object && (object == m_pane.ListView() || object == m_pane.IconView());
}

bool TExplorerDrops::IsRecorderList(const QObject* object) const
{
    for (const QAbstractItemView* view : m_recorderLists)
        if (object && object == view)
            return true;
    return false;
}

bool TExplorerDrops::Accepts(QAbstractItemView& target, const QDropEvent& event) const
{
    const QObject* source = DragSource(event);
    if (IsRecorderList(&target))
        return IsExplorerList(source);
    return IsRecorderList(source) && event.mimeData() &&
           event.mimeData()->hasFormat(QLatin1String(TOwnerDataModel::RowsMimeType));
}

void TExplorerDrops::Dropped(QAbstractItemView& target)
{
    if (IsRecorderList(&target)) {
        if (m_hooks.CopyToRecorder)
            m_hooks.CopyToRecorder();
    } else if (m_hooks.CopyToPc) {
        m_hooks.CopyToPc(m_copyToPc);
    }
}

bool TExplorerDrops::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::DragLeave && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    QAbstractItemView* target = ViewOf(watched);
    if (!target)
        return false;
    if (type == QEvent::DragLeave) {
        target->viewport()->update();  // no item keeps a drop-target look
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    if (!Accepts(*target, *drop)) {
        drop->ignore();
        return true;
    }
    // A copy, whatever the keys held ask for.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        RunGuarded([&] { Dropped(*target); });
    return true;
}
