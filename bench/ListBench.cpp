// The record view with 20,000 recordings (every fourth with two voice
// parts shown as rows): filling the list, sorting it by a column, and the
// whole fill of the list view up to its first paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>
#include <memory>

#include "app/lists/RecordList.h"
#include "app/lists/RecordListKeys.h"
#include "app/lists/RecordListModel.h"
#include "app/lists/RecordListView.h"
#include "core/flash/SoundFileList.h"

namespace {

constexpr int kRecordings = 20000;

const TSoundFileList& Recordings()
{
    static const auto list = [] {
        auto recordings = std::make_unique<TSoundFileList>();
        for (int n = 1; n <= kRecordings; ++n) {
            auto recording = std::make_unique<TSoundFileInfo>();
            recording->Number = static_cast<std::uint16_t>(n);
            recording->NumberText = QString::number(n);
            recording->Size = static_cast<std::int64_t>((n * 7919) % 5000 + 1) << 20;
            recording->StartTime = civil::FromSecondsSince1970(1700000000 + (n * 104729) % 9000000);
            recording->Length = static_cast<std::uint32_t>((n * 31) % 3600);
            recording->Description = QStringLiteral("In 555; 8000 Hz");
            recording->Status = 0x55;
            recording->VoiceParts = std::make_unique<TSoundFileList>();
            for (std::uint16_t p = 1; n % 4 == 0 && p <= 2; ++p) {
                auto part = std::make_unique<TSoundFileInfo>();
                part->Number = p;
                part->NumberText = QStringLiteral("%1.%2").arg(n).arg(p);
                part->Parent = recording.get();
                recording->VoiceParts->Add(std::move(part));
            }
            recordings->Add(std::move(recording));
        }
        return recordings;
    }();
    return *list;
}

void BM_FillRecordList(benchmark::State& state)
{
    const TSoundFileList& recordings = Recordings();
    TRecordList list;
    for (auto _ : state) {
        FillRecordList(list, &recordings, true);
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["rows"] = list.Count();
}
BENCHMARK(BM_FillRecordList)->Unit(benchmark::kMillisecond);

void BM_SortRecordList(benchmark::State& state)
{
    const TSoundFileList& recordings = Recordings();
    TRecordList list;
    FillRecordList(list, &recordings, true);
    const int key = static_cast<int>(state.range(0));
    bool ascending = true;
    for (auto _ : state) {
        ascending = !ascending;  // every pass reorders the whole list
        list.SetSortOrder(key, ascending);
        list.Sort();
    }
}
BENCHMARK(BM_SortRecordList)->Arg(TRecordList::SortTime)->Arg(TRecordList::SortSize)->Unit(benchmark::kMillisecond);

// Fill, a click on "Date" and the paint of the visible rows.
void BM_FillAndSortTheView(benchmark::State& state)
{
    const TSoundFileList& recordings = Recordings();
    QTreeView view;
    view.resize(800, 600);
    TRecordList list;
    TRecordListView records(view, list);
    view.show();
    for (auto _ : state) {
        records.Fill(&recordings, true);
        records.ColumnClick(TRecordListModel::colDate);
        view.viewport()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillAndSortTheView)->Unit(benchmark::kMillisecond);

// Ctrl+A with nothing selected: every whole recording, 15,000 ranges
// between the voice-part rows.
void BM_SelectWholeRecords(benchmark::State& state)
{
    QTreeView view;
    TRecordList list;
    TRecordListView records(view, list);
    TRecordListKeys keys(records, {}, {});
    records.Fill(&Recordings(), true);
    for (auto _ : state) {
        view.clearSelection();
        keys.SelectGroup();
    }
    state.counters["ranges"] = static_cast<double>(view.selectionModel()->selection().size());
}
BENCHMARK(BM_SelectWholeRecords)->Unit(benchmark::kMillisecond);

}  // namespace
