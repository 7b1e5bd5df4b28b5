#include "widgets/lang/LangTable.h"

#include <QStringList>
#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "localizer/LangError.h"
#include "widgets/lang/LanguageController.h"

namespace {

void CollectLines(const TLangCompEntry& entry, std::vector<std::pair<qint32, QString>>& out)
{
    if (const TLangPropEntries* props = entry.PropEntries())
        for (int i = 0; i < props->Count(); ++i)
            out.emplace_back(props->At(i).ID, entry.ComponentPath() + QLatin1Char('.') + props->At(i).PropName);
    for (int i = 0; i < entry.ChildCount(); ++i) {
        if (entry.ChildAt(i).ChildCount() > 0)
            throw ELangError(
                QStringLiteral("Nested component entries have no table form: %1").arg(entry.ChildAt(i).Name()));
        CollectLines(entry.ChildAt(i), out);
    }
}

}  // namespace

QString WriteLangTable(const TLanguageController& controller)
{
    std::vector<std::pair<qint32, QString>> lines;
    CollectLines(controller.Root(), lines);
    std::sort(lines.begin(), lines.end());
    QString text = QStringLiteral("; Form translation entries: IDs are never renumbered or reused.\n");
    text += QStringLiteral("Form=%1\n").arg(controller.Root().Name());
    for (const QString& mask : controller.IgnoreList)
        text += QStringLiteral("Ignore=%1\n").arg(mask);
    for (const QString& mask : controller.StoreList)
        text += QStringLiteral("Store=%1\n").arg(mask);
    text += QStringLiteral("HighWater=%1\n").arg(std::max(controller.HighWaterID(), controller.Root().HighestID()));
    for (const auto& [id, path] : lines)
        text += QStringLiteral("%1=%2\n").arg(id).arg(path);
    return text;
}

void ReadLangTable(const QString& text, TLanguageController& controller)
{
    auto root = std::make_unique<TLangCompEntry>();
    std::map<QString, TLangCompEntry*> components;
    QStringList ignore;
    QStringList store;
    qint32 highWater = 0;
    std::set<qint32> ids;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        bool isNumber = false;
        const qint32 id = key.toInt(&isNumber);
        if (eq <= 0) {
            throw ELangError(QStringLiteral("Form table line %1 not understood: %2").arg(n + 1).arg(line));
        } else if (key == QLatin1String("Form")) {
            root->SetStoredName(value);
        } else if (key == QLatin1String("Ignore")) {
            ignore << value;
        } else if (key == QLatin1String("Store")) {
            store << value;
        } else if (key == QLatin1String("HighWater")) {
            highWater = value.toInt();
        } else if (isNumber && id > 0 && value.contains(QLatin1Char('.')) && ids.insert(id).second) {
            const qsizetype dot = value.indexOf(QLatin1Char('.'));
            const QString component = value.left(dot);
            TLangCompEntry* entry = root.get();
            if (!component.isEmpty()) {
                TLangCompEntry*& child = components[component];
                if (!child)
                    child = &root->AddChild(component);
                entry = child;
            }
            entry->MakePropEntries().Add(id, value.mid(dot + 1));
        } else {
            throw ELangError(QStringLiteral("Form table line %1 not understood: %2").arg(n + 1).arg(line));
        }
    }
    controller.IgnoreList = ignore;
    controller.StoreList = store;
    controller.SetRoot(std::move(root));
    controller.SetHighWaterID(std::max(highWater, controller.Root().HighestID()));
}
