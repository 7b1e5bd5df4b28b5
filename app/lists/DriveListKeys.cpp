#include "app/lists/DriveListKeys.h"

#include <QKeyEvent>
#include <QTreeView>

#include "app/lists/DriveListView.h"
#include "app/services/AppMessageBox.h"

TDriveListKeys::TDriveListKeys(TDriveListView& drive, std::function<void()> levelUp, QObject* parent)
    : QObject(parent), m_drive(drive), m_view(&drive.View()), m_levelUp(std::move(levelUp))
{
    m_view->installEventFilter(this);
    connect(&m_drive.View(), &QAbstractItemView::doubleClicked, this,
            [this] { RunGuarded([this] { m_drive.OpenSelectedFolder(); }); });
}

bool TDriveListKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || watched != m_view)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
    const bool backspace = key->key() == Qt::Key_Backspace && modifiers == Qt::NoModifier;
    const bool selectAll = key->key() == Qt::Key_A && modifiers == Qt::ControlModifier;
    if (!enter && !backspace && !selectAll)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    RunGuarded([&] {
        if (enter)
            m_drive.OpenSelectedFolder();
        else if (backspace && m_levelUp)
            m_levelUp();
        else if (selectAll)
            m_drive.SelectAll();
    });
    return true;
}
