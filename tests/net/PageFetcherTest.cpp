#include "net/PageFetcher.h"
#include "base/Failure.h"
#include "support/LoopbackHttpServer.h"
#include "support/QtPrinters.h"

#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using After = LoopbackHttpServer::After;

namespace {

// The page's text, or "FAILURE: " and the message.
QString outcome(PageFetcher& fetcher, const QString& address) {
    try {
        return fetcher.get(address);
    } catch (const Failure& failure) {
        return u"FAILURE: "_s + failure.message();
    }
}

QByteArray head(const QByteArray& requestLine, const QByteArray& host, const QByteArray& cookies = {}) {
    QByteArray text = requestLine + "\r\nContent-Type: text/html\r\nHost: " + host +
                      "\r\nAccept: text/html, */*\r\nAccept-Encoding: identity\r\n"
                      "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
    if (!cookies.isEmpty())
        text += "Cookie: " + cookies + "\r\nCookie2: $Version=\"1\"\r\n";
    return text + "\r\n";
}

QByteArray hostOf(const LoopbackHttpServer& server) {
    return "127.0.0.1:" + QByteArray::number(server.port());
}

const QByteArray okAnswer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

void useAsProxy(PageFetcher& fetcher, const LoopbackHttpServer& server) {
    fetcher.setProxyServer(u"127.0.0.1"_s);
    fetcher.setProxyPort(server.port());
}

// A port on 127.0.0.1 whose listener never accepts and whose queue is full, so that
// a further connection attempt gets no answer at all.
class DeafListener {
public:
    DeafListener() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_listener, 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        for (int& filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), size);
        }
    }
    ~DeafListener() {
        for (const int filler : m_fillers)
            ::close(filler);
        ::close(m_listener);
    }
    [[nodiscard]] int port() const { return m_port; }

private:
    int m_listener = -1;
    int m_fillers[3] = {-1, -1, -1};
    int m_port = 0;
};

} // namespace

TEST(PageFetcherRequest, SendsExactlyTheFixedHeadDirectlyAndThroughAProxy) {
    LoopbackHttpServer server;
    const QByteArray port = QByteArray::number(server.port());
    const struct {
        QString address;
        bool viaProxy;
        QByteArray requestLine;
        QByteArray host;
    } cases[] = {
        {server.url(u"/a/b.html?x=1"_s), false, "GET /a/b.html?x=1 HTTP/1.1", hostOf(server)},
        {u"http://127.0.0.1:"_s + QString::fromLatin1(port), false, "GET / HTTP/1.1", hostOf(server)},
        {u"http://h.example/a/b.html?x=1"_s, true, "GET http://h.example/a/b.html?x=1 HTTP/1.1", "h.example"},
        {u"http://h.example:80/a/b.html?x=1"_s, true, "GET http://h.example/a/b.html?x=1 HTTP/1.1",
         "h.example"},
        {u"http://h.example:8080/a/b.html?x=1"_s, true, "GET http://h.example:8080/a/b.html?x=1 HTTP/1.1",
         "h.example:8080"},
        {u"HTTP://h.example?q=1#part"_s, true, "GET http://h.example/?q=1 HTTP/1.1", "h.example"},
        // Non-ASCII is sent as UTF-8 percent-encoding and the host in IDNA form, never as "?".
        {u"http://пример.рф/видео?q=кот"_s, true,
         "GET http://xn--e1afmkfd.xn--p1ai/%D0%B2%D0%B8%D0%B4%D0%B5%D0%BE?q=%D0%BA%D0%BE%D1%82 HTTP/1.1",
         "xn--e1afmkfd.xn--p1ai"},
        {server.url(u"/видео?q=a b"_s), false, "GET /%D0%B2%D0%B8%D0%B4%D0%B5%D0%BE?q=a%20b HTTP/1.1",
         hostOf(server)},
        // So are blanks, control characters and the marks servers refuse; "%" stays as written.
        {server.url(u"/a b/\"<>\\^`{|}\t.html?q=a b&p=%41%zz"_s), false,
         "GET /a%20b/%22%3C%3E%5C%5E%60%7B%7C%7D%09.html?q=a%20b&p=%41%zz HTTP/1.1", hostOf(server)},
        {u"http://h.example/a b.html?q=%20|"_s, true, "GET http://h.example/a%20b.html?q=%20%7C HTTP/1.1",
         "h.example"},
    };
    for (const auto& c : cases) {
        PageFetcher fetcher;
        if (c.viaProxy)
            useAsProxy(fetcher, server);
        server.respond(okAnswer);
        EXPECT_EQ(outcome(fetcher, c.address), u"ok"_s) << c.address.toStdString();
        EXPECT_EQ(server.requests().last(), head(c.requestLine, c.host)) << c.address.toStdString();
    }
}

