#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

class QAbstractItemView;
class QMenu;

// Opens the pop-up menu where the right mouse button goes down on a row of
// a list view; empty space below the rows opens nothing. From the keyboard
// (the Menu key, Shift+F10: Qt's context-menu event with the keyboard
// reason) it opens on the current row.
class TRowPopupMenu : public QObject {
    Q_OBJECT
public:
    TRowPopupMenu(QAbstractItemView& view, QMenu* menu, QObject* parent = nullptr);

    void SetMenu(QMenu* menu) { m_menu = menu; }

    // Where the keyboard opens the menu: below the current row's caption,
    // in global coordinates; nothing without a current row.
    std::optional<QPoint> KeyboardPoint() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenAt(QPoint global);

    QAbstractItemView& m_view;
    QWidget* m_viewport = nullptr;  // compared only: the view may be going
    QMenu* m_menu = nullptr;
};
