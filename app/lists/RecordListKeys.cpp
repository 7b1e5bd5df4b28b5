#include "app/lists/RecordListKeys.h"

#include <QKeyEvent>
#include <QTreeView>

#include "app/lists/RecordList.h"
#include "app/lists/RecordListView.h"
#include "app/lists/ViewSelection.h"
#include "app/services/AppMessageBox.h"
#include "core/recorder/CustomRecorder.h"

namespace {

constexpr std::uint8_t kNeverDownloaded = 0xFF;

}  // namespace

TRecordListKeys::TRecordListKeys(TRecordListView& records, TAllowed statusKeyAllowed, TRecorderOf recorder,
                                 QObject* parent)
    : QObject(parent), m_records(records), m_view(&records.View()), m_statusKeyAllowed(std::move(statusKeyAllowed)),
      m_recorder(std::move(recorder))
{
    m_view->installEventFilter(this);
}

bool TRecordListKeys::IsOwnKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::ControlModifier && (key.key() == Qt::Key_A || key.key() == Qt::Key_S);
}

bool TRecordListKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || watched != m_view)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride && IsOwnKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();  // no window shortcut takes the key first
        return true;
    }
    if (type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (!IsOwnKey(key))
        return QObject::eventFilter(watched, event);
    if (key.key() == Qt::Key_A)
        SelectGroup();
    else
        RunGuarded([this] { ResetStatus(); });
    return true;
}

void TRecordListKeys::SelectGroup()
{
    const TRecordList& list = m_records.List();
    const int selected = FirstSelectedRow(m_records.View());
    // The recordings, or the voice parts of the selected part's recording.
    const auto groupOf = [&list](int row) {
        const TRecords::TRecordItem& item = *list.Items(row);
        return item.IsVoicePart() ? static_cast<int>(item.RecordNumber) : -1;
    };
    const int group = selected >= 0 && selected < list.Count() ? groupOf(selected) : -1;
    std::vector<int> rows;
    const int count = std::min(list.Count(), m_records.View().model()->rowCount());
    for (int row = 0; row < count; ++row)
        if (groupOf(row) == group)
            rows.push_back(row);
    SelectRows(m_records.View(), rows);
}

void TRecordListKeys::ResetStatus()
{
    if (!m_statusKeyAllowed || !m_statusKeyAllowed())
        return;
    TCustomRecorder* recorder = m_recorder ? m_recorder() : nullptr;
    const int selected = FirstSelectedRow(m_records.View());
    if (!recorder || selected < 0 || selected >= m_records.List().Count())
        return;
    recorder->SetSoundFileStatus(m_records.List().Items(selected)->RecordNumber, kNeverDownloaded);
}