TEST(PageFetcherRequest, ProxyWithPortZeroFailsWithEmptyMessageBeforeConnecting) {
    LoopbackHttpServer server;
    PageFetcher fetcher;
    fetcher.setProxyServer(u"127.0.0.1"_s);
    fetcher.setProxyPort(0);
    EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), u"FAILURE: "_s);
    EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), u"FAILURE: "_s);
    EXPECT_EQ(server.connectionCount(), 0);

    // An empty proxy server means no proxy, whatever the port.
    fetcher.setProxyServer(QString());
    server.respond(okAnswer);
    EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), u"ok"_s);
}

TEST(PageFetcherRequest, UnusableAddressesFailWithAMessageBeforeConnecting) {
    LoopbackHttpServer server;
    PageFetcher fetcher;
    useAsProxy(fetcher, server); // any attempt would show up as a connection
    server.respond(okAnswer);
    ASSERT_EQ(outcome(fetcher, u"http://h.example/first"_s), u"ok"_s);
    const QString addresses[] = {
        u""_s,
        u"   "_s,
        u"h.example/page"_s,
        u"/page"_s,
        u"ftp://h.example/file"_s,
        u"http://"_s,
        u"http:///page"_s,
        u"http://:8080/page"_s,
        u"http://h:x1/page"_s,
        u"http://h:70000/"_s,
    };
    for (const QString& address : addresses) {
        const QString result = outcome(fetcher, address);
        EXPECT_TRUE(result.startsWith(u"FAILURE: "_s) && result.size() > 12) << address.toStdString();
    }
    EXPECT_EQ(server.requests().size(), 1);
}

TEST(PageFetcherAnswer, StatusDecidesBetweenTextAndTheStatusLineAsMessage) {
    const struct {
        QByteArray answer;
        QString result;
    } cases[] = {
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", u"hello"_s},
        {"HTTP/1.1 200 OK\r\nLocation: /elsewhere\r\nContent-Length: 4\r\n\r\nhere", u"here"_s},
        {"HTTP/1.1 203 Non-Authoritative Information\r\nContent-Length: 2\r\n\r\nok", u"ok"_s},
        {"HTTP/1.1 204 No Content\r\n\r\n", u""_s},
        // Redirects are followed only where they lead somewhere we can go.
        {"HTTP/1.1 301 Moved Permanently\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 301 Moved Permanently"_s},
        {"HTTP/1.1 307 Temporary Redirect\r\nLocation:  \r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 307 Temporary Redirect"_s},
        {"HTTP/1.1 302 Found\r\nLocation: ftp://h.example/file\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: The scheme \"ftp\" is not supported: only http and https addresses can be downloaded."_s},
        {"HTTP/1.1 300 Multiple Choices\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 300 Multiple Choices"_s},
        {"HTTP/1.1 305 Use Proxy\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 305 Use Proxy"_s},
        {"HTTP/1.1 304 Not Modified\r\nLocation: /elsewhere\r\n\r\n",
         u"FAILURE: HTTP/1.1 304 Not Modified"_s},
        {"HTTP/1.0 404 Not Found\r\nContent-Length: 15\r\n\r\n<html>no</html>",
         u"FAILURE: HTTP/1.0 404 Not Found"_s},
        {"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 401 Unauthorized"_s},
        {"HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 407 Proxy Authentication Required"_s},
        {"HTTP/1.1 101 Switching Protocols\r\nUpgrade: x\r\n\r\n",
         u"FAILURE: HTTP/1.1 101 Switching Protocols"_s},
        {"HTTP/1.1 500  Internal  Error\r\nContent-Length: 0\r\n\r\n",
         u"FAILURE: HTTP/1.1 500  Internal  Error"_s},
        {"HTTP/1.1 600 Beyond\r\nContent-Length: 0\r\n\r\n", u"FAILURE: HTTP/1.1 600 Beyond"_s},
        {"HTTP/1.1 OK 200\r\nContent-Length: 0\r\n\r\n", u"FAILURE: HTTP/1.1 OK 200"_s},
        {"<html>no status</html>\r\n\r\n", u"FAILURE: <html>no status</html>"_s},
        // The status decides even when the failing answer's body is cut short.
        {"HTTP/1.1 503 Busy\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nbu", u"FAILURE: HTTP/1.1 503 Busy"_s},
    };
    for (const auto& c : cases) {
        LoopbackHttpServer server;
        server.route("/elsewhere", "redirected");
        server.respond(c.answer, After::Close);
        PageFetcher fetcher;
        EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), c.result) << c.answer.toStdString();
        EXPECT_EQ(server.requests().size(), 1)
            << "nothing is followed or repeated: " << c.answer.toStdString();
    }
}

