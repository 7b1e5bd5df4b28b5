#include "app/main/LanguageMenuView.h"

#include <QActionGroup>
#include <QMenu>

TMenuLanguageView::TMenuLanguageView(QMenu& menu, std::function<void(int)> clicked)
    : m_menu(menu), m_group(new QActionGroup(this)), m_clicked(std::move(clicked))
{
    m_group->setExclusive(true);
}

void TMenuLanguageView::Clear()
{
    for (QAction* action : m_group->actions()) {
        m_group->removeAction(action);
        m_menu.removeAction(action);
        action->deleteLater();
    }
}

QAction* TMenuLanguageView::MakeItem(const QString& caption)
{
    auto* action = new QAction(caption, &m_menu);
    action->setCheckable(true);
    m_group->addAction(action);
    connect(action, &QAction::triggered, this, [this, action] {
        const int position = static_cast<int>(m_menu.actions().indexOf(action));
        if (m_clicked)
            m_clicked(position);
    });
    return action;
}

void TMenuLanguageView::AddItem(const QString& caption)
{
    m_menu.addAction(MakeItem(caption));
}

void TMenuLanguageView::InsertItem(int position, const QString& caption)
{
    const QList<QAction*> actions = m_menu.actions();
    QAction* before = position >= 0 && position < actions.size() ? actions[position] : nullptr;
    m_menu.insertAction(before, MakeItem(caption));
}

void TMenuLanguageView::CheckItem(int position)
{
    const QList<QAction*> actions = m_menu.actions();
    for (qsizetype i = 0; i < actions.size(); ++i)
        actions[i]->setChecked(i == position);
}
