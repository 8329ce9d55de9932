#pragma once

#include "net/HttpAnswer.h"
#include "net/HttpAnswerReader.h"

#include <QByteArray>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/beast/core/tcp_stream.hpp>

#include <chrono>
#include <functional>
#include <memory>

// One TCP connection, plain or TLS, driven synchronously: every operation runs
// the connection's own io_context until it completes or its deadline passes.
// Every method throws Failure; after a throw the connection is unusable.
class HttpConnection {
public:
    HttpConnection(std::chrono::milliseconds connectTimeout, std::chrono::milliseconds silenceTimeout);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // Every later operation also ends, with downloadTooLong(limit), when deadline passes.
    void setDeadline(std::chrono::steady_clock::time_point deadline, std::chrono::milliseconds limit);
    // Called every few milliseconds while an operation waits; false cancels the operation,
    // which then throws downloadCancelled(). Without it the waits block.
    void setKeepWaiting(std::function<bool()> keepWaiting) { m_keepWaiting = std::move(keepWaiting); }

    void connect(const QByteArray& host, int port);
    // Asks the proxy we are connected to for a tunnel to authority (host:port).
    void openTunnel(const QByteArray& authority, const QByteArray& userAgent);
    // Starts TLS over the connection, checking the certificate against host.
    void startTls(boost::asio::ssl::context& context, const QByteArray& host);

    // Sends the request head and reads the final answer, skipping 100 Continue.
    HttpAnswer exchange(const QByteArray& requestHead);

    // False once the answer or the server asked to close the connection.
    [[nodiscard]] bool isReusable() const { return m_reusable && m_reader.isReusable(); }
    // True when the idle connection was closed by the server or has unasked-for data.
    [[nodiscard]] bool isStale() const;

private:
    template <class Operation> boost::system::error_code run(Operation&& start, std::size_t* bytes = nullptr);
    template <class Function> decltype(auto) withStream(Function&& function);
    boost::beast::tcp_stream& tcp();
    // Sets the stream's timer to limit, or to the deadline when that comes first.
    void arm(std::chrono::steady_clock::duration limit);

    void write(const QByteArray& bytes);
    // The reads the answer reader asks for, each within the silence limit.
    boost::system::error_code readSome(boost::asio::mutable_buffer space, std::size_t& received);
    boost::system::error_code readBodyPart(boost::beast::flat_buffer& buffer,
                                           HttpAnswerReader::Parser& parser);

    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_silenceTimeout;
    boost::asio::io_context m_context;
    std::unique_ptr<boost::beast::tcp_stream> m_plain;
    std::unique_ptr<boost::asio::ssl::stream<boost::beast::tcp_stream>> m_tls;
    HttpAnswerReader m_reader;
    bool m_reusable = true;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    std::chrono::milliseconds m_totalLimit{0};
    bool m_deadlineArmed = false; // the timer running is the deadline's
    std::function<bool()> m_keepWaiting;
};