TEST(PageFetcherAnswer, ReadsEveryBodyFramingWithoutDecoding) {
    const QByteArray gzip("\x1f\x8b\x08\x00\xff", 5);
    const struct {
        QByteArray answer;
        After after;
        QString result;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n5\r\nhello\r\n7;x=y\r\n, world\r\n0\r\n\r\n",
         After::Keep, u"hello, world"_s},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", After::Keep, u""_s},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nexact", After::Keep, u"exact"_s},
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabcd", After::Close, u"abcd"_s},
        {"HTTP/1.1 200 OK\r\n\r\nuntil the server closes", After::Close, u"until the server closes"_s},
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=iso-8859-1\r\nContent-Encoding: gzip\r\n"
         "Content-Length: 5\r\n\r\n" +
             gzip,
         After::Keep, QString::fromLatin1(gzip)},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", After::Close,
         u"FAILURE: Connection Closed Gracefully."_s},
        {"", After::Close, u"FAILURE: Connection Closed Gracefully."_s},
        {"HTTP/1.1 200", After::Close, u"FAILURE: Connection Closed Gracefully."_s},
        {"HTTP/1.1 200 OK\r\nContent-Length: 67108865\r\n\r\nab", After::Keep,
         u"FAILURE: The page is larger than 64 MiB."_s},
    };
    for (const auto& c : cases) {
        LoopbackHttpServer server;
        server.respond(c.answer, c.after);
        PageFetcher fetcher;
        EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), c.result) << c.answer.toStdString();
    }
}

TEST(PageFetcherConnection, KeepsTheConnectionUnlessTheAnswerSaysClose) {
    const struct {
        QByteArray answer;
        int connections;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", 1},
        {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", 1},
        {"HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok", 1},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n", 1},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok", 2},
        {"HTTP/1.1 200 OK\r\nconnection:   CLOSE  \r\nContent-Length: 2\r\n\r\nok", 2},
        {"HTTP/1.1 200 OK\r\nProxy-Connection: Close\r\nContent-Length: 2\r\n\r\nok", 2},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", 1},
    };
    for (const auto& c : cases) {
        LoopbackHttpServer server;
        server.respond(c.answer);
        server.respond(c.answer);
        PageFetcher fetcher;
        outcome(fetcher, server.url(u"/one"_s));
        outcome(fetcher, server.url(u"/two"_s));
        EXPECT_EQ(server.requests().size(), 2) << c.answer.toStdString();
        EXPECT_EQ(server.connectionCount(), c.connections) << c.answer.toStdString();
    }
}

