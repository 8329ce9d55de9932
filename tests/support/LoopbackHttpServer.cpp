#include "support/LoopbackHttpServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

// The path of the request line's target, also when the target is absolute (proxy requests).
QByteArray pathOf(const QByteArray& request) {
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    QByteArray target = words.size() > 1 ? words[1] : QByteArray();
    if (const qsizetype scheme = target.indexOf("://"); scheme >= 0) {
        const qsizetype slash = target.indexOf('/', scheme + 3);
        target = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
    if (const qsizetype query = target.indexOf('?'); query >= 0)
        target.truncate(query);
    return target;
}

qsizetype contentLengthOf(const QByteArray& head) {
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare("content-length", Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed().toLongLong();
    }
    return 0;
}

QByteArray pemOf(int (*write)(BIO*, void*), void* object) {
    BIO* bio = BIO_new(BIO_s_mem());
    write(bio, object);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, size);
    BIO_free(bio);
    return pem;
}

template <class Stream> void closeConnection(Stream& stream) {
    boost::system::error_code ignored;
    stream.lowest_layer().shutdown(tcp::socket::shutdown_both, ignored);
    stream.lowest_layer().close(ignored);
}

} // namespace

struct LoopbackHttpServer::State {
    struct Answer {
        QByteArray raw;
        After after = After::Keep;
    };

    std::optional<asio::io_context> context;
    std::optional<tcp::acceptor> acceptor;
    asio::ssl::context tls{asio::ssl::context::tls_server};
    std::atomic<bool> tlsEnabled = false;
    QTemporaryDir directory;
    QString caFile;
    std::thread thread;
    quint16 port = 0;

    mutable std::mutex mutex;
    std::deque<Answer> answers;
    std::map<QByteArray, QByteArray> routes;
    QList<QByteArray> requests;
    QList<int> requestConnections;
    int connections = 0;
    int closedConnections = 0;
    QByteArray serverName;

    asio::awaitable<void> accept() {
        for (;;) {
            tcp::socket socket = co_await acceptor->async_accept(asio::use_awaitable);
            int number = 0;
            {
                const std::lock_guard lock(mutex);
                number = connections++;
            }
            asio::co_spawn(acceptor->get_executor(), session(std::move(socket), number), asio::detached);
        }
    }

    asio::awaitable<void> session(tcp::socket socket, int number) {
        try {
            std::string buffered;
            co_await asio::async_read(socket, asio::dynamic_buffer(buffered), asio::transfer_at_least(1),
                                      asio::use_awaitable);
            // A TLS client speaks first with a handshake record (0x16).
            if (tlsEnabled && static_cast<unsigned char>(buffered[0]) == 0x16) {
                asio::ssl::stream<tcp::socket> stream(std::move(socket), tls);
                co_await stream.async_handshake(asio::ssl::stream_base::server, asio::buffer(buffered),
                                                asio::use_awaitable);
                noteServerName(stream);
                co_await serve(stream, number, {});
            } else if (co_await serve(socket, number, std::move(buffered))) {
                asio::ssl::stream<tcp::socket> stream(std::move(socket), tls);
                co_await stream.async_handshake(asio::ssl::stream_base::server, asio::use_awaitable);
                noteServerName(stream);
                co_await serve(stream, number, {});
            }
        } catch (const std::exception&) {
            // The client went away or spoke nonsense; either ends this connection only.
        }
    }

    void noteServerName(asio::ssl::stream<tcp::socket>& stream) {
        const char* name = SSL_get_servername(stream.native_handle(), TLSEXT_NAMETYPE_host_name);
        const std::lock_guard lock(mutex);
        serverName = name ? QByteArray(name) : QByteArray();
    }

    // Answers requests until the connection ends; true when a CONNECT asked for a tunnel.
    template <class Stream> asio::awaitable<bool> serve(Stream& stream, int number, std::string buffered) {
        for (;;) {
            const std::size_t headSize = co_await asio::async_read_until(
                stream, asio::dynamic_buffer(buffered), "\r\n\r\n", asio::use_awaitable);
            QByteArray request(buffered.data(), static_cast<qsizetype>(headSize));
            buffered.erase(0, headSize);
            const auto bodySize = static_cast<std::size_t>(contentLengthOf(request));
            if (buffered.size() < bodySize)
                co_await asio::async_read(stream, asio::dynamic_buffer(buffered),
                                          asio::transfer_exactly(bodySize - buffered.size()),
                                          asio::use_awaitable);
            request += QByteArray(buffered.data(), static_cast<qsizetype>(bodySize));
            buffered.erase(0, bodySize);

            Answer answer;
            {
                const std::lock_guard lock(mutex);
                requests << request;
                requestConnections << number;
                if (request.startsWith("CONNECT ") && tlsEnabled) {
                    answer.raw = "HTTP/1.1 200 Connection established\r\n\r\n";
                } else if (!answers.empty()) {
                    answer = answers.front();
                    answers.pop_front();
                } else if (const auto route = routes.find(pathOf(request)); route != routes.end()) {
                    answer.raw = route->second;
                } else {
                    answer.raw = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
                }
            }
            co_await asio::async_write(stream, asio::buffer(answer.raw.constData(), answer.raw.size()),
                                       asio::use_awaitable);
            if constexpr (std::is_same_v<Stream, tcp::socket>) {
                if (request.startsWith("CONNECT ") && tlsEnabled)
                    co_return true;
            }
            if (answer.after == After::Close) {
                closeConnection(stream);
                const std::lock_guard lock(mutex);
                ++closedConnections;
                co_return false;
            }
            if (answer.after == After::HoldSilent) {
                asio::steady_timer idle(stream.get_executor(), std::chrono::hours(24));
                co_await idle.async_wait(asio::use_awaitable);
                co_return false;
            }
        }
    }
};

