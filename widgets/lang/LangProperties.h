#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

// One translatable text of a component under the class library's path
// ("Caption", "Hint", "Items", "Tabs", "Columns[0].Caption", "Font.Name"),
// read and written through the Qt property that shows it.
struct TLangProperty {
    QString Path;
    // The class would store the value with the form (a string that is set, a
    // list with items, a font that is not the parent's); a caption that comes
    // from a linked action is not stored.
    bool Stored = true;
    // A property of a font object, left out with the font option.
    bool InFont = false;
    std::function<QString()> Get;
    std::function<void(const QString&)> Set;
};

// The translatable texts of a component; the form itself when isForm. The
// component's name is never among them.
// A menu item that stands for an action (its caption follows the action's)
// carries the action under this property: its texts are not stored.
inline constexpr const char* kLinkedActionProperty = "linkedAction";
std::vector<TLangProperty> LangProperties(QObject* component, bool isForm);

// A string list's whole text: each line followed by CR LF.
QString JoinLangLines(const QStringList& lines);
QStringList SplitLangLines(const QString& text);
