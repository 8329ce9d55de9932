#include "support/HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {
constexpr int pollMs = 20;
}

struct HostileServer::State {
    Behaviour behaviour;
    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping = false;
    std::thread acceptor;
    std::mutex mutex;
    std::vector<std::thread> sessions;

    void acceptLoop() {
        while (!stopping) {
            pollfd poller{listener, POLLIN, 0};
            if (::poll(&poller, 1, pollMs) <= 0)
                continue;
            const int socket = ::accept(listener, nullptr, nullptr);
            if (socket < 0)
                continue;
            const std::lock_guard lock(mutex);
            sessions.emplace_back([this, socket] {
                Connection connection(socket, stopping);
                behaviour(connection);
                ::close(socket);
            });
        }
    }
};

HostileServer::HostileServer(Behaviour behaviour) : d(std::make_unique<State>()) {
    d->behaviour = std::move(behaviour);
    d->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(d->listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(d->listener, 8) != 0 ||
        ::getsockname(d->listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    d->port = ntohs(address.sin_port);
    d->acceptor = std::thread([state = d.get()] { state->acceptLoop(); });
}

HostileServer::~HostileServer() {
    d->stopping = true;
    d->acceptor.join();
    for (std::thread& session : d->sessions)
        session.join();
    ::close(d->listener);
}

int HostileServer::port() const {
    return d->port;
}

QByteArray HostileServer::Connection::readRequestHead() {
    QByteArray head;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!m_stopping && !head.contains("\r\n\r\n") && std::chrono::steady_clock::now() < giveUp) {
        pollfd poller{m_socket, POLLIN, 0};
        if (::poll(&poller, 1, pollMs) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        head.append(buffer, got);
    }
    return head;
}

bool HostileServer::Connection::send(const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        if (m_stopping)
            return false;
        pollfd poller{m_socket, POLLOUT, 0};
        const int ready = ::poll(&poller, 1, pollMs);
        if (ready == 0)
            continue;
        if (ready < 0 || (poller.revents & (POLLERR | POLLHUP)))
            return false;
        const ssize_t put = ::send(m_socket, bytes.constData() + sent,
                                   static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (put > 0)
            sent += put;
    }
    return true;
}

bool HostileServer::Connection::pause(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    while (!m_stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long>(pollMs, time.count())));
    return !m_stopping;
}

void HostileServer::Connection::resetOnClose() {
    const linger hard{1, 0};
    ::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}
