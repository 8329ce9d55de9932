#include "net/HttpConnection.h"

#include "base/Failure.h"
#include "net/NetworkFailure.h"
#include "net/ResolveWithin.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/http/read.hpp>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <memory>
#include <poll.h>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using boost::system::error_code;
using tcp = boost::asio::ip::tcp;

namespace {
constexpr std::chrono::milliseconds waitSlice{25};
}

HttpConnection::HttpConnection(std::chrono::milliseconds connectTimeout,
                               std::chrono::milliseconds silenceTimeout)
    : m_connectTimeout(connectTimeout), m_silenceTimeout(silenceTimeout),
      m_reader(
          [this](asio::mutable_buffer space, std::size_t& received) { return readSome(space, received); },
          [this](beast::flat_buffer& buffer, HttpAnswerReader::Parser& parser) {
              return readBodyPart(buffer, parser);
          }) {}

HttpConnection::~HttpConnection() = default;

void HttpConnection::setDeadline(std::chrono::steady_clock::time_point deadline,
                                 std::chrono::milliseconds limit) {
    m_deadline = deadline;
    m_totalLimit = limit;
}

void HttpConnection::arm(std::chrono::steady_clock::duration limit) {
    const auto now = std::chrono::steady_clock::now();
    m_deadlineArmed = m_deadline - now <= limit;
    if (m_deadlineArmed)
        tcp().expires_at(m_deadline);
    else
        tcp().expires_after(limit);
}

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
    if (!m_keepWaiting) {
        m_context.run();
    } else {
        // Waiting in slices lets the caller keep its window alive and offer a way out.
        for (;;) {
            m_context.run_for(waitSlice);
            if (m_context.stopped())
                break;
            if (!m_keepWaiting()) {
                error_code ignored;
                tcp().socket().close(ignored);
                m_context.run(); // the operation ends, aborted
                m_reusable = false;
                throw downloadCancelled();
            }
        }
    }
    if (result == beast::error::timeout && m_deadlineArmed) {
        m_reusable = false;
        throw downloadTooLong(m_totalLimit);
    }
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

void HttpConnection::connect(const QByteArray& host, int port) {
    const auto started = std::chrono::steady_clock::now();
    tcp::resolver::results_type endpoints;
    const bool lookupHitsDeadline = m_deadline - started <= m_connectTimeout;
    try {
        endpoints = resolveWithin(
            host.toStdString(), port,
            lookupHitsDeadline ? std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - started)
                               : m_connectTimeout,
            lookupHitsDeadline ? downloadTooLong(m_totalLimit)
                               : networkFailure(beast::error::timeout, NetworkStage::connecting),
            m_keepWaiting);
    } catch (const Failure&) {
        m_reusable = false;
        throw;
    }
    m_plain = std::make_unique<beast::tcp_stream>(m_context);
    // The look-up and the connection share one time limit.
    const auto spent = std::chrono::steady_clock::now() - started;
    arm(std::max<std::chrono::steady_clock::duration>(std::chrono::milliseconds(1),
                                                      m_connectTimeout - spent));
    const error_code ec = run([&](auto handler) { m_plain->async_connect(endpoints, handler); });
    if (ec) {
        m_reusable = false;
        throw networkFailure(ec, NetworkStage::connecting);
    }
    error_code ignored;
    m_plain->socket().set_option(asio::ip::tcp::no_delay(true), ignored);
}

void HttpConnection::openTunnel(const QByteArray& authority, const QByteArray& userAgent) {
    write("CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\nUser-Agent: " + userAgent +
          "\r\n\r\n");
    const HttpAnswer answer = m_reader.readFinalHead(true);
    if (!answer.status || *answer.status / 100 != 2 || m_reader.leftover() != 0) {
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
    arm(m_silenceTimeout);
    const error_code ec =
        run([&](auto handler) { m_tls->async_handshake(asio::ssl::stream_base::client, handler); });
    if (!ec)
        return;
    m_reusable = false;
    if (const long verify = SSL_get_verify_result(ssl); verify != X509_V_OK)
        throw certificateFailure(host, verify);
    if (isEndOfStream(ec))
        throw closedGracefully();
    throw networkFailure(ec, NetworkStage::connected);
}

void HttpConnection::write(const QByteArray& bytes) {
    arm(m_silenceTimeout);
    const error_code ec = withStream([&](auto& stream) {
        return run([&](auto handler) {
            asio::async_write(stream, asio::buffer(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                              handler);
        });
    });
    if (ec) {
        m_reusable = false;
        throw networkFailure(ec, NetworkStage::connected);
    }
}

error_code HttpConnection::readSome(asio::mutable_buffer space, std::size_t& received) {
    arm(m_silenceTimeout);
    return withStream([&](auto& stream) {
        return run([&](auto handler) { stream.async_read_some(space, handler); }, &received);
    });
}

error_code HttpConnection::readBodyPart(beast::flat_buffer& buffer, HttpAnswerReader::Parser& parser) {
    arm(m_silenceTimeout);
    return withStream([&](auto& stream) {
        return run([&](auto handler) { http::async_read_some(stream, buffer, parser, handler); });
    });
}

HttpAnswer HttpConnection::exchange(const QByteArray& requestHead) {
    write(requestHead);
    HttpAnswer answer = m_reader.readFinalHead(false);
    m_reader.readBody(answer);
    return answer;
}

bool HttpConnection::isStale() const {
    auto& socket = m_tls ? m_tls->next_layer().socket() : m_plain->socket();
    if (!socket.is_open())
        return true;
    pollfd poller{socket.native_handle(), POLLIN, 0};
    return ::poll(&poller, 1, 0) != 0;
}
