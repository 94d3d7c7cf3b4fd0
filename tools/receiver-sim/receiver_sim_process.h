#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavrino::test {

// The receiver simulator (receiver_sim.py) as a child process on free loopback ports: started
// by the constructor, which waits until both ports listen, and killed by the destructor.
class ReceiverSim {
public:
    // Serves `root`, whose DISK2/ holds the files; `options` are the simulator's fault options.
    explicit ReceiverSim(const std::filesystem::path& root, std::vector<std::string> options = {});
    ~ReceiverSim();
    ReceiverSim(const ReceiverSim&) = delete;
    ReceiverSim& operator=(const ReceiverSim&) = delete;

    int ftpPort() const { return ftpPort_; }
    int telnetPort() const { return telnetPort_; }
    // The command lines the shell received after a login, in order.
    std::vector<std::string> commands() const;

private:
    void stop();

    std::filesystem::path record_;
    int pid_ = -1;
    int ftpPort_ = 0;
    int telnetPort_ = 0;
};

} // namespace tavrino::test
