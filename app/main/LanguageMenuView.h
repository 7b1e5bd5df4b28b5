#pragma once

#include <QObject>
#include <functional>

#include "localizer/LanguageMenu.h"

class QAction;
class QActionGroup;
class QMenu;

// The Language menu (Language1) as radio items of one group; a click
// reports the item's position.
class TMenuLanguageView : public QObject, public TLanguageMenuView {
    Q_OBJECT
public:
    TMenuLanguageView(QMenu& menu, std::function<void(int position)> clicked);

    void Clear() override;
    void AddItem(const QString& caption) override;
    void InsertItem(int position, const QString& caption) override;
    void CheckItem(int position) override;

private:
    QAction* MakeItem(const QString& caption);

    QMenu& m_menu;
    QActionGroup* m_group;
    std::function<void(int)> m_clicked;
};
