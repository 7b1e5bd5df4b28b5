#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class TCustomRecorder;
class TRecordListView;

// lvRecContentKeyDown: Ctrl+A selects a group of rows, Ctrl+S (demo
// connection or "diag" only) marks the selected recording as never
// downloaded. Both are taken before the view sees them; every other key
// and modifier combination goes on to the view.
class TRecordListKeys : public QObject {
    Q_OBJECT
public:
    using TAllowed = std::function<bool()>;
    using TRecorderOf = std::function<TCustomRecorder*()>;

    TRecordListKeys(TRecordListView& records, TAllowed statusKeyAllowed, TRecorderOf recorder,
                    QObject* parent = nullptr);

    // Ctrl+A: with a voice part selected, every part of its recording;
    // otherwise every whole recording. Nothing is deselected.
    void SelectGroup();
    // Ctrl+S: status 0xFF for the recording of the selected row (a voice
    // part's parent). Link errors are shown, not raised.
    void ResetStatus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Ctrl+A or Ctrl+S with exactly Ctrl held.
    static bool IsOwnKey(const QKeyEvent& key);

    TRecordListView& m_records;
    QObject* m_view = nullptr;  // compared only: the view may be going
    TAllowed m_statusKeyAllowed;
    TRecorderOf m_recorder;
};
