#pragma once

#include <QList>
#include <QObject>
#include <functional>

class QAbstractItemView;
class QAction;
class QDropEvent;
class TExplorerPane;

// What a drop starts; the copy actions fill them. Empty hooks make a drop
// do nothing.
struct TExplorerDropHooks {
    // The copy-to-recorder handler: it works on the explorer list's
    // selection and on the recorder view shown.
    std::function<void()> CopyToRecorder;
    // The copy-to-PC handler run by its action (the Sender): it copies the
    // recorder list's selection into the tree's current folder.
    std::function<void(QAction* sender)> CopyToPc;
};

// The drag and drop rules between the recorder lists and the explorer
// pane's folder view. A recorder list takes drops from the explorer's
// folder view only; the folder view takes drops from the recorder lists
// only (their private format), and always as Copy to PC, whatever keys are
// held. Every other drop, from outside or onto its own source, is refused,
// and the views' own drop handling (which would move files) never runs.
class TExplorerDrops : public QObject {
    Q_OBJECT
public:
    // copyToPc is the action a drop on the explorer runs as.
    TExplorerDrops(TExplorerPane& pane, QList<QAbstractItemView*> recorderLists, QAction* copyToPc, QObject* parent);

    void SetHooks(TExplorerDropHooks hooks) { m_hooks = std::move(hooks); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The widget the drag started from; null for a drag from outside.
    virtual QObject* DragSource(const QDropEvent& event) const;

private:
    bool IsExplorerList(const QObject* object) const;
    bool IsRecorderList(const QObject* object) const;
    bool Accepts(QAbstractItemView& target, const QDropEvent& event) const;
    void Dropped(QAbstractItemView& target);

    TExplorerPane& m_pane;
    QList<QAbstractItemView*> m_recorderLists;
    QAction* m_copyToPc = nullptr;
    TExplorerDropHooks m_hooks;
};
