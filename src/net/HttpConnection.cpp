#include "net/HttpConnection.h"

#include "base/Failure.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <poll.h>
#include <string_view>
#include <thread>

using namespace Qt::StringLiterals;
namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using boost::system::error_code;
using tcp = boost::asio::ip::tcp;

namespace {

constexpr std::size_t headLimit = 1024 * 1024;
constexpr std::size_t readChunk = 64 * 1024;

QString sentence(const std::string& text) {
    QString result = QString::fromLocal8Bit(text).trimmed();
    if (result.isEmpty())
        return result;
    result[0] = result[0].toUpper();
    if (!result.endsWith(u'.'))
        result += u'.';
    return result;
}

bool isHostNotFound(const error_code& ec) {
    return ec == asio::error::host_not_found || ec == asio::error::host_not_found_try_again ||
           ec == asio::error::no_data || ec.category() == asio::error::get_addrinfo_category();
}

Failure networkFailure(const error_code& ec, bool connecting) {
    if (ec == beast::error::timeout)
        return Failure(u"Socket Error # %1\r\n%2"_s.arg(ETIMEDOUT).arg(connecting ? u"Connection timed out."_s
                                                                                  : u"Read timed out."_s));
    if (isHostNotFound(ec))
        return Failure(u"Socket Error # %1\r\nHost not found."_s.arg(ec.value()));
    if (ec.category() == asio::error::get_ssl_category() ||
        ec.category() == asio::ssl::error::get_stream_category())
        return Failure(u"The secure connection failed: %1"_s.arg(sentence(ec.message())));
    return Failure(u"Socket Error # %1\r\n%2"_s.arg(ec.value()).arg(sentence(ec.message())));
}

Failure closedGracefully() {
    return Failure(u"Connection Closed Gracefully."_s);
}

bool isEndOfStream(const error_code& ec) {
    return ec == asio::error::eof || ec == asio::ssl::error::stream_truncated;
}

// The second blank-separated word of the status line, when it is a number.
std::optional<int> statusOf(const QByteArray& statusLine) {
    const QList<QByteArray> words = statusLine.simplified().split(' ');
    if (words.size() < 2 || words[1].isEmpty() || words[1].size() > 9)
        return std::nullopt;
    for (const char c : words[1])
        if (c < '0' || c > '9')
            return std::nullopt;
    return words[1].toInt();
}

bool saysClose(const QByteArray& value) {
    return value.trimmed().compare("close", Qt::CaseInsensitive) == 0;
}

QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

HttpConnection::HttpConnection(std::chrono::milliseconds connectTimeout,
                               std::chrono::milliseconds silenceTimeout)
    : m_connectTimeout(connectTimeout), m_silenceTimeout(silenceTimeout) {}

HttpConnection::~HttpConnection() = default;

template <class Operation> error_code HttpConnection::run(Operation&& start, std::size_t* bytes) {
    error_code result = asio::error::would_block;
    m_context.restart();
    start([&result, bytes](error_code ec, auto... rest) {
        result = ec;
        if constexpr (sizeof...(rest) == 1 && (std::is_same_v<decltype(rest), std::size_t> && ...)) {
            if (bytes)
                *bytes = (rest, ...);
        }
    });
    m_context.run();
    return result;
}

template <class Function> decltype(auto) HttpConnection::withStream(Function&& function) {
    if (m_tls)
        return function(*m_tls);
    return function(*m_plain);
}

beast::tcp_stream& HttpConnection::tcp() {
    return m_tls ? m_tls->next_layer() : *m_plain;
}

namespace {

// Looks a host name up within a time limit. The system resolver cannot be interrupted, so the
// lookup runs on a thread of its own that is left to finish by itself when the limit passes.
// An address literal needs no lookup at all.
tcp::resolver::results_type resolveWithin(const std::string& host, int port,
                                          std::chrono::milliseconds limit) {
    error_code literal;
    const auto address = asio::ip::make_address(host, literal);
    if (!literal)
        return tcp::resolver::results_type::create(tcp::endpoint(address, static_cast<unsigned short>(port)),
                                                   host, std::to_string(port));
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        error_code ec;
        tcp::resolver::results_type results;
    };
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, port] {
        asio::io_context context;
        tcp::resolver resolver(context);
        error_code ec;
        auto results = resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service, ec);
        const std::lock_guard lock(lookup->mutex);
        lookup->ec = ec;
        lookup->results = std::move(results);
        lookup->finished = true;
        lookup->done.notify_one();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, limit, [&] { return lookup->finished; }))
        throw networkFailure(beast::error::timeout, true);
    if (lookup->ec)
        throw networkFailure(lookup->ec, true);
    return lookup->results;
}

} // namespace

