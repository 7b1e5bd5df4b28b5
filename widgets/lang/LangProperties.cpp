#include "widgets/lang/LangProperties.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QVariant>
#include <QWidget>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The text without its mnemonic marks: "&&" is one "&", a lone "&" goes.
QString StripMnemonics(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                ++i;
            else
                continue;
        }
        shown += text[i];
    }
    return shown;
}

// What QAction shows as its tool tip when none is set.
QString AutoToolTip(const QAction& action)
{
    QString text = action.text();
    text.remove(QStringLiteral("..."));
    return StripMnemonics(text).trimmed();
}

TLangProperty Text(const QString& path, std::function<QString()> get, std::function<void(const QString&)> set)
{
    TLangProperty property;
    property.Path = path;
    property.Stored = !get().isEmpty();
    property.Get = std::move(get);
    property.Set = std::move(set);
    return property;
}

void AddHint(std::vector<TLangProperty>& out, QWidget* widget)
{
    out.push_back(Text(
        QStringLiteral("Hint"), [widget] { return widget->toolTip(); },
        [widget](const QString& text) { widget->setToolTip(text); }));
}

void AddFontName(std::vector<TLangProperty>& out, QWidget* widget)
{
    TLangProperty property = Text(
        QStringLiteral("Font.Name"), [widget] { return widget->font().family(); },
        [widget](const QString& family) {
            QFont font = widget->font();
            font.setFamily(family);
            widget->setFont(font);
        });
    property.Stored = widget->testAttribute(Qt::WA_SetFont);
    property.InFont = true;
    out.push_back(std::move(property));
}

void AddLabel(std::vector<TLangProperty>& out, QLabel* label)
{
    // The class library's label turns "&" into a mnemonic; a QLabel does so
    // only with a buddy and shows a lone "&" otherwise. Without a buddy the
    // stored caption has its ampersands doubled and a set caption loses them.
    out.push_back(Text(
        QStringLiteral("Caption"),
        [label] {
            return label->buddy() ? label->text()
                                  : QString(label->text()).replace(QLatin1Char('&'), QStringLiteral("&&"));
        },
        [label](const QString& text) { label->setText(label->buddy() ? text : StripMnemonics(text)); }));
}

void AddButton(std::vector<TLangProperty>& out, QAbstractButton* button)
{
    auto* toolButton = qobject_cast<QToolButton*>(button);
    const bool actionLinked = toolButton && toolButton->defaultAction();
    TLangProperty caption = Text(
        QStringLiteral("Caption"), [button] { return button->text(); },
        [button](const QString& text) { button->setText(text); });
    if (actionLinked)
        caption.Stored = false;
    out.push_back(std::move(caption));
    if (actionLinked) {
        TLangProperty hint = Text(
            QStringLiteral("Hint"), [button] { return button->toolTip(); },
            [button](const QString& text) { button->setToolTip(text); });
        hint.Stored = false;
        out.push_back(std::move(hint));
    } else {
        AddHint(out, button);
    }
}

void AddAction(std::vector<TLangProperty>& out, QAction* action)
{
    const bool linked = action->property(kLinkedActionProperty).value<QObject*>() != nullptr;
    const std::size_t first = out.size();
    out.push_back(Text(
        QStringLiteral("Caption"), [action] { return action->text(); },
        [action](const QString& text) { action->setText(text); }));
    // An action without a tool tip answers its text; the class library has no
    // hint then. A hint that reads like the text is a hint all the same: the
    // form gives it as the status tip too, which tells the two apart.
    out.push_back(Text(
        QStringLiteral("Hint"),
        [action] {
            const QString tip = action->toolTip();
            return tip == AutoToolTip(*action) && action->statusTip().isEmpty() ? QString() : tip;
        },
        [action](const QString& text) { action->setToolTip(text); }));
    if (linked)
        for (std::size_t i = first; i < out.size(); ++i)
            out[i].Stored = false;
}

void AddStringList(std::vector<TLangProperty>& out, const QString& path, std::function<QStringList()> get,
                   std::function<void(const QStringList&)> set)
{
    TLangProperty property;
    property.Path = path;
    property.Stored = !get().isEmpty();
    property.Get = [get] { return JoinLangLines(get()); };
    property.Set = [set](const QString& text) { set(SplitLangLines(text)); };
    out.push_back(std::move(property));
}

