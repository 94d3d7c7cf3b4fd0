// Receiving the 30,000-service database from the receiver simulator on loopback. Budget: a
// receive (three sessions, staged through temporaries with fsync and rename, logged) takes
// at most 1.5 times what the curl command-line tool needs to fetch the same three files in
// the same run ("x_curl").
#include "bench_support.h"
#include "link/workflows.h"
#include "receiver_sim_process.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace tavrino::bench {
namespace fs = std::filesystem;

namespace {

const char* const fileNames[] = {"all_channel.dat", "antenna_list.dat", "DVBS.dat"};
const std::string password = "bench-only";

class SilentPrompter : public Prompter {
public:
    void tell(const Notice&) override {}
    bool ask(const Notice&) override { return false; }
};

// The simulator serving a copy of the large sample in DISK2, started once per run.
struct Receiver {
    Receiver() {
        fs::create_directories(root / "DISK2");
        for (const char* name : fileNames) {
            fs::copy_file(largeSampleFolder() / name, root / "DISK2" / name,
                          fs::copy_options::overwrite_existing);
        }
        sim = std::make_unique<test::ReceiverSim>(root,
                                                  std::vector<std::string>{"--password", password});
        profile = defaultProfile();
        profile.address = "127.0.0.1";
        profile.password = password;
        profile.passive = true;
        profile.ftpPort = sim->ftpPort();
        profile.telnetPort = sim->telnetPort();
    }
    ~Receiver() {
        sim.reset();
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path root = fs::temp_directory_path() / "tavrino-bench-receiver";
    fs::path data = fs::temp_directory_path() / "tavrino-bench-data";
    fs::path curlOut = fs::temp_directory_path() / "tavrino-bench-curl";
    std::unique_ptr<test::ReceiverSim> sim;
    ConnectionProfile profile;
};

Receiver& receiver() {
    static Receiver r;
    return r;
}

bool receiveOnce() {
    Receiver& r = receiver();
    const LinkTimeouts timeouts;
    LinkProgress progress;
    SilentPrompter prompter;
    CancelToken cancel;
    return receiveFiles({r.profile, timeouts, r.data, progress, prompter, cancel}).readyToOpen;
}

std::string curlUrl(const char* name) {
    return "ftp://127.0.0.1:" + std::to_string(receiver().sim->ftpPort()) + "/%2FDISK2/" + name;
}

std::string curlCommand() {
    return "curl -s -S --ftp-method singlecwd -u root:" + password;
}

// The same three files with one curl process per file, as a receive opens one session each.
bool curlOnce() {
    Receiver& r = receiver();
    fs::create_directories(r.curlOut);
    for (const char* name : fileNames) {
        const std::string command =
            curlCommand() + " " + curlUrl(name) + " -o '" + (r.curlOut / name).string() + "'";
        if (std::system(command.c_str()) != 0) {
            return false;
        }
    }
    return true;
}

// One curl process for all three: libcurl then keeps the connection, and on this version
// stalls about a second before each later data connection, so it is shown but not the floor.
bool curlOneProcess() {
    Receiver& r = receiver();
    fs::create_directories(r.curlOut);
    std::string command = curlCommand();
    for (const char* name : fileNames) {
        command += " " + curlUrl(name) + " -o '" + (r.curlOut / name).string() + "'";
    }
    return std::system(command.c_str()) == 0;
}

void BM_ReceiveFromSimulator(benchmark::State& state) {
    for (auto _ : state) {
        if (!receiveOnce()) {
            state.SkipWithError("receive failed");
        }
    }
    const double curl = medianSeconds([] { curlOnce(); });
    const double ours = medianSeconds([] { receiveOnce(); });
    state.counters["curl_ms"] = curl * 1e3;
    state.counters["curl_one_process_ms"] = medianSeconds([] { curlOneProcess(); }, 3) * 1e3;
    state.counters["receive_ms"] = ours * 1e3;
    state.counters["x_curl"] = ours / curl;
    state.counters["MB"] = static_cast<double>(largeSampleBytes()) / 1e6;
}
BENCHMARK(BM_ReceiveFromSimulator)->Unit(benchmark::kMillisecond);

void BM_CurlCommandLine(benchmark::State& state) {
    for (auto _ : state) {
        if (!curlOnce()) {
            state.SkipWithError("curl failed");
        }
    }
}
BENCHMARK(BM_CurlCommandLine)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrino::bench

BENCHMARK_MAIN();
