#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/recorder/JobOutcome.h"

class QAction;
class QLabel;
class QTimer;
class QToolButton;
class QWidget;
class TContentViews;
class TCustomRecorder;
class TLongOperation;
class TPasswordDlg;
class TRecorderSettingsModel;
class TStatusPanel;
class TfrmRecSettings;

// The controls and services of the main window that the connection drives.
struct TConnectionUi {
    QWidget* MainWindow = nullptr;
    QWidget* MainPanel = nullptr;
    QWidget* PnlRecorder = nullptr;
    QLabel* LbErrorState = nullptr;
    QLabel* LbDemo = nullptr;
    TStatusPanel* PnlStatus = nullptr;
    QAction* ActConnect = nullptr;
    QAction* ActDisconnect = nullptr;
    QAction* ActCopyToPC = nullptr;
    QAction* ActMoveToPC = nullptr;
    QAction* ActCopyToDefFolder = nullptr;
    QAction* ActMoveToDefFolder = nullptr;
    QToolButton* TlbtnCopyToPc = nullptr;
    QToolButton* TlbtnCopyToDefFolder = nullptr;
    TPasswordDlg* PasswordDlg = nullptr;
    TfrmRecSettings* SettingsDlg = nullptr;
    TContentViews* Views = nullptr;
    TLongOperation* Operation = nullptr;
    // The command line's "diag" and "prof" words.
    bool DiagMode = false;
    bool ProfMode = false;
};

// The connection state machine of the main window: owns the recorder
// object of the connection, runs the idle pass (connect, probe with a
// one-second back-off, password, refresh, status) and the refresh action,
// and hands the recorder's settings model to the settings dialog. The
// diagnostic and profile modes come from the command line.
class TConnectionController : public QObject {
    Q_OBJECT
public:
    using TCreateRecorder = std::function<TCustomRecorder*(int connectType)>;
    using TDestroyRecorder = std::function<void(TCustomRecorder*)>;

    explicit TConnectionController(const TConnectionUi& ui, QObject* parent = nullptr);
    ~TConnectionController() override;

    // Seams: how the recorder object is made (CreateRecorder and
    // DestroyRecorder by default), whether Shift is down, the back-off,
    // the pause before the status window closes, the next-pass request.
    void SetRecorderFactory(TCreateRecorder create, TDestroyRecorder destroy);
    void SetShiftDown(std::function<bool()> shiftDown) { m_shiftDown = std::move(shiftDown); }
    void SetBackOffMs(int ms);
    void SetStatusCloseDelayMs(int ms) { m_statusCloseDelayMs = ms; }
    void SetSchedulePass(std::function<void()> schedule) { m_schedulePass = std::move(schedule); }
    // Run by step 8 and 9 of the pass: the explorer's pending refresh, the
    // end of the splash window.
    void SetPassHooks(std::function<void()> explorerRefresh, std::function<void()> freeSplash);

    // ApplicationEvents1Idle: one pass; done as the class library's Done.
    void IdlePass(bool& done);
    bool Connect();
    // Refused (false) while a long operation or a recorder job runs.
    bool Disconnect();
    // The connection menu: another type disconnects and the next pass
    // connects. Refused while busy.
    bool SelectConnectType(int connectType);
    // Runs the refresh job and fills the views with what it found.
    TJobOutcome RefreshRecorderContent();
    // What the content refreshes have cost so far (tests, benchmarks):
    // how many ran and their wall time, views and status included.
    struct TRefreshStats {
        int Count = 0;
        std::int64_t Nanoseconds = 0;
    };
    const TRefreshStats& RefreshStats() const { return m_refreshStats; }
    void actRecRefreshExecute();
    void actConnectExecute();
    void actDisconnectExecute();
    void actSyncClockExecute();
    void StatusPanelUpdate();
    // The "prof" switch flips; a recorder object is told the new value.
    void FlipProfMode();

    // A long operation holds the interface or the recorder runs a job.
    bool IsBusy() const;

    TCustomRecorder* Recorder() const { return FRecorder; }
    QTimer* Timer1() const { return m_timer1; }

    bool FConnected = false;
    bool FFreshConnection = false;
    bool FContentChanged = false;
    bool FIdleReady = true;
    bool FStartupDone = false;
    bool FDiagMode = false;  // "diag": the debug log, Ctrl+S, no splash delay
    bool FProfMode = false;  // "prof": the settings dialog's hidden page; the one copy
    QString FPassword;

private:
    void PassSteps(bool& done);
    void UpdateCaption();
    void UpdateCopyButtons();
    void ProbeAndRefresh(bool& done);
    bool RunPasswordLoop();
    bool AskToClearPassword();
    void ClearPasswordAndContent();
    void EnterGranted(bool& done);
    void EnterNotConnected(bool& done);
    void RequestPass();
    void ReleaseRecorder();
    void CloseProgressBeforeMessage();
    void SetConnectActions(bool connect, bool disconnect);

    TConnectionUi m_ui;
    TCustomRecorder* FRecorder = nullptr;
    std::unique_ptr<TRecorderSettingsModel> m_settingsModel;
    QTimer* m_timer1 = nullptr;
    TCreateRecorder m_create;
    TDestroyRecorder m_destroy;
    std::function<bool()> m_shiftDown;
    std::function<void()> m_schedulePass;
    std::function<void()> m_explorerRefresh;
    std::function<void()> m_freeSplash;
    int m_statusCloseDelayMs = 100;
    // A refresh that failed is not retried by the passes of the same
    // connection (the recorder would report the same failure every second);
    // the refresh action, a new connection or a regained one try again.
    bool m_refreshFailed = false;
    TRefreshStats m_refreshStats;
};
