#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>

#include <chrono>
#include <memory>
#include <optional>

// One answer as the fetcher needs it. The body has already been read (or its
// reading failed, see bodyFailure) whatever the status says.
struct HttpAnswer {
    QByteArray statusLine;     // exactly as received, without CR LF
    std::optional<int> status; // empty when the status line or head is unreadable
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    std::optional<QString> bodyFailure;
};

// One TCP connection, plain or TLS, driven synchronously: every operation runs
// the connection's own io_context until it completes or its deadline passes.
// Every method throws Failure; after a throw the connection is unusable.
class HttpConnection {
public:
    static constexpr std::size_t bodyLimit = 64 * 1024 * 1024;

    HttpConnection(std::chrono::milliseconds connectTimeout, std::chrono::milliseconds silenceTimeout);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    void connect(const QByteArray& host, int port);
    // Asks the proxy we are connected to for a tunnel to authority (host:port).
    void openTunnel(const QByteArray& authority, const QByteArray& userAgent);
    // Starts TLS over the connection, checking the certificate against host.
    void startTls(boost::asio::ssl::context& context, const QByteArray& host);

    // Sends the request head and reads the final answer, skipping 100 Continue.
    HttpAnswer exchange(const QByteArray& requestHead);

    // False once the answer or the server asked to close the connection.
    [[nodiscard]] bool isReusable() const { return m_reusable; }
    // True when the idle connection was closed by the server or has unasked-for data.
    [[nodiscard]] bool isStale() const;

private:
    template <class Operation> boost::system::error_code run(Operation&& start, std::size_t* bytes = nullptr);
    template <class Function> decltype(auto) withStream(Function&& function);
    boost::beast::tcp_stream& tcp();

    void write(const QByteArray& bytes);
    // Reads one head (status line and header lines) into m_buffer; returns its size.
    std::size_t readHead();
    HttpAnswer readAnswer(bool tunnelAnswer);

    std::chrono::milliseconds m_connectTimeout;
    std::chrono::milliseconds m_silenceTimeout;
    boost::asio::io_context m_context;
    std::unique_ptr<boost::beast::tcp_stream> m_plain;
    std::unique_ptr<boost::asio::ssl::stream<boost::beast::tcp_stream>> m_tls;
    boost::beast::flat_buffer m_buffer;
    bool m_reusable = true;
};
