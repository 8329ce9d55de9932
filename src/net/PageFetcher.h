#pragma once

#include "base/PageSource.h"
#include "net/CookieStore.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace boost::asio::ssl {
class context;
}
class HttpAddress;
class HttpConnection;
struct HttpAnswer;

// The program's one HTTP client. A Get sends a fixed request head, reads the
// answer synchronously on the calling thread, follows redirects, keeps the
// connection for the next request to the same place, and keeps cookies for the
// run. Every failure throws.
class PageFetcher : public PageSource {
public:
    static constexpr std::chrono::milliseconds defaultConnectTimeout{30'000};
    static constexpr std::chrono::milliseconds defaultSilenceTimeout{60'000};
    // How long one Get may take in all, redirects included, however the server drips.
    static constexpr std::chrono::milliseconds defaultTotalTimeout{5 * 60'000};
    // Redirects followed for one Get; the next one fails it.
    static constexpr int maxRedirects = 10;

    PageFetcher();
    ~PageFetcher() override;
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    QString get(const QString& address) override;
    FetchedPage fetch(const QString& address) override;

    // An empty server means no proxy; read afresh by every Get.
    void setProxyServer(const QString& server) { m_proxyServer = server; }
    void setProxyPort(int port) { m_proxyPort = port; }
    [[nodiscard]] QString proxyServer() const { return m_proxyServer; }
    [[nodiscard]] int proxyPort() const { return m_proxyPort; }

    // How long a connection attempt may take, and how long an answer may stay silent.
    void setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds silence);
    void setTotalTimeout(std::chrono::milliseconds total) { m_totalTimeout = total; }
    // Called every few milliseconds while a Get waits for the network, on the calling thread;
    // returning false cancels the Get, which then fails with "The download was cancelled.".
    void setKeepWaiting(std::function<bool()> keepWaiting) { m_keepWaiting = std::move(keepWaiting); }
    // Trusts the certificates of this PEM file besides the system's own (for tests).
    void setExtraCaFile(const QString& path);

private:
    // One request and its answer, the body read whatever the status.
    HttpAnswer exchange(const HttpAddress& target);
    HttpConnection& connectionFor(const HttpAddress& address, bool viaProxy);
    boost::asio::ssl::context& tlsContext();

    QString m_proxyServer;
    int m_proxyPort = 0;
    std::chrono::milliseconds m_connectTimeout = defaultConnectTimeout;
    std::chrono::milliseconds m_silenceTimeout = defaultSilenceTimeout;
    std::chrono::milliseconds m_totalTimeout = defaultTotalTimeout;
    std::chrono::steady_clock::time_point m_deadline; // of the Get under way
    std::function<bool()> m_keepWaiting;
    bool m_busy = false;
    QString m_extraCaFile;
    CookieStore m_cookies;
    std::unique_ptr<boost::asio::ssl::context> m_tlsContext;
    std::unique_ptr<HttpConnection> m_connection;
    QByteArray m_connectionKey;
};
