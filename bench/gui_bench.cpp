// How long the window takes from "open this folder" to a painted service list of 30,000
// services, in an offscreen window.
#include "app/main_window.h"
#include "app/organize_list_tab.h"
#include "app/service_list_view.h"
#include "app/user_dialogs.h"
#include "bench_support.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

class SilentDialogs : public tavrino::app::UserDialogs {
public:
    void tell(const tavrino::Notice&) override {}
    bool ask(const tavrino::Notice&) override { return false; }
    UnsavedChoice askUnsavedChanges(const QString&) override { return UnsavedChoice::Discard; }
    std::optional<std::filesystem::path> chooseChannelFile(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseSaveFolder(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseAntennaFile(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseDvbsFile(const QString&) override { return {}; }
    std::optional<std::filesystem::path> chooseSatellitesXml(const QString&) override { return {}; }
};

void BM_OpenAndPaint(benchmark::State& state) {
    SilentDialogs dialogs;
    tavrino::app::MainWindow window(
        dialogs, QString::fromStdString(std::filesystem::temp_directory_path().string()));
    window.show();
    QApplication::processEvents();
    const auto folder = tavrino::bench::largeSampleFolder();
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

struct OpenWindow {
    SilentDialogs dialogs;
    tavrino::app::MainWindow window{
        dialogs, QString::fromStdString(std::filesystem::temp_directory_path().string())};
    tavrino::app::ServiceListView& view() { return *window.organizeListTab()->serviceView(); }

    OpenWindow() {
        window.show();
        window.openFolder(tavrino::bench::largeSampleFolder());
        view().selectAll();
        QApplication::processEvents();
    }
    void lockOrUnlock(bool lock) {
        (lock ? view().lockAction() : view().unlockAction())->trigger();
        window.repaint();
    }
};

// The flag command over every row as the window runs it (recording included), then painted.
void BM_WindowLockAllRows(benchmark::State& state) {
    OpenWindow open;
    bool lock = true;
    for (auto _ : state) {
        open.lockOrUnlock(lock);
        lock = !lock;
    }
}
BENCHMARK(BM_WindowLockAllRows)->Unit(benchmark::kMillisecond);

void BM_WindowUndoLockAllRows(benchmark::State& state) {
    OpenWindow open;
    for (auto _ : state) {
        state.PauseTiming();
        open.lockOrUnlock(true);
        state.ResumeTiming();
        open.window.undoAction()->trigger();
        open.window.repaint();
    }
}
BENCHMARK(BM_WindowUndoLockAllRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
