#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QAction;
class QWidget;
class TContentListsController;
class TCustomRecorder;
class TLongOperation;
struct TFileListItem;

struct TCopyToRecorderUi {
    QWidget* MainWindow = nullptr;
    TContentListsController* Lists = nullptr;
    // The recorder of the connection while it is connected, else null (the
    // connection is made after the actions).
    std::function<TCustomRecorder*()> ConnectedRecorder;
    // Scans the recorder's content again and refills the lists.
    std::function<void()> RefreshContent;
    TLongOperation* Operation = nullptr;
    QAction* ActCopyToRec = nullptr;
};

// Copy to recorder: WAV files of the PC become new recordings (Records view),
// or PC files and folders go into the flash drive's current folder (Flash
// Drive view).
class TCopyToRecorderActions : public QObject {
    Q_OBJECT
public:
    explicit TCopyToRecorderActions(const TCopyToRecorderUi& ui, QObject* parent = nullptr);

    void actCopyToRecExecute();
    // Enabled while connected with at least one explorer item selected.
    void actCopyToRecUpdate();

    // The explorer's selected paths in the order it shows them.
    std::function<QStringList()> SelectedPaths;
    // The transfers; by default UploadWaveAsRecord and UploadFileToDrive over
    // the main window's transfer user interface.
    std::function<bool(TCustomRecorder* recorder, const QString& path, std::uint16_t record)> UploadWave;
    std::function<bool(TCustomRecorder* recorder, const QString& source, const TFileListItem& entry,
                       const QString& storedName)>
        UploadFile;
    // The overwrite question (answers as TCopyToPcActions::AskOverwrite).
    std::function<int(QString& target, bool renameAllowed)> AskOverwrite;

private:
    TCustomRecorder* Recorder() const;
    // The recorder, its content rescanned when an upload or erase marked it
    // changed: the uploads refuse to start on stale lists.
    TCustomRecorder& FreshRecorder();
    void UploadRecords(const QStringList& paths);
    void CopyToDrive(const QStringList& paths);
    void CopyEntry(const QString& base, const TFileListItem& entry, const QString& viewFolder);
    // Erases the drive file an overwrite replaces and waits; false (the
    // failure shown) unless the erase completed.
    bool EraseOldFile(TCustomRecorder& recorder, int driveFileIndex, const QString& drivePath);

    TCopyToRecorderUi m_ui;
    bool m_overwriteAll = false;
    bool m_skipAll = false;
    bool m_uploaded = false;  // this run started an upload
    // The flash-drive copy's entries left out (special files, vanished
    // files, names too long), told together at its end.
    QStringList m_skipped;
};
