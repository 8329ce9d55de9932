#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// A TCP server on 127.0.0.1 that misbehaves on purpose: each connection it accepts is handed
// to a behaviour of the test's choosing on a thread of its own. Every wait and every send
// gives up when the server is destroyed, so a behaviour may go on for ever.
class HostileServer {
public:
    class Connection {
    public:
        Connection(int socket, const std::atomic<bool>& stopping) : m_socket(socket), m_stopping(stopping) {}
        // Reads until the end of a request head, the client's close or one second of silence.
        QByteArray readRequestHead();
        // Sends all of bytes; false once the client has gone or the server is stopping.
        bool send(const QByteArray& bytes);
        // Waits; false when the server is stopping.
        bool pause(std::chrono::milliseconds time);
        // Makes the coming close send a reset instead of a plain end.
        void resetOnClose();
        [[nodiscard]] bool stopping() const { return m_stopping; }

    private:
        int m_socket;
        const std::atomic<bool>& m_stopping;
    };
    using Behaviour = std::function<void(Connection&)>;

    explicit HostileServer(Behaviour behaviour);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    [[nodiscard]] int port() const;

private:
    struct State;
    std::unique_ptr<State> d;
};
