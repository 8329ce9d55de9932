#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// A small HTTP server on 127.0.0.1 for tests, running on its own thread. It
// records the raw bytes of every request and answers each one with the next
// scripted raw answer, else with a routed page, else with 404. With TLS enabled
// it also accepts TLS handshakes and CONNECT tunnels (then it is its own proxy).
class LoopbackHttpServer {
public:
    // What happens to the connection after an answer was sent.
    enum class After { Keep, Close, HoldSilent };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    [[nodiscard]] quint16 port() const;
    // http://127.0.0.1:port followed by path ("/" when empty).
    [[nodiscard]] QString url(const QString& path = QString()) const;

    // Queues one raw answer (status line, headers and body exactly as given).
    void respond(const QByteArray& raw, After after = After::Keep);
    // Serves body with status 200 for requests whose path (before any "?") is path.
    void route(const QByteArray& path, const QByteArray& body, const QByteArray& contentType = "text/html");

    // What the generated certificate is wrong about, if anything.
    enum class Certificate { Sound, Expired, OtherHost };
    // Generates a self-signed certificate for localhost and 127.0.0.1 (for other.example
    // with OtherHost, out of date with Expired).
    void enableTls(Certificate kind = Certificate::Sound);
    // The certificate as a PEM file, to be trusted by the client under test.
    [[nodiscard]] QString caFile() const;
    // The name the last TLS client asked for (SNI); empty when none.
    [[nodiscard]] QByteArray lastServerName() const;

    // Raw request heads (and bodies), in order of arrival.
    [[nodiscard]] QList<QByteArray> requests() const;
    // For each request, the number of the connection it came on (0, 1 …).
    [[nodiscard]] QList<int> requestConnections() const;
    [[nodiscard]] int connectionCount() const;
    // Connections the server has closed after an answer sent with After::Close.
    [[nodiscard]] int closedConnectionCount() const;

private:
    struct State;
    std::unique_ptr<State> d;
};
