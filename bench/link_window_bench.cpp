// The window's event loop while "Receive from Orvix" fetches the 30,000-service database from
// the receiver simulator on loopback and opens it. Budget: the loop never waits more than
// 50 ms ("max_gap_ms"). A 1 ms timer ticks throughout; a gap between two ticks is time the
// loop could not serve the window. "open_gap_ms" is the gap that holds the open of the
// received files on the window's thread; "transfer_gap_ms" the longest of all the others.
#include "app/main_window.h"
#include "app/receiver_link.h"
#include "link/profiles.h"
#include "receiver_sim_process.h"
#include "window_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {
namespace fs = std::filesystem;

using tavrino::bench::SilentDialogs;

const char* const fileNames[] = {"all_channel.dat", "antenna_list.dat", "DVBS.dat"};

struct Receiver {
    Receiver() {
        fs::remove_all(root);
        fs::remove_all(data);
        fs::create_directories(root / "DISK2");
        for (const char* name : fileNames) {
            fs::copy_file(tavrino::bench::largeSampleFolder() / name, root / "DISK2" / name);
        }
        sim = std::make_unique<tavrino::test::ReceiverSim>(
            root, std::vector<std::string>{"--password", "bench-only"});
        tavrino::ConnectionProfile profile = tavrino::defaultProfile();
        profile.address = "127.0.0.1";
        profile.password = "bench-only";
        profile.passive = true;
        profile.ftpPort = sim->ftpPort();
        profile.telnetPort = sim->telnetPort();
        tavrino::saveProfiles(data, {profile});
    }
    ~Receiver() {
        sim.reset();
        std::error_code ignored;
        fs::remove_all(root, ignored);
        fs::remove_all(data, ignored);
    }

    fs::path root = fs::temp_directory_path() / "tavrino-bench-window-receiver";
    fs::path data = fs::temp_directory_path() / "tavrino-bench-window-data";
    std::unique_ptr<tavrino::test::ReceiverSim> sim;
};

void BM_WindowLoopDuringReceive(benchmark::State& state) {
    Receiver receiver;
    SilentDialogs dialogs;
    tavrino::app::MainWindow window(dialogs, QString::fromStdString(receiver.data.string()));
    window.show();
    QApplication::processEvents();

    double maxGap = 0;
    double openGap = 0;
    double transferGap = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        double lastTick = 0;
        double openedAt = -1;
        std::vector<std::pair<double, double>> gaps; // (end, length)
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QEventLoop loop;
        bool finished = false;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            gaps.emplace_back(now, now - lastTick);
            lastTick = now;
            if (finished) {
                loop.quit(); // one tick after the end, so the last gap is seen too
            }
        });
        // Connected after the window's own slot, so it runs once the files are open.
        const auto opened =
            QObject::connect(&window.receiverLink(), &tavrino::app::ReceiverLink::filesReceived,
                             [&] { openedAt = static_cast<double>(clock.nsecsElapsed()) / 1e6; });
        const auto done = QObject::connect(
            &window.receiverLink(), &tavrino::app::ReceiverLink::busyChanged, [&](bool busy) {
                if (!busy) {
                    loop.quit();
                }
            });
        ticker.start();
        window.receiveFromOrvix();
        loop.exec();
        ticker.stop();
        QObject::disconnect(opened);
        QObject::disconnect(done);
        if (openedAt < 0 || !dialogs.told.empty()) {
            state.SkipWithError("the receive did not open the files");
            break;
        }
        for (const auto& [end, length] : gaps) {
            maxGap = std::max(maxGap, length);
            if (end >= openedAt && end - length <= openedAt) {
                openGap = std::max(openGap, length);
            } else {
                transferGap = std::max(transferGap, length);
            }
        }
    }
    state.counters["max_gap_ms"] = maxGap;
    state.counters["open_gap_ms"] = openGap;
    state.counters["transfer_gap_ms"] = transferGap;
}
BENCHMARK(BM_WindowLoopDuringReceive)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
