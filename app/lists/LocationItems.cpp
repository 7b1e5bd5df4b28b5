#include "app/lists/LocationItems.h"

#include <QStringList>

#include "core/flash/DrivePath.h"

namespace {

constexpr int kRecordsImage = 0;
constexpr int kFlashDriveImage = 35;
constexpr int kFolderImage = 3;

}  // namespace

std::vector<TLocationItem> LocationItems(bool driveView, const QString& folder)
{
    if (!driveView)
        return {{QStringLiteral("Records"), kRecordsImage, 0}};
    std::vector<TLocationItem> items{{QStringLiteral("Flash Drive"), kFlashDriveImage, 0}};
    const QString inner = TrimBackslashes(folder);
    if (inner.isEmpty())
        return items;
    int indent = 0;
    for (const QString& part : inner.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        items.push_back({part, kFolderImage, ++indent});
    return items;
}

QString LocationFolder(const std::vector<TLocationItem>& items, int index)
{
    if (index < 0 || index >= static_cast<int>(items.size()))
        return {};
    const int level = items[static_cast<std::size_t>(index)].Indent;
    QString folder;
    for (int i = 0; i <= index; ++i) {
        const TLocationItem& item = items[static_cast<std::size_t>(i)];
        if (item.Indent >= 1 && item.Indent <= level)
            folder += QLatin1Char('\\') + item.Text;
    }
    return folder;
}
