// The explorer pane opening a folder of 20,000 files: how long the GUI
// thread is held by the call, the longest gap in its event loop while the
// model reads the folder on its own thread, and the time until every row is
// in, sorted and painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

#include "app/explorer/ExplorerPane.h"

namespace {

constexpr int kFiles = 20000;
// How long the loop runs on once every row is in, for the work the model
// leaves to it (the sort).
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

void BM_OpenBigFolder(benchmark::State& state)
{
    const QString folder = BigFolder();
    for (auto _ : state) {
        QWidget window;
        window.resize(900, 600);
        auto* splitter = new QSplitter(&window);
        new QWidget(splitter);
        TExplorerPane pane(window, *splitter);
        pane.ApplyViewStyle(static_cast<int>(state.range(0)));
        window.show();
        QApplication::processEvents();

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
        // The model sorts after the last rows are in, from its event loop: the
        // rows are ready at the last layout change after that.
        qint64 ready = 0;
        QObject::connect(pane.Model(), &QAbstractItemModel::layoutChanged, [&] { ready = clock.elapsed(); });
        const QModelIndex root = pane.Model()->index(folder);
        while (pane.Model()->rowCount(root) < kFiles && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        ready = std::max(ready, clock.elapsed());
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
        state.counters["call_ms"] = static_cast<double>(call);
        state.counters["longest_gap_ms"] = static_cast<double>(longestGap);
        state.counters["rows"] = pane.Model()->rowCount(root);
    }
}
// Report (3) and large icons (0).
BENCHMARK(BM_OpenBigFolder)->Arg(3)->Arg(0)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
