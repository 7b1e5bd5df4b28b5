#pragma once

#include <QObject>
#include <array>
#include <functional>

#include "core/links/ConnectType.h"

class QAction;
class QActionGroup;
class QMenu;

// The entries of the connection menu pmConnect: the connection types as
// radio items (demo, a separator, the adapters and the hidden image-file
// item, a separator) and after them the recent image files. Choosing an
// entry sets the connection type through the connection controller.
class TConnectionMenu : public QObject {
    Q_OBJECT
public:
    // select: TConnectionController::SelectConnectType, false when refused.
    TConnectionMenu(QMenu& menu, std::function<bool(int connectType)> select, QObject* parent = nullptr);

    // One item a connection type, in the order of the type table.
    const std::array<QAction*, kConnectTypes.size()>& Items() const { return m_items; }

    // miUSB20_ADPTClick: checks the item and connects with its type. A
    // refused choice (a job runs) checks the item of the type in use again.
    bool ConnectMenuClick(QAction* item);
    // Asks for an image file; a confirmed one becomes the image file, goes
    // to the front of the recent list and is connected to.
    void miImageFileClick();
    // The entry's path becomes the image file and the first recent entry.
    void RecentFileClick(QAction* entry);
    // The recent entries anew from ProgramOptions.RecentFiles, at most
    // RecentCount of them.
    void RebuildRecentFilesMenu();

private:
    // Sets the image file and the recent list, then connects to the image
    // file; a refusal puts both back.
    void ConnectToImageFile(const QString& path, const std::function<void(QStringList&)>& reorder);

    QMenu& m_menu;
    std::function<bool(int)> m_select;
    std::array<QAction*, kConnectTypes.size()> m_items{};
};
