#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

// One running copy per user: a lock file and a local server named after
// the guard. The first copy holds both and hears the requests of later
// copies; a later copy asks the first to come to the front and ends.
class TSingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultName = "TrellavoxQ3";

    // folder: where the lock and the server socket live (empty: the user's
    // runtime folder).
    explicit TSingleInstanceGuard(const QString& name = QLatin1String(kDefaultName), const QString& folder = {});
    ~TSingleInstanceGuard() override;

    // Takes the lock and starts listening; false when another copy runs.
    bool TryBecomeFirst();
    // Asks the running copy to restore and raise its window; nothing else
    // is handed over. True when the request was delivered.
    bool AskRunningCopyToRaise(int timeoutMs = 3000) const;

signals:
    void RaiseRequested();

private:
    void AcceptRequests();

    QString m_lockPath;
    QString m_serverPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