void AddComboBox(std::vector<TLangProperty>& out, QComboBox* combo)
{
    AddStringList(
        out, QStringLiteral("Items"),
        [combo] {
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            return items;
        },
        [combo](const QStringList& items) {
            const int current = combo->currentIndex();
            for (int i = 0; i < std::min<int>(combo->count(), static_cast<int>(items.size())); ++i)
                combo->setItemText(i, items[i]);
            for (int i = combo->count(); i < items.size(); ++i)
                combo->addItem(items[i]);
            while (combo->count() > items.size())
                combo->removeItem(combo->count() - 1);
            if (current < combo->count())
                combo->setCurrentIndex(current);
        });
    if (combo->isEditable())
        out.push_back(Text(
            QStringLiteral("Text"), [combo] { return combo->currentText(); },
            [combo](const QString& text) { combo->setEditText(text); }));
}

// A tab strip of its own: the string list "Tabs".
void AddTabs(std::vector<TLangProperty>& out, QTabBar* tabs)
{
    const QPointer<QTabBar> guard(tabs);
    AddStringList(
        out, QStringLiteral("Tabs"),
        [guard] {
            QStringList texts;
            for (int i = 0; guard && i < guard->count(); ++i)
                texts << guard->tabText(i);
            return texts;
        },
        [guard](const QStringList& texts) {
            for (int i = 0; guard && i < std::min<int>(guard->count(), static_cast<int>(texts.size())); ++i)
                guard->setTabText(i, texts[i]);
        });
}

// The tab widget that shows the widget as one of its pages, or null.
QTabWidget* PageOwner(QWidget* widget)
{
    QWidget* stack = widget->parentWidget();
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

// A page of a tab widget carries its own caption, the text of its tab.
void AddPageCaption(std::vector<TLangProperty>& out, QWidget* page)
{
    const QPointer<QWidget> guard(page);
    out.push_back(Text(
        QStringLiteral("Caption"),
        [guard] {
            QTabWidget* tabs = guard ? PageOwner(guard) : nullptr;
            return tabs ? tabs->tabText(tabs->indexOf(guard)) : QString();
        },
        [guard](const QString& text) {
            if (QTabWidget* tabs = guard ? PageOwner(guard) : nullptr)
                tabs->setTabText(tabs->indexOf(guard), text);
        }));
}

// The column titles of a list in report style: the collection "Columns".
void AddColumns(std::vector<TLangProperty>& out, QAbstractItemView* view)
{
    QAbstractItemModel* model = view->model();
    if (!model)
        return;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QPointer<QAbstractItemView> guard(view);
        out.push_back(Text(
            QStringLiteral("Columns[%1].Caption").arg(column),
            [guard, column] {
                QAbstractItemModel* m = guard ? guard->model() : nullptr;
                return m ? m->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
            },
            [guard, column](const QString& text) {
                if (QAbstractItemModel* m = guard ? guard->model() : nullptr)
                    m->setHeaderData(column, Qt::Horizontal, text, Qt::DisplayRole);
            }));
    }
}

}  // namespace

QString JoinLangLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + kCrLf;
    return text;
}

QStringList SplitLangLines(const QString& text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n\r|\r|\n")));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

std::vector<TLangProperty> LangProperties(QObject* component, bool isForm)
{
    std::vector<TLangProperty> out;
    if (auto* action = qobject_cast<QAction*>(component)) {
        AddAction(out, action);
        return out;
    }
    auto* widget = qobject_cast<QWidget*>(component);
    if (!widget)
        return out;
    if (isForm) {
        out.push_back(Text(
            QStringLiteral("Caption"), [widget] { return widget->windowTitle(); },
            [widget](const QString& text) { widget->setWindowTitle(text); }));
    } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
        // A pop-up menu of its own, under no menu bar or menu, has no caption
        // (what its title shows where it is put in a menu is the form's
        // business).
        const QWidget* parent = menu->parentWidget();
        if (qobject_cast<const QMenuBar*>(parent) || qobject_cast<const QMenu*>(parent))
            out.push_back(Text(
                QStringLiteral("Caption"), [menu] { return menu->title(); },
                [menu](const QString& text) { menu->setTitle(text); }));
        return out;
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        AddLabel(out, label);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        out.push_back(Text(
            QStringLiteral("Caption"), [group] { return group->title(); },
            [group](const QString& text) { group->setTitle(text); }));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        AddButton(out, button);
        AddFontName(out, widget);
        return out;
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        out.push_back(Text(
            QStringLiteral("Text"), [edit] { return edit->text(); },
            [edit](const QString& text) { edit->setText(text); }));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        AddComboBox(out, combo);
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
        AddTabs(out, tabs);
    } else if (PageOwner(widget)) {
        AddPageCaption(out, widget);
    } else if (qobject_cast<QTreeView*>(widget) || qobject_cast<QTableView*>(widget)) {
        AddColumns(out, static_cast<QAbstractItemView*>(widget));
    }
    AddHint(out, widget);
    AddFontName(out, widget);
    return out;
}
