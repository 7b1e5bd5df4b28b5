#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;

// Follows one folder through inotify: its entries coming, going and being
// renamed, and writes into its files (sizes and times), which a watch on a
// folder alone (QFileSystemWatcher) does not report. Changed comes once per
// batch of events the kernel has gathered; the folder itself going away is
// a change too, after which nothing is watched until Watch again.
class TFolderWatch : public QObject {
    Q_OBJECT
public:
    explicit TFolderWatch(QObject* parent = nullptr);
    ~TFolderWatch() override;
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    // Watches the folder instead of the last; false when it cannot be
    // watched (gone, not a folder, no inotify).
    bool Watch(const QString& folder);
    void Stop();
    // A folder is watched now.
    bool Watching() const { return m_wd >= 0; }

signals:
    void Changed();

private:
    void Drain();

    int m_fd = -1;
    int m_wd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