TEST(PageFetcherConnection, OpensANewConnectionForAnotherTargetOrAfterTheServerClosedIt) {
    LoopbackHttpServer first;
    LoopbackHttpServer second;
    first.route("/page", "one");
    second.route("/page", "two");
    PageFetcher fetcher;
    EXPECT_EQ(outcome(fetcher, first.url(u"/page"_s)), u"one"_s);
    EXPECT_EQ(outcome(fetcher, second.url(u"/page"_s)), u"two"_s);
    EXPECT_EQ(outcome(fetcher, first.url(u"/page"_s)), u"one"_s);
    EXPECT_EQ(first.connectionCount(), 2);

    // A server that drops an idle connection must not make the next Get fail.
    first.respond(okAnswer, After::Close);
    EXPECT_EQ(outcome(fetcher, first.url(u"/page"_s)), u"ok"_s);
    for (QDeadlineTimer deadline(5s); first.closedConnectionCount() == 0 && !deadline.hasExpired();)
        QThread::msleep(5);
    EXPECT_EQ(outcome(fetcher, first.url(u"/page"_s)), u"one"_s);
    EXPECT_EQ(first.connectionCount(), 3);
}

TEST(PageFetcherCookies, KeepsCookiesForTheRunAndSendsThemBack) {
    LoopbackHttpServer server;
    PageFetcher fetcher;
    server.respond(
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\nSet-cookie2: b=2; Version=\"1\"; Path=\"/\"\r\n"
        "Set-Cookie: s=old; Path=/\r\nSet-Cookie2: s=new; Version=\"1\"; Path=\"/\"\r\n"
        "Set-Cookie: p=1; Path=/private\r\nContent-Length: 2\r\n\r\nok");
    server.respond("HTTP/1.1 404 Not Found\r\nSet-Cookie: late=3; Path=/\r\nContent-Length: 0\r\n\r\n");
    ASSERT_EQ(outcome(fetcher, server.url(u"/first"_s)), u"ok"_s);
    EXPECT_EQ(server.requests().last(), head("GET /first HTTP/1.1", hostOf(server)));

    // Cookies of a failing answer are kept as well.
    EXPECT_EQ(outcome(fetcher, server.url(u"/public"_s)), u"FAILURE: HTTP/1.1 404 Not Found"_s);
    EXPECT_EQ(server.requests().last(), head("GET /public HTTP/1.1", hostOf(server), "a=1; b=2; s=new"));

    server.respond(okAnswer);
    outcome(fetcher, server.url(u"/private/page"_s));
    EXPECT_EQ(server.requests().last(),
              head("GET /private/page HTTP/1.1", hostOf(server), "p=1; a=1; b=2; s=new; late=3"));

    // A new run starts with no cookies.
    PageFetcher restarted;
    server.respond(okAnswer);
    outcome(restarted, server.url(u"/public"_s));
    EXPECT_EQ(server.requests().last(), head("GET /public HTTP/1.1", hostOf(server)));
}

TEST(PageFetcherRedirect, FollowsEachRedirectStatusDirectlyAndThroughAProxy) {
    for (const int status : {301, 302, 303, 307, 308})
        for (const bool relative : {false, true})
            for (const bool viaProxy : {false, true}) {
                LoopbackHttpServer server;
                const QByteArray port = QByteArray::number(server.port());
                PageFetcher fetcher;
                if (viaProxy)
                    useAsProxy(fetcher, server);
                const QByteArray origin =
                    viaProxy ? QByteArray("http://h.example") : QByteArray("http://" + hostOf(server));
                const QByteArray elsewhere = viaProxy ? QByteArray("http://other.example:8080")
                                                      : QByteArray("http://localhost:" + port);
                const QByteArray location =
                    relative ? QByteArray("../b/new page?x=1") : QByteArray(elsewhere + "/b/new?x=1");
                // A relative Location stays on the same host; its blank is encoded like any other.
                const QByteArray finalAddress = relative ? QByteArray(origin + "/b/new%20page?x=1")
                                                         : QByteArray(elsewhere + "/b/new?x=1");
                const QByteArray firstHost = viaProxy ? QByteArray("h.example") : hostOf(server);
                const QByteArray finalHost = finalAddress.mid(7, finalAddress.indexOf('/', 7) - 7);
                const auto target = [&](const QByteArray& address) {
                    return viaProxy ? address : address.mid(address.indexOf('/', 7));
                };

                server.respond("HTTP/1.1 " + QByteArray::number(status) + " Moved\r\nLocation: " + location +
                               "\r\nContent-Length: 9\r\n\r\nold place");
                server.respond("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nnew place");
                const std::string label = std::to_string(status) + (relative ? " relative" : " absolute") +
                                          (viaProxy ? " through the proxy" : " direct");
                FetchedPage page;
                try {
                    page = fetcher.fetch(QString::fromLatin1(origin + "/a/old?y=2"));
                } catch (const Failure& failure) {
                    ADD_FAILURE() << label << ": " << failure.message().toStdString();
                    continue;
                }
                EXPECT_EQ(page.text, u"new place"_s) << label;
                EXPECT_EQ(page.address, QString::fromLatin1(finalAddress)) << label;
                const QList<QByteArray> requests = server.requests();
                ASSERT_EQ(requests.size(), 2) << label;
                EXPECT_EQ(requests[0], head("GET " + target(origin + "/a/old?y=2") + " HTTP/1.1", firstHost))
                    << label;
                EXPECT_EQ(requests[1], head("GET " + target(finalAddress) + " HTTP/1.1", finalHost)) << label;
                // The redirect's body was read, so the connection served the next hop.
                if (relative || viaProxy) {
                    EXPECT_EQ(server.connectionCount(), 1) << label;
                }
            }
}

