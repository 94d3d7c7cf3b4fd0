// How long the window takes from "open this folder" to a painted service list of 30,000
// services, in an offscreen window.
#include "app/compare/comparison_view.h"
#include "compare/comparison.h"
#include "window_support.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>

namespace tavrino::bench {
namespace {

void BM_OpenAndPaint(benchmark::State& state) {
    SilentDialogs dialogs;
    app::MainWindow window(dialogs,
                           QString::fromStdString(std::filesystem::temp_directory_path().string()));
    window.show();
    QApplication::processEvents();
    const auto folder = largeSampleFolder();
    for (auto _ : state) {
        if (!window.openFolder(folder)) {
            state.SkipWithError("open failed");
        }
        window.repaint(); // paints synchronously, the service list included
        QApplication::processEvents();
    }
    state.counters["rows"] = window.organizeListTab()->serviceView()->model()->rowCount();
}
BENCHMARK(BM_OpenAndPaint)->Unit(benchmark::kMillisecond);

void lockOrUnlock(OpenWindow& open, bool lock) {
    (lock ? open.view().lockAction() : open.view().unlockAction())->trigger();
    open.window.repaint();
}

// The flag command over every row as the window runs it (recording included), then painted.
void BM_WindowLockAllRows(benchmark::State& state) {
    OpenWindow open;
    open.view().selectAll();
    QApplication::processEvents();
    bool lock = true;
    for (auto _ : state) {
        lockOrUnlock(open, lock);
        lock = !lock;
    }
}
BENCHMARK(BM_WindowLockAllRows)->Unit(benchmark::kMillisecond);

void BM_WindowUndoLockAllRows(benchmark::State& state) {
    OpenWindow open;
    open.view().selectAll();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        lockOrUnlock(open, true);
        state.ResumeTiming();
        open.window.undoAction()->trigger();
        open.window.repaint();
    }
}
BENCHMARK(BM_WindowUndoLockAllRows)->Unit(benchmark::kMillisecond);

// The large list against an unrelated one of 20,000 services, shown.
void showUnrelatedComparison(app::ComparisonView& view) {
    Workspace other;
    other.openFolder(sampleFolder(20000));
    view.resize(900, 500);
    view.show();
    view.setComparison(compareWorkspaces(largeWorkspace(), other));
}

// The comparison window's text filter over two unrelated lists (tens of thousands of rows),
// one keystroke's refilter and paint, ASCII and not. Budget: under 50 ms a keystroke.
void BM_ComparisonFilterKeystroke(benchmark::State& state) {
    app::ComparisonView view;
    showUnrelatedComparison(view);
    auto* find = view.findChild<QLineEdit*>("comparisonTextFilter");
    const QStringList texts = {"d", "do", "doc", "docu", "\u00e9", "t\u00e9"};
    int i = 0;
    for (auto _ : state) {
        find->setText(texts[i++ % texts.size()]);
        view.repaint();
    }
    state.counters["rows"] = static_cast<double>(view.comparison().rows().size());
}
BENCHMARK(BM_ComparisonFilterKeystroke)->Unit(benchmark::kMillisecond);

// A header click on the same comparison: sorted up, down, and back to the comparison's order.
// Budget: under 100 ms a click.
void BM_ComparisonSortClick(benchmark::State& state) {
    app::ComparisonView view;
    showUnrelatedComparison(view);
    auto* table = view.findChild<QTableView*>("comparisonTable");
    const int column = static_cast<int>(state.range(0));
    const std::pair<int, Qt::SortOrder> clicks[] = {
        {column, Qt::AscendingOrder}, {column, Qt::DescendingOrder}, {-1, Qt::AscendingOrder}};
    int i = 0;
    for (auto _ : state) {
        const auto [section, order] = clicks[i++ % 3];
        table->horizontalHeader()->setSortIndicator(section, order);
        view.repaint();
    }
    state.counters["rows"] = static_cast<double>(view.comparison().rows().size());
}
BENCHMARK(BM_ComparisonSortClick)->Arg(2)->Arg(5)->Unit(benchmark::kMillisecond);

// The window started as a user starts it, until it has painted itself and exits.
double startSeconds(const std::string& folder) {
    const std::string command =
        std::string("QT_QPA_PLATFORM=offscreen '") + TAVRINO_BINARY + "' " + folder +
        " --data-dir '" + (std::filesystem::temp_directory_path() / "tavrino-bench-data").string() +
        "' --screenshot '" +
        (std::filesystem::temp_directory_path() / "tavrino-bench-start.png").string() +
        "' >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return status == 0 ? seconds : -1;
}

// Start-up with a folder of this many services beside start-up with none.
// Budget: at most 150 ms more than starting with no folder.
void BM_StartUpWithFolder(benchmark::State& state) {
    const std::string folder = "'" + sampleFolder(static_cast<int>(state.range(0))).string() + "'";
    double best = 1e9;
    for (auto _ : state) {
        best = std::min(best, startSeconds(folder));
    }
    const auto [withFolder, withNone] =
        fastestBesideFloor([&] { startSeconds(folder); }, [] { startSeconds(""); }, 5);
    if (best < 0) {
        state.SkipWithError("the window did not start");
    }
    state.counters["extra_ms"] = (withFolder - withNone) * 1e3;
    state.counters["no_folder_ms"] = withNone * 1e3;
}
BENCHMARK(BM_StartUpWithFolder)
    ->Arg(30000)
    ->Arg(200000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