void HttpConnection::connect(const QByteArray& host, int port) {
    const auto started = std::chrono::steady_clock::now();
    tcp::resolver::results_type endpoints;
    try {
        endpoints = resolveWithin(host.toStdString(), port, m_connectTimeout);
    } catch (const Failure&) {
        m_reusable = false;
        throw;
    }
    m_plain = std::make_unique<beast::tcp_stream>(m_context);
    // The look-up and the connection share one time limit.
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    m_plain->expires_after(std::max(std::chrono::milliseconds(1), m_connectTimeout - spent));
    const error_code ec = run([&](auto handler) { m_plain->async_connect(endpoints, handler); });
    if (ec) {
        m_reusable = false;
        throw networkFailure(ec, true);
    }
    error_code ignored;
    m_plain->socket().set_option(asio::ip::tcp::no_delay(true), ignored);
}

void HttpConnection::openTunnel(const QByteArray& authority, const QByteArray& userAgent) {
    write("CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\nUser-Agent: " + userAgent +
          "\r\n\r\n");
    const HttpAnswer answer = readAnswer(true);
    if (!answer.status || *answer.status / 100 != 2 || m_buffer.size() != 0) {
        m_reusable = false;
        throw Failure(QString::fromLatin1(answer.statusLine));
    }
}

void HttpConnection::startTls(asio::ssl::context& context, const QByteArray& host) {
    m_tls = std::make_unique<asio::ssl::stream<beast::tcp_stream>>(std::move(*m_plain), context);
    m_plain.reset();
    SSL* ssl = m_tls->native_handle();
    error_code notAnAddress;
    asio::ip::make_address(host.toStdString(), notAnAddress);
    // OpenSSL checks the name itself, so a mismatch shows in the verify result.
    if (notAnAddress) {
        SSL_set_tlsext_host_name(ssl, host.constData());
        SSL_set1_host(ssl, host.constData());
    } else {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.constData());
    }
    m_tls->set_verify_mode(asio::ssl::verify_peer);
    tcp().expires_after(m_silenceTimeout);
    const error_code ec =
        run([&](auto handler) { m_tls->async_handshake(asio::ssl::stream_base::client, handler); });
    if (!ec)
        return;
    m_reusable = false;
    if (const long verify = SSL_get_verify_result(ssl); verify != X509_V_OK)
        throw Failure(u"The certificate of %1 could not be verified: %2."_s.arg(
            QString::fromLatin1(host), QString::fromLatin1(X509_verify_cert_error_string(verify))));
    if (isEndOfStream(ec))
        throw closedGracefully();
    throw networkFailure(ec, false);
}

