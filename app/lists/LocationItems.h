#pragma once

#include <QString>
#include <vector>

// One entry of the location combo above the record and flash-drive views.
struct TLocationItem {
    QString Text;
    int Image = 0;
    int Indent = 0;

    bool operator==(const TLocationItem&) const = default;
};

// The combo's entries: "Records" in the records view; in the flash-drive
// view "Flash Drive" and one entry per level of the folder (indent 1, 2,
// ...). The last entry is the current one.
std::vector<TLocationItem> LocationItems(bool driveView, const QString& folder);

// The folder an entry stands for, in the combo's form: the names of the
// levels 1 up to the entry's, each after a "\" ("" for the root entry).
QString LocationFolder(const std::vector<TLocationItem>& items, int index);
