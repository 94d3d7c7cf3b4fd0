#pragma once

#include "link/link_context.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavrino {

// A two-way byte connection, so the telnet conversation can run over a socket or a script.
class ByteStream {
public:
    enum class Read { Data, Idle, Closed };

    virtual ~ByteStream() = default;
    // nullopt once connected, else why not. Gives up when `limit` passes or on cancel.
    virtual std::optional<std::string> connect(const std::string& host, int port,
                                               Milliseconds limit, const CancelToken& cancel) = 0;
    // False when the bytes could not go out (the peer is gone).
    virtual bool send(std::string_view bytes) = 0;
    // Waits up to `wait` for bytes and puts what came into `chunk`.
    virtual Read receive(std::string& chunk, Milliseconds wait) = 0;
    virtual void close() = 0;
};

// A TCP connection over the POSIX socket API.
class TcpStream : public ByteStream {
public:
    TcpStream() = default;
    ~TcpStream() override { close(); }
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    std::optional<std::string> connect(const std::string& host, int port, Milliseconds limit,
                                       const CancelToken& cancel) override;
    bool send(std::string_view bytes) override;
    Read receive(std::string& chunk, Milliseconds wait) override;
    void close() override;

private:
    std::optional<std::string> connectTo(const void* address, unsigned length, int family,
                                         Milliseconds limit, const CancelToken& cancel);

    int fd_ = -1;
};

} // namespace tavrino