LoopbackHttpServer::LoopbackHttpServer() : d(std::make_unique<State>()) {
    d->context.emplace();
    d->acceptor.emplace(*d->context, tcp::endpoint(asio::ip::make_address_v4("127.0.0.1"), 0));
    d->port = d->acceptor->local_endpoint().port();
    asio::co_spawn(*d->context, d->accept(), asio::detached);
    d->thread = std::thread([state = d.get()] { state->context->run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    d->context->stop();
    d->thread.join();
    d->acceptor.reset();
    d->context.reset();
}

quint16 LoopbackHttpServer::port() const {
    return d->port;
}

QString LoopbackHttpServer::url(const QString& path) const {
    const QString tail = path.isEmpty() ? QStringLiteral("/") : path;
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(tail);
}

void LoopbackHttpServer::respond(const QByteArray& raw, After after) {
    const std::lock_guard lock(d->mutex);
    d->answers.push_back({raw, after});
}

void LoopbackHttpServer::route(const QByteArray& path, const QByteArray& body,
                               const QByteArray& contentType) {
    const QByteArray raw = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
                           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    const std::lock_guard lock(d->mutex);
    d->routes[path] = raw;
}

void LoopbackHttpServer::enableTls(Certificate kind) {
    if (d->tlsEnabled)
        return;
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    const bool expired = kind == Certificate::Expired;
    X509_gmtime_adj(X509_getm_notBefore(certificate), expired ? -30 * 24 * 3600 : -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), expired ? -24 * 3600 : 7 * 24 * 3600);
    const bool otherHost = kind == Certificate::OtherHost;
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_ASC,
        reinterpret_cast<const unsigned char*>(otherHost ? "other.example" : "localhost"), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    X509V3_CTX extensions;
    X509V3_set_ctx_nodb(&extensions);
    X509V3_set_ctx(&extensions, certificate, certificate, nullptr, nullptr, 0);
    const std::pair<int, const char*> wanted[] = {
        {NID_basic_constraints, "critical,CA:TRUE"},
        {NID_subject_key_identifier, "hash"},
        {NID_subject_alt_name, otherHost ? "DNS:other.example" : "DNS:localhost,IP:127.0.0.1"}};
    for (const auto& [nid, value] : wanted) {
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &extensions, nid, value);
        X509_add_ext(certificate, extension, -1);
        X509_EXTENSION_free(extension);
    }
    X509_sign(certificate, key, EVP_sha256());

    const QByteArray certificatePem =
        pemOf([](BIO* bio, void* object) { return PEM_write_bio_X509(bio, static_cast<X509*>(object)); },
              certificate);
    const QByteArray keyPem = pemOf(
        [](BIO* bio, void* object) {
            return PEM_write_bio_PrivateKey(bio, static_cast<EVP_PKEY*>(object), nullptr, nullptr, 0, nullptr,
                                            nullptr);
        },
        key);
    X509_free(certificate);
    EVP_PKEY_free(key);

    d->tls.use_certificate(asio::buffer(certificatePem.constData(), certificatePem.size()),
                           asio::ssl::context::pem);
    d->tls.use_private_key(asio::buffer(keyPem.constData(), keyPem.size()), asio::ssl::context::pem);
    d->caFile = d->directory.filePath(QStringLiteral("loopback-ca.pem"));
    QFile file(d->caFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(certificatePem) != certificatePem.size())
        throw std::runtime_error("cannot write the test certificate");
    d->tlsEnabled = true;
}

QString LoopbackHttpServer::caFile() const {
    return d->caFile;
}

QByteArray LoopbackHttpServer::lastServerName() const {
    const std::lock_guard lock(d->mutex);
    return d->serverName;
}

QList<QByteArray> LoopbackHttpServer::requests() const {
    const std::lock_guard lock(d->mutex);
    return d->requests;
}

QList<int> LoopbackHttpServer::requestConnections() const {
    const std::lock_guard lock(d->mutex);
    return d->requestConnections;
}

int LoopbackHttpServer::connectionCount() const {
    const std::lock_guard lock(d->mutex);
    return d->connections;
}

int LoopbackHttpServer::closedConnectionCount() const {
    const std::lock_guard lock(d->mutex);
    return d->closedConnections;
}
