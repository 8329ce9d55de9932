#include "net/PageFetcher.h"

#include "base/Failure.h"
#include "net/CharsetDecoder.h"
#include "net/HttpAddress.h"
#include "net/HttpConnection.h"

#include <QFile>
#include <QUrl>

#include <boost/asio/ssl/context.hpp>

using namespace Qt::StringLiterals;

namespace {

constexpr char userAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

QByteArray requestHead(const HttpAddress& address, bool absoluteTarget, const QByteArray& cookies) {
    QByteArray head;
    head.reserve(256 + cookies.size());
    head += "GET " + (absoluteTarget ? address.absoluteTarget() : address.target()) + " HTTP/1.1\r\n";
    head += "Content-Type: text/html\r\n";
    head += "Host: " + address.hostHeader() + "\r\n";
    head += "Accept: text/html, */*\r\n";
    head += "Accept-Encoding: identity\r\n";
    head += QByteArray("User-Agent: ") + userAgent + "\r\n";
    if (!cookies.isEmpty()) {
        head += "Cookie: " + cookies + "\r\n";
        head += "Cookie2: $Version=\"1\"\r\n";
    }
    head += "\r\n";
    return head;
}

bool isSuccess(int status) {
    return status >= 200 && status <= 299;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QByteArray headerValue(const QList<QPair<QByteArray, QByteArray>>& headers, const char* wanted) {
    for (const auto& [name, value] : headers)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

// Where a redirect leads: Location resolved against the address that answered.
// Servers put raw UTF-8 (or, rarely, Latin-1) into Location; both are read.
QString redirectTarget(const HttpAddress& from, const QByteArray& location) {
    const QString text =
        QByteArrayView(location).isValidUtf8() ? QString::fromUtf8(location) : QString::fromLatin1(location);
    const QUrl relative(text, QUrl::TolerantMode);
    const QUrl base = QUrl::fromEncoded(from.absoluteTarget(), QUrl::TolerantMode);
    const QUrl target = base.resolved(relative);
    if (!relative.isValid() || !target.isValid() || target.host().isEmpty())
        throw Failure(u"The server redirected to an unusable address \"%1\"."_s.arg(text));
    return target.toString(QUrl::FullyEncoded);
}

} // namespace

PageFetcher::PageFetcher() = default;
PageFetcher::~PageFetcher() = default;

void PageFetcher::setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds silence) {
    m_connectTimeout = connect;
    m_silenceTimeout = silence;
    m_connection.reset();
}

void PageFetcher::setExtraCaFile(const QString& path) {
    m_extraCaFile = path;
    m_tlsContext.reset();
    m_connection.reset();
}

boost::asio::ssl::context& PageFetcher::tlsContext() {
    if (!m_tlsContext) {
        auto context = std::make_unique<boost::asio::ssl::context>(boost::asio::ssl::context::tls_client);
        boost::system::error_code ec;
        context->set_default_verify_paths(ec);
        if (!m_extraCaFile.isEmpty()) {
            context->load_verify_file(QFile::encodeName(m_extraCaFile).toStdString(), ec);
            if (ec)
                throw Failure(u"The certificate file %1 could not be read."_s.arg(m_extraCaFile));
        }
        m_tlsContext = std::move(context);
    }
    return *m_tlsContext;
}

HttpConnection& PageFetcher::connectionFor(const HttpAddress& address, bool viaProxy) {
    const QByteArray proxy = HttpAddress::wireHost(m_proxyServer.trimmed());
    // What the connection leads to: the host itself, the proxy, or a tunnel through it.
    QByteArray key;
    if (!viaProxy)
        key = address.scheme() + "://" + address.authority();
    else if (address.isTls())
        key = "tunnel " + proxy + ':' + QByteArray::number(m_proxyPort) + " to " + address.authority();
    else
        key = "proxy " + proxy + ':' + QByteArray::number(m_proxyPort);

    if (m_connection && (key != m_connectionKey || !m_connection->isReusable() || m_connection->isStale()))
        m_connection.reset();
    if (m_connection) {
        m_connection->setDeadline(m_deadline, m_totalTimeout);
        m_connection->setKeepWaiting(m_keepWaiting);
        return *m_connection;
    }

    auto connection = std::make_unique<HttpConnection>(m_connectTimeout, m_silenceTimeout);
    connection->setDeadline(m_deadline, m_totalTimeout);
    connection->setKeepWaiting(m_keepWaiting);
    if (viaProxy) {
        connection->connect(proxy, m_proxyPort);
        if (address.isTls())
            connection->openTunnel(address.authority(), userAgent);
    } else {
        connection->connect(address.host(), address.port());
    }
    if (address.isTls())
        connection->startTls(tlsContext(), address.host());
    m_connection = std::move(connection);
    m_connectionKey = key;
    return *m_connection;
}

QString PageFetcher::get(const QString& address) {
    return fetch(address).text;
}

FetchedPage PageFetcher::fetch(const QString& address) {
    // The wait callback may run other code of the program; none of it may start a second
    // Get on the connection this one is using.
    if (m_busy)
        throw Failure(u"Another download is under way."_s);
    m_busy = true;
    const struct Idle {
        bool& busy;
        ~Idle() { busy = false; }
    } idle{m_busy};
    m_deadline = std::chrono::steady_clock::now() + m_totalTimeout;
    QString current = address;
    for (int redirects = 0;; ++redirects) {
        const HttpAddress target = HttpAddress::parse(current);
        const HttpAnswer answer = exchange(target);
        const QString statusLine = QString::fromLatin1(answer.statusLine);
        if (!answer.status)
            throw Failure(statusLine);
        m_cookies.storeFromAnswer(answer.headers, target.url());
        const int status = *answer.status;
        if (isRedirect(status)) {
            // Without a Location there is nowhere to go: the status line says what happened.
            if (const QByteArray location = headerValue(answer.headers, "location").trimmed();
                !location.isEmpty()) {
                if (redirects == maxRedirects)
                    throw Failure(u"Too many redirects."_s);
                current = redirectTarget(target, location);
                continue;
            }
        }
        if (!isSuccess(status))
            throw Failure(statusLine);
        if (answer.bodyFailure)
            throw Failure(*answer.bodyFailure);
        if (status == 204)
            return {QString(), current};
        return {CharsetDecoder::decode(answer.body, headerValue(answer.headers, "content-type")), current};
    }
}

HttpAnswer PageFetcher::exchange(const HttpAddress& target) {
    const bool viaProxy = !m_proxyServer.trimmed().isEmpty();
    if ((viaProxy ? m_proxyPort : target.port()) == 0) {
        m_connection.reset();
        throw Failure(QString());
    }

    const QByteArray head =
        requestHead(target, viaProxy && !target.isTls(), m_cookies.cookieHeader(target.url()));
    HttpAnswer answer;
    try {
        answer = connectionFor(target, viaProxy).exchange(head);
    } catch (const Failure&) {
        m_connection.reset();
        throw;
    }
    if (!m_connection->isReusable())
        m_connection.reset();
    return answer;
}