TEST(PageFetcherRedirect, CrossesBetweenHttpAndHttps) {
    LoopbackHttpServer server; // serves plain and TLS requests on one port
    server.enableTls();
    const QByteArray port = QByteArray::number(server.port());

    PageFetcher fetcher;
    fetcher.setExtraCaFile(server.caFile());
    server.respond("HTTP/1.1 302 Found\r\nLocation: https://localhost:" + port +
                   "/secure\r\nContent-Length: 0\r\n\r\n");
    server.respond("HTTP/1.1 301 Moved\r\nLocation: http://127.0.0.1:" + port +
                   "/plain\r\nContent-Length: 0\r\n\r\n");
    server.respond("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nback");
    const FetchedPage page = fetcher.fetch(server.url(u"/start"_s));
    EXPECT_EQ(page.text, u"back"_s);
    EXPECT_EQ(page.address, server.url(u"/plain"_s));
    EXPECT_EQ(server.lastServerName(), "localhost");
    EXPECT_EQ(server.requests(), (QList<QByteArray>{head("GET /start HTTP/1.1", hostOf(server)),
                                                    head("GET /secure HTTP/1.1", "localhost:" + port),
                                                    head("GET /plain HTTP/1.1", hostOf(server))}));

    // Through the proxy the https hop goes through a tunnel.
    LoopbackHttpServer proxy;
    proxy.enableTls();
    PageFetcher proxied;
    proxied.setExtraCaFile(proxy.caFile());
    useAsProxy(proxied, proxy);
    proxy.respond("HTTP/1.1 302 Found\r\nLocation: https://localhost/secure\r\nContent-Length: 0\r\n\r\n");
    proxy.respond("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecret");
    const FetchedPage tunnelled = proxied.fetch(u"http://h.example/start"_s);
    EXPECT_EQ(tunnelled.text, u"secret"_s);
    EXPECT_EQ(tunnelled.address, u"https://localhost/secure"_s);
    EXPECT_EQ(proxy.requests(),
              (QList<QByteArray>{head("GET http://h.example/start HTTP/1.1", "h.example"),
                                 "CONNECT localhost:443 HTTP/1.1\r\nHost: localhost:443\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n",
                                 head("GET /secure HTTP/1.1", "localhost")}));
}

TEST(PageFetcherRedirect, FollowsTenHopsAndFailsOnTheEleventh) {
    const QByteArray loop = "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n";
    for (const int redirects : {10, 11}) {
        LoopbackHttpServer server;
        for (int i = 0; i < redirects; ++i)
            server.respond(loop);
        server.respond("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\narrived");
        PageFetcher fetcher;
        EXPECT_EQ(outcome(fetcher, server.url(u"/loop"_s)),
                  redirects == 10 ? u"arrived"_s : u"FAILURE: Too many redirects."_s);
        EXPECT_EQ(server.requests().size(), 11) << redirects;
        if (redirects == 11) { // the fetcher stays usable
            EXPECT_EQ(outcome(fetcher, server.url(u"/loop"_s)), u"arrived"_s);
        }
    }
}

