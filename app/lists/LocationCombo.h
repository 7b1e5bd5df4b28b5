#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "app/lists/LocationItems.h"

class QComboBox;

// cbexRecLocation: the entries of the current view and folder, each level
// indented, the current one selected. Choosing an entry in the flash-drive
// view hands its folder on; the combo's own refill does not.
class TLocationCombo : public QObject {
    Q_OBJECT
public:
    // The item data role holding an entry's indent and image.
    static constexpr int IndentRole = 0x0101;
    static constexpr int ImageIndexRole = 0x0102;

    explicit TLocationCombo(QComboBox& combo, QObject* parent = nullptr);

    // FillLocationCombo.
    void Fill(bool driveView, const QString& folder);
    const std::vector<TLocationItem>& Items() const { return m_items; }

    // cbexRecLocationChange: the chosen folder ("\A\B", "" for the root).
    std::function<void(const QString& folder)> OnFolderChosen;

private:
    void Changed(int index);

    QComboBox& m_combo;
    std::vector<TLocationItem> m_items;
    bool m_driveView = false;
    bool m_refilling = false;
};
