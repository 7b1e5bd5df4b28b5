// The explorer pane as a user meets it: the program's main window started
// and shown (offscreen), its pane on a folder of 20,000 or 100,000 files of
// varied sizes, times and types with some folders among them.
// - BM_OpenBigFolder: the pane goes to the folder.
// - BM_SortByHeader: a click on a header section of the report view, each
//   column in both directions.
// - BM_SwitchViewStyle: the view-style menu's item for another style.
// Counters: the longest gap of the GUI thread's event loop from the command
// to the rows painted (min, median and max of the runs), the same counted
// in the GUI thread's own processor time (gap_cpu: what the thread did, not
// what a loaded machine kept from it), the time until the listing is in
// (rows_in) and until the view painted it (painted).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/explorer/ExplorerPane.h"
#include "app/explorer/FolderModel.h"
#include "app/main/AppForms.h"
#include "app/main/MainWindow.h"
#include "bench/BenchHome.h"
#include "bench/CountedBoxes.h"
#include "bench/MadeOnce.h"

namespace {

// How long the loop runs on once the rows are painted, for what the views
// leave to it.
constexpr int kSettleMs = 300;
constexpr int kWaitMs = 60000;

// A folder of files REC00000.wav ... (every tenth a .txt), sizes and times
// spread over years, and one folder per thousand files.
class BigFolder {
public:
    explicit BigFolder(int files)
    {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        for (int n = 0; n < files; ++n) {
            const bool folder = n % 1000 == 500;
            const QString name = QStringLiteral("REC%1.%2")
                                     .arg(n, 6, 10, QLatin1Char('0'))
                                     .arg(folder   ? QStringLiteral("d")
                                          : n % 10 ? QStringLiteral("wav")
                                                   : QStringLiteral("txt"));
            const QByteArray path = QFile::encodeName(m_dir.filePath(name));
            if (folder) {
                if (::mkdir(path.constData(), 0755) != 0)
                    throw std::runtime_error("cannot make " + path.toStdString());
            } else {
                const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (fd < 0 || ::ftruncate(fd, (static_cast<off_t>(n) * 7919) % 5000000) != 0)
                    throw std::runtime_error("cannot make " + path.toStdString());
                ::close(fd);
            }
            // Times not in the order of the names.
            const qint64 when = now - (static_cast<qint64>(n) * 104729) % (5 * 365 * 86400);
            const timespec times[2] = {{when, 0}, {when, 0}};
            ::utimensat(AT_FDCWD, path.constData(), times, 0);
        }
    }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Made once per size.
QString FolderOf(int files)
{
    static std::map<int, std::unique_ptr<BigFolder>> folders;
    auto& folder = folders[files];
    if (!folder)
        folder = std::make_unique<BigFolder>(files);
    return folder->Path();
}

// The main window as the program starts it, over a temporary home.
class Session {
public:
    Session()
    {
        m_forms = std::make_unique<TAppForms>();
        Window = m_forms->frmTrellavoxMain;
        Window->StartupWork();
        Window->ShowPlaced();
        Window->EnableIdlePasses();
        QElapsedTimer clock;
        clock.start();
        while (!(Window->windowHandle() && Window->windowHandle()->isExposed()) && clock.elapsed() < kWaitMs)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!Pane().ExplorerShown())
            Pane().ShowAction()->trigger();
        Pane().ApplyViewStyle(3);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    TExplorerPane& Pane() const { return Window->Explorer(); }
    TfrmTrellavoxMain* Window = nullptr;

private:
    CountedBoxes m_boxes;
    BenchHome m_home;  // outlives the window
    std::unique_ptr<TAppForms> m_forms;
};

void Idle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Waits for a listing of the folder that matches the model's sort.
bool WaitForListing(TFolderModel& model, const QString& folder)
{
    QElapsedTimer clock;
    clock.start();
    while ((model.Reading() || model.Folder() != folder) && clock.elapsed() < kWaitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return !model.Reading();
}

// The pane on the folder, listed, sorted by name, in the given style.
bool Prepare(Session& session, const QString& folder, int style)
{
    TExplorerPane& pane = session.Pane();
    if (pane.ViewStyle() != style)
        pane.ApplyViewStyle(style);
    pane.ListView()->header()->setSortIndicator(kNameColumn, Qt::AscendingOrder);
    pane.SetCurrentFolder(folder);
    const bool listed = WaitForListing(*pane.Model(), QDir::cleanPath(folder));
    Idle(kSettleMs);
    return listed;
}

// The GUI thread's own processor time: a gap in it is work of the thread,
// not time the (shared) machine gave to others.
qint64 ThreadCpuUs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One command measured: a timer that ticks as often as it can gives the
// longest time the window stood still; the listing's arrival and the next
// paint of the view shown after it give the times of the rows.
class Measure : public QObject {
public:
    explicit Measure(TExplorerPane& pane) : m_pane(pane)
    {
        m_ticker.setInterval(1);
        connect(&m_ticker, &QTimer::timeout, this, [this] { Tick(); });
        connect(pane.Model(), &TFolderModel::FolderRead, this, [this] {
            if (m_clock.isValid() && m_rowsIn < 0 && m_wanted())
                m_rowsIn = m_clock.elapsed();
        });
    }

    // Runs the command; false when its rows did not come. Without done the
    // rows are in when the command is.
    bool Run(const std::function<void()>& command, std::function<bool()> done = {})
    {
        m_wanted = std::move(done);
        m_cpuAtTick = ThreadCpuUs();
        m_sinceTick.start();
        m_ticker.start();
        m_clock.start();
        if (!m_wanted)
            m_rowsIn = 0;
        command();
        // The view the command left shown.
        m_pane.ShownListView()->viewport()->installEventFilter(this);
        while ((m_rowsIn < 0 || m_painted < 0) && m_clock.elapsed() < kWaitMs)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        Idle(kSettleMs);
        Tick();
        m_ticker.stop();
        m_pane.ShownListView()->viewport()->removeEventFilter(this);
        return m_rowsIn >= 0 && m_painted >= 0;
    }

    qint64 LongestGap() const { return m_longestGap; }
    double LongestCpuGap() const { return static_cast<double>(m_longestCpuGap) / 1000.0; }
    qint64 RowsIn() const { return m_rowsIn; }
    qint64 Painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Painted: once the event loop is back from the paint.
        if (event->type() == QEvent::Paint && m_rowsIn >= 0 && !m_paintSeen) {
            m_paintSeen = true;
            QTimer::singleShot(0, this, [this] { m_painted = m_clock.elapsed(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Tick()
    {
        m_longestGap = std::max(m_longestGap, m_sinceTick.restart());
        const qint64 cpu = ThreadCpuUs();
        m_longestCpuGap = std::max(m_longestCpuGap, cpu - m_cpuAtTick);
        m_cpuAtTick = cpu;
    }

    TExplorerPane& m_pane;
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_clock;
    std::function<bool()> m_wanted;
    qint64 m_longestGap = 0;
    qint64 m_cpuAtTick = 0;
    qint64 m_longestCpuGap = 0;  // us
    qint64 m_rowsIn = -1;
    qint64 m_painted = -1;
    bool m_paintSeen = false;
};

struct Figures {
    std::vector<double> gaps, cpuGaps, rowsIn, painted;
    void Add(const Measure& measure)
    {
        gaps.push_back(static_cast<double>(measure.LongestGap()));
        cpuGaps.push_back(measure.LongestCpuGap());
        rowsIn.push_back(static_cast<double>(measure.RowsIn()));
        painted.push_back(static_cast<double>(measure.Painted()));
    }
    void Report(benchmark::State& state) const
    {
        if (gaps.empty())
            return;
        state.counters["gap_min_ms"] = *std::min_element(gaps.begin(), gaps.end());
        state.counters["gap_median_ms"] = Median(gaps);
        state.counters["gap_max_ms"] = *std::max_element(gaps.begin(), gaps.end());
        state.counters["gap_cpu_min_ms"] = *std::min_element(cpuGaps.begin(), cpuGaps.end());
        state.counters["gap_cpu_median_ms"] = Median(cpuGaps);
        state.counters["gap_cpu_max_ms"] = *std::max_element(cpuGaps.begin(), cpuGaps.end());
        state.counters["rows_in_median_ms"] = Median(rowsIn);
        state.counters["painted_median_ms"] = Median(painted);
    }
};

// Args: files, view style.
void BM_OpenBigFolder(benchmark::State& state)
{
    const QString folder = FolderOf(static_cast<int>(state.range(0)));
    const int style = static_cast<int>(state.range(1));
    Session& session = MadeOnce<Session>();
    TExplorerPane& pane = session.Pane();
    Figures figures;
    for (auto _ : state) {
        // From another folder, as a user comes to it.
        if (!Prepare(session, QDir::tempPath(), style)) {
            state.SkipWithError("the start folder was not listed");
            break;
        }
        Measure measure(pane);
        const bool done = measure.Run([&] { pane.SetCurrentFolder(folder); },
                                      [&] { return pane.Model()->Folder() == QDir::cleanPath(folder); });
        if (!done) {
            state.SkipWithError("the folder's rows did not come");
            break;
        }
        state.SetIterationTime(static_cast<double>(measure.Painted()) / 1000.0);
        figures.Add(measure);
        state.counters["rows"] = pane.Model()->rowCount();
    }
    figures.Report(state);
}
BENCHMARK(BM_OpenBigFolder)
    ->ArgNames({"files", "style"})
    ->Args({20000, 3})
    ->Args({20000, 0})
    ->Args({100000, 3})
    ->Args({100000, 0})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The header section of the column clicked in the middle, scrolled into
// view first as a user would.
void ClickHeader(QTreeView& view, int column)
{
    QHeaderView& header = *view.header();
    const int x = header.sectionViewportPosition(column);
    if (x < 0 || x + header.sectionSize(column) > header.viewport()->width()) {
        view.horizontalScrollBar()->setValue(header.sectionPosition(column));
        QApplication::processEvents();
    }
    const int middle =
        header.sectionViewportPosition(column) + std::min(header.sectionSize(column), header.viewport()->width()) / 2;
    const QPointF at(middle, header.height() / 2);
    const QPointF global = header.viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header.viewport(), &release);
}

// Args: files, column, order (0 ascending, 1 descending). Each run starts
// from the other direction of the same column, so one click gives the sort.
void BM_SortByHeader(benchmark::State& state)
{
    const QString folder = FolderOf(static_cast<int>(state.range(0)));
    const int column = static_cast<int>(state.range(1));
    const auto order = static_cast<Qt::SortOrder>(state.range(2));
    const auto other = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    Session& session = MadeOnce<Session>();
    TExplorerPane& pane = session.Pane();
    if (!Prepare(session, folder, 3)) {
        state.SkipWithError("the folder was not listed");
        return;
    }
    QTreeView& view = *pane.ListView();
    Figures figures;
    for (auto _ : state) {
        view.header()->setSortIndicator(column, other);
        if (!WaitForListing(*pane.Model(), pane.Model()->Folder())) {
            state.SkipWithError("the first order did not come");
            break;
        }
        Idle(kSettleMs);
        Measure measure(pane);
        const TFolderSort wanted{column, order};
        const bool done = measure.Run([&] { ClickHeader(view, column); },
                                      [&] { return pane.Model()->Sort() == wanted && !pane.Model()->Reading(); });
        if (!done || view.header()->sortIndicatorSection() != column || view.header()->sortIndicatorOrder() != order) {
            state.SkipWithError("the click did not give the sort");
            break;
        }
        state.SetIterationTime(static_cast<double>(measure.Painted()) / 1000.0);
        figures.Add(measure);
        state.counters["rows"] = pane.Model()->rowCount();
    }
    figures.Report(state);
}
BENCHMARK(BM_SortByHeader)
    ->ArgNames({"files", "column", "desc"})
    ->ArgsProduct({{20000, 100000}, {kNameColumn, kSizeColumn, kTypeColumn, kModifiedColumn}, {0, 1}})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Args: files, the style switched to (from the report view, or to it from
// large icons).
void BM_SwitchViewStyle(benchmark::State& state)
{
    const QString folder = FolderOf(static_cast<int>(state.range(0)));
    const int style = static_cast<int>(state.range(1));
    const int from = style == 3 ? 0 : 3;
    Session& session = MadeOnce<Session>();
    TExplorerPane& pane = session.Pane();
    if (!Prepare(session, folder, from)) {
        state.SkipWithError("the folder was not listed");
        return;
    }
    Figures figures;
    for (auto _ : state) {
        pane.StyleItem(from)->trigger();
        Idle(kSettleMs);
        Measure measure(pane);
        // The listing is in already: the rows are in once the item runs.
        const bool done = measure.Run([&] { pane.StyleItem(style)->trigger(); });
        if (!done) {
            state.SkipWithError("the view did not paint");
            break;
        }
        state.SetIterationTime(static_cast<double>(measure.Painted()) / 1000.0);
        figures.Add(measure);
    }
    figures.Report(state);
}
BENCHMARK(BM_SwitchViewStyle)
    ->ArgNames({"files", "style"})
    ->ArgsProduct({{100000}, {0, 2, 3}})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