TEST(PageFetcherRedirect, CookiesOfEachHopGoWithTheNextByItsAddress) {
    LoopbackHttpServer server;
    const QByteArray port = QByteArray::number(server.port());
    server.respond("HTTP/1.1 302 Found\r\nSet-Cookie: s=1; Path=/\r\nLocation: http://localhost:" + port +
                   "/away\r\nContent-Length: 0\r\n\r\n");
    server.respond("HTTP/1.1 303 See Other\r\nSet-Cookie: t=2; Path=/\r\nLocation: http://127.0.0.1:" + port +
                   "/home\r\nContent-Length: 0\r\n\r\n");
    server.respond(okAnswer);
    PageFetcher fetcher;
    EXPECT_EQ(outcome(fetcher, server.url(u"/login"_s)), u"ok"_s);
    // The cookie of 127.0.0.1 does not go to localhost, nor the other way round.
    EXPECT_EQ(server.requests(), (QList<QByteArray>{head("GET /login HTTP/1.1", hostOf(server)),
                                                    head("GET /away HTTP/1.1", "localhost:" + port),
                                                    head("GET /home HTTP/1.1", hostOf(server), "s=1")}));
}

TEST(PageFetcherText, DecodesEachAnswerByItsOwnCharsetOnly) {
    const QByteArray cp1251 = "\xcf\xf0\xe8\xe2\xe5\xf2";
    const QByteArray koi8 = "\xf0\xd2\xc9\xd7\xc5\xd4";
    const QByteArray withMeta = "<meta charset=\"koi8-r\">" + cp1251;
    const struct {
        QByteArray contentType; // empty: no Content-Type header at all
        QByteArray body;
        QString text;
    } cases[] = {
        {"text/html; charset=windows-1251", cp1251, u"Привет"_s},
        {"text/html", withMeta, u"<meta charset=\"koi8-r\">Привет"_s},
        {"TEXT/HTML; CHARSET=Windows-1251", cp1251, u"Привет"_s},
        {"text/html; charset=\"koi8-r\"", koi8, u"Привет"_s},
        // Without a usable charset a page is Russian, as in the browser view.
        {"", cp1251, u"Привет"_s},
        {"text/html;charset=utf-8", "\xef\xbb\xbf\xd0\x96", u"\uFEFFЖ"_s},
        {"text/html; charset=no-such-charset", cp1251, u"Привет"_s},
        {"text/html; charset=", cp1251, u"Привет"_s},
        {"text/html; charset=ISO-8859-1", cp1251, QString::fromLatin1(cp1251)},
        {"application/json", "{\"t\":\"\xd0\x96\"}", u"{\"t\":\"Ж\"}"_s},
        {"application/json+oembed", "\xd0\x96", u"Ж"_s},
    };
    LoopbackHttpServer server;
    PageFetcher fetcher; // one fetcher: an earlier charset must not carry over
    for (const auto& c : cases) {
        const QByteArray type =
            c.contentType.isEmpty() ? QByteArray() : "Content-Type: " + c.contentType + "\r\n";
        server.respond("HTTP/1.1 200 OK\r\n" + type + "Content-Length: " + QByteArray::number(c.body.size()) +
                       "\r\n\r\n" + c.body);
        EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), c.text) << c.contentType.toStdString();
    }
}