void HttpConnection::write(const QByteArray& bytes) {
    tcp().expires_after(m_silenceTimeout);
    const error_code ec = withStream([&](auto& stream) {
        return run([&](auto handler) {
            asio::async_write(stream, asio::buffer(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                              handler);
        });
    });
    if (ec) {
        m_reusable = false;
        throw networkFailure(ec, false);
    }
}

std::size_t HttpConnection::readHead() {
    std::size_t searched = 0;
    for (;;) {
        const std::string_view data(static_cast<const char*>(m_buffer.data().data()), m_buffer.size());
        if (const auto end = data.find("\r\n\r\n", searched); end != std::string_view::npos)
            return end + 4;
        searched = data.size() < 3 ? 0 : data.size() - 3;
        if (data.size() > headLimit) {
            m_reusable = false;
            throw Failure(u"The server's answer has a header of more than 1 MiB."_s);
        }
        std::size_t received = 0;
        const auto space = m_buffer.prepare(readChunk);
        tcp().expires_after(m_silenceTimeout);
        const error_code ec = withStream([&](auto& stream) {
            return run([&](auto handler) { stream.async_read_some(space, handler); }, &received);
        });
        m_buffer.commit(received);
        if (isEndOfStream(ec)) {
            m_reusable = false;
            throw closedGracefully();
        }
        if (ec) {
            m_reusable = false;
            throw networkFailure(ec, false);
        }
    }
}

HttpAnswer HttpConnection::exchange(const QByteArray& requestHead) {
    write(requestHead);
    return readAnswer(false);
}

HttpAnswer HttpConnection::readAnswer(bool tunnelAnswer) {
    for (;;) {
        const std::size_t headSize = readHead();
        const std::string_view head(static_cast<const char*>(m_buffer.data().data()), headSize);
        HttpAnswer answer;
        answer.statusLine = bytesOf(head.substr(0, head.find("\r\n")));
        answer.status = statusOf(answer.statusLine);

        http::response_parser<http::string_body> parser;
        parser.eager(false);
        parser.header_limit(headLimit);
        // Content-Length is judged below, after every header line has been read.
        parser.body_limit(boost::none);
        if (tunnelAnswer)
            parser.skip(true);
        error_code ec;
        parser.put(asio::buffer(head.data(), head.size()), ec);
        m_buffer.consume(headSize);
        if (ec || !parser.is_header_done() || !answer.status) {
            m_reusable = false;
            answer.status.reset();
            return answer;
        }
        if (*answer.status == 100)
            continue;

        const auto& message = parser.get();
        bool close = false;
        for (const auto& field : message) {
            const QByteArray name = bytesOf(field.name_string());
            const QByteArray value = bytesOf(field.value());
            if (name.compare("connection", Qt::CaseInsensitive) == 0 ||
                name.compare("proxy-connection", Qt::CaseInsensitive) == 0)
                close = close || saysClose(value);
            answer.headers.append({name, value});
        }
        if (tunnelAnswer)
            return answer;

        const int status = *answer.status;
        const auto length = parser.content_length();
        const bool chunked = parser.chunked();
        const bool bodyless = status / 100 == 1 || status == 204 || status == 304;
        // A body that a bodyless status announces anyway would be read as the next
        // answer; 101 hands the connection to another protocol.
        if (bodyless && ((length && *length > 0) || chunked || status == 101))
            close = true;
        if (!bodyless && !chunked && !length)
            close = true; // the body runs until the server closes
        if (length && *length > bodyLimit) {
            m_reusable = false;
            answer.bodyFailure = u"The page is larger than 64 MiB."_s;
            return answer;
        }
        parser.body_limit(bodyLimit);

        while (!parser.is_done()) {
            tcp().expires_after(m_silenceTimeout);
            error_code readError = withStream([&](auto& stream) {
                return run([&](auto handler) { http::async_read_some(stream, m_buffer, parser, handler); });
            });
            if (readError == asio::ssl::error::stream_truncated) {
                // TLS servers often close without saying so; that ends a body like a plain close.
                readError = {};
                parser.put_eof(readError);
                close = true;
            }
            if (!readError)
                continue;
            close = true;
            if (readError == http::error::partial_message) {
                // A length that was promised but not delivered ends the body without error;
                // a broken chunked body has no reliable end.
                if (chunked)
                    answer.bodyFailure = closedGracefully().message();
            } else if (readError == http::error::body_limit) {
                answer.bodyFailure = u"The page is larger than 64 MiB."_s;
            } else if (readError == http::error::end_of_stream || isEndOfStream(readError)) {
                answer.bodyFailure = closedGracefully().message();
            } else {
                answer.bodyFailure = networkFailure(readError, false).message();
            }
            break;
        }
        const std::string& body = parser.get().body();
        answer.body = QByteArray(body.data(), static_cast<qsizetype>(body.size()));
        // We never send a second request before the answer, so leftover bytes are garbage.
        if (close || m_buffer.size() > 0)
            m_reusable = false;
        return answer;
    }
}

bool HttpConnection::isStale() const {
    auto& socket = m_tls ? m_tls->next_layer().socket() : m_plain->socket();
    if (!socket.is_open())
        return true;
    pollfd poller{socket.native_handle(), POLLIN, 0};
    return ::poll(&poller, 1, 0) != 0;
}
