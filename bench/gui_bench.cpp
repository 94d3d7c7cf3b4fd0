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

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