TEST(PageFetcherFailure, NetworkErrorsAndTimeOutsCarryTheSocketErrorForm) {
    int closedPort = 0;
    {
        LoopbackHttpServer gone;
        closedPort = gone.port();
    }
    PageFetcher fetcher;
    fetcher.setTimeouts(300ms, 300ms);
    EXPECT_EQ(outcome(fetcher, u"http://127.0.0.1:%1/"_s.arg(closedPort)),
              u"FAILURE: Socket Error # 111\r\nConnection refused."_s);

    const DeafListener deaf;
    EXPECT_EQ(outcome(fetcher, u"http://127.0.0.1:%1/"_s.arg(deaf.port())),
              u"FAILURE: Socket Error # 110\r\nConnection timed out."_s);

    LoopbackHttpServer server;
    server.respond("", After::HoldSilent);
    EXPECT_EQ(outcome(fetcher, server.url(u"/silent"_s)),
              u"FAILURE: Socket Error # 110\r\nRead timed out."_s);
    server.respond("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", After::HoldSilent);
    EXPECT_EQ(outcome(fetcher, server.url(u"/stalled"_s)),
              u"FAILURE: Socket Error # 110\r\nRead timed out."_s);

    // A failure leaves the fetcher usable; a host name is looked up (here from the hosts file).
    server.route("/page", "fine");
    EXPECT_EQ(outcome(fetcher, server.url(u"/page"_s)), u"fine"_s);
    EXPECT_EQ(outcome(fetcher, u"http://localhost:%1/page"_s.arg(server.port())), u"fine"_s);
}

TEST(PageFetcherTls, VerifiesTheServerDirectlyAndThroughAProxyTunnel) {
    LoopbackHttpServer server;
    server.enableTls();
    server.route("/secure", "secret");
    const QString port = QString::number(server.port());
    const QByteArray host = "localhost:" + QByteArray::number(server.port());

    PageFetcher fetcher;
    fetcher.setExtraCaFile(server.caFile());
    EXPECT_EQ(outcome(fetcher, u"https://localhost:"_s + port + u"/secure"_s), u"secret"_s);
    EXPECT_EQ(server.lastServerName(), "localhost");
    EXPECT_EQ(server.requests().last(), head("GET /secure HTTP/1.1", host));
    EXPECT_EQ(outcome(fetcher, u"https://127.0.0.1:"_s + port + u"/secure"_s), u"secret"_s);

    PageFetcher proxied;
    proxied.setExtraCaFile(server.caFile());
    useAsProxy(proxied, server);
    const int before = server.connectionCount();
    EXPECT_EQ(outcome(proxied, u"https://localhost/secure"_s), u"secret"_s);
    EXPECT_EQ(outcome(proxied, u"https://localhost/secure"_s), u"secret"_s);
    const QList<QByteArray> requests = server.requests().mid(server.requests().size() - 3);
    EXPECT_EQ(requests[0], "CONNECT localhost:443 HTTP/1.1\r\nHost: localhost:443\r\n"
                           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
    EXPECT_EQ(requests[1], head("GET /secure HTTP/1.1", "localhost"));
    EXPECT_EQ(server.connectionCount(), before + 1);
}

TEST(PageFetcherTls, RefusesCertificatesThatDoNotVerify) {
    LoopbackHttpServer server;
    server.enableTls();
    server.route("/secure", "secret");
    const QString address = u"https://localhost:%1/secure"_s.arg(server.port());

    PageFetcher untrusting; // the system store alone does not know the test certificate
    EXPECT_TRUE(outcome(untrusting, address)
                    .startsWith(u"FAILURE: The certificate of localhost could not be verified"_s));

    PageFetcher wrongName;
    wrongName.setExtraCaFile(server.caFile());
    useAsProxy(wrongName, server);
    const QString result = outcome(wrongName, u"https://other.example/secure"_s);
    EXPECT_TRUE(result.startsWith(u"FAILURE: The certificate of other.example could not be verified"_s))
        << result.toStdString();
    for (const QByteArray& request : server.requests())
        EXPECT_FALSE(request.startsWith("GET")) << "nothing is asked over an unverified connection";
}

TEST(PageFetcherTls, ProxyRefusingTheTunnelFailsWithItsStatusLine) {
    LoopbackHttpServer proxy; // without TLS it answers CONNECT from its script
    proxy.respond("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
    PageFetcher fetcher;
    useAsProxy(fetcher, proxy);
    EXPECT_EQ(outcome(fetcher, u"https://h.example/"_s), u"FAILURE: HTTP/1.1 403 Forbidden"_s);
}
