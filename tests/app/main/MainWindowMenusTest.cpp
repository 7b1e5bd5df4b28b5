// What a right click or the Menu key opens over the main window's tool bar
// and menu bar: never a menu item without a caption.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "tests/app/MainWindowFixture.h"

namespace {

// The captions of the menu open now ("" for an item without one); the menu
// is closed again.
QStringList OpenMenuItems()
{
    QStringList items;
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isVisible())
                items << action->text();
        menu->close();
    }
    return items;
}

class MainWindowMenusTest : public MainWindowFixture {};

TEST_F(MainWindowMenusTest, NoUntitledItemByRightClickOrMenuKeyOverTheBars)
{
    ShowConnectedToDemo();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QToolBar* bar = window->ToolBar1;
    QMenuBar* menus = window->menuBar();
    struct Place {
        const char* name;
        QWidget* widget;
        QPoint pos;
    };
    const Place places[] = {
        {"tool button", window->tlbtnConnect, window->tlbtnConnect->rect().center()},
        {"tool bar after its buttons", bar, QPoint(bar->width() - 4, bar->height() / 2)},
        {"menu bar after its menus", menus, QPoint(menus->width() - 4, menus->height() / 2)},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        QTest::mouseClick(place.widget, Qt::RightButton, {}, place.pos);
        QStringList opened = OpenMenuItems();
        // The event a right click becomes, as the window system hands it on.
        QContextMenuEvent click(QContextMenuEvent::Mouse, place.pos, place.widget->mapToGlobal(place.pos));
        QApplication::sendEvent(place.widget, &click);
        opened << OpenMenuItems();
        EXPECT_FALSE(opened.contains(QString())) << opened.join(QLatin1Char('|')).toStdString();
    }

    // The Menu key goes to the focused widget, at its cursor: here none of the
    // lists has the focus.
    for (QWidget* focus : {static_cast<QWidget*>(window), static_cast<QWidget*>(bar), static_cast<QWidget*>(menus)}) {
        SCOPED_TRACE(focus->metaObject()->className());
        focus->setFocus(Qt::OtherFocusReason);
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(target, Qt::Key_Menu);
        QStringList opened = OpenMenuItems();
        const QPoint pos = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent key(QContextMenuEvent::Keyboard, pos, target->mapToGlobal(pos));
        QApplication::sendEvent(target, &key);
        opened << OpenMenuItems();
        EXPECT_FALSE(opened.contains(QString())) << opened.join(QLatin1Char('|')).toStdString();
    }
    EXPECT_TRUE(bar->isVisible());
}

}  // namespace
