#pragma once

#include <QObject>

class QAbstractItemView;
class QMenu;

// Opens the pop-up menu where the right mouse button goes down on a row of
// a list view; empty space below the rows opens nothing.
class TRowPopupMenu : public QObject {
    Q_OBJECT
public:
    TRowPopupMenu(QAbstractItemView& view, QMenu* menu, QObject* parent = nullptr);

    void SetMenu(QMenu* menu) { m_menu = menu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView& m_view;
    QWidget* m_viewport = nullptr;  // compared only: the view may be going
    QMenu* m_menu = nullptr;
};
