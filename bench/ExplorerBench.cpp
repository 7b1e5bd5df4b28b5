// The explorer pane opening a folder of 20,000 files: how long the GUI
// thread is held by the call, the longest gap in its event loop while the
// folder is read on the reader's thread (min, median and max of the runs),
// and the time until every row is in, sorted and painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <vector>

#include "app/explorer/ExplorerPane.h"
#include "app/explorer/FolderModel.h"

namespace {

constexpr int kFiles = 20000;
// How long the loop runs on once every row is in, for the layout and the
// paint the views leave to it.
constexpr int kSettleMs = 300;

const QString& BigFolder()
{
    static QTemporaryDir dir;
    static const bool filled = [] {
        for (int n = 0; n < kFiles; ++n) {
            QFile file(dir.filePath(QStringLiteral("REC%1.wav").arg(n, 5, 10, QLatin1Char('0'))));
            file.open(QIODevice::WriteOnly);
        }
        return true;
    }();
    static const QString path = (static_cast<void>(filled), dir.path());
    return path;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_OpenBigFolder(benchmark::State& state)
{
    const QString folder = BigFolder();
    std::vector<double> gaps;
    std::vector<double> rowsIn;
    for (auto _ : state) {
        QWidget window;
        window.resize(900, 600);
        auto* splitter = new QSplitter(&window);
        new QWidget(splitter);
        TExplorerPane pane(window, *splitter);
        pane.ApplyViewStyle(static_cast<int>(state.range(0)));
        window.show();
        // The home folder the pane starts on, read and shown first.
        QElapsedTimer start;
        start.start();
        while (start.elapsed() < 200)
            QApplication::processEvents(QEventLoop::AllEvents, 10);

        // A timer that ticks as often as it can: its longest gap is the
        // longest time the user would see the window stand still.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

        QElapsedTimer clock;
        clock.start();
        pane.SetCurrentFolder(folder);
        const qint64 call = clock.elapsed();
        sinceTick.start();
        ticker.start();
        // The rows are in, sorted, when the model's listing of the folder is.
        qint64 ready = -1;
        QObject::connect(pane.Model(), &TFolderModel::FolderRead, [&](const QString& read) {
            if (read == folder && ready < 0)
                ready = clock.elapsed();
        });
        while (ready < 0 && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < kSettleMs)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        longestGap = std::max(longestGap, sinceTick.elapsed());
        QElapsedTimer paint;
        paint.start();
        pane.ShownListView()->viewport()->repaint();
        longestGap = std::max(longestGap, paint.elapsed());
        state.SetIterationTime(static_cast<double>(ready + paint.elapsed()) / 1000.0);
        gaps.push_back(static_cast<double>(longestGap));
        rowsIn.push_back(static_cast<double>(ready));
        state.counters["call_ms"] = static_cast<double>(call);
        state.counters["rows"] = pane.Model()->rowCount();
    }
    state.counters["gap_min_ms"] = *std::min_element(gaps.begin(), gaps.end());
    state.counters["gap_median_ms"] = Median(gaps);
    state.counters["gap_max_ms"] = *std::max_element(gaps.begin(), gaps.end());
    state.counters["rows_in_median_ms"] = Median(rowsIn);
}
// Report (3) and large icons (0).
BENCHMARK(BM_OpenBigFolder)->Arg(3)->Arg(0)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
