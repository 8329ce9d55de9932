// Servers that misbehave on purpose: each download ends with a clear failure, within the
// limits, and with memory bounded by the caps of the answer reader.
#include "support/HostileServer.h"
#include "base/Failure.h"
#include "net/PageFetcher.h"
#include "support/LoopbackHttpServer.h"
#include "support/QtPrinters.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Connection = HostileServer::Connection;

namespace {

constexpr auto connectLimit = 1000ms;
constexpr auto silenceLimit = 1000ms;
constexpr auto totalLimit = 3000ms;

QString outcome(PageFetcher& fetcher, const QString& address) {
    try {
        return fetcher.get(address);
    } catch (const Failure& failure) {
        return u"FAILURE: "_s + failure.message();
    }
}

// The process's resident memory in KiB, now or at its peak since resetPeak().
qint64 memoryKiB(const char* field) {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}

bool resetPeak() {
    QFile clear(u"/proc/self/clear_refs"_s);
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// Sends what the body of an answer could be, 64 KiB at a time, until the client goes.
void sendForEver(Connection& connection, const QByteArray& piece) {
    while (connection.send(piece)) {
    }
}

struct HostileCase {
    const char* name;
    HostileServer::Behaviour behaviour;
    QString expected;
    bool viaProxy = false; // the server is the proxy and the page is https://h.example/
};

void answerWith(Connection& connection, const QByteArray& raw) {
    connection.readRequestHead();
    connection.send(raw);
    connection.pause(1h);
}

const QByteArray block(64 * 1024, 'x');

const HostileCase hostileCases[] = {
    {"silent after accept", [](Connection& c) { c.pause(1h); }, u"Socket Error # 110\r\nRead timed out."_s},
    {"closes at once", [](Connection& c) { c.readRequestHead(); }, u"Connection Closed Gracefully."_s},
    {"garbage status line", [](Connection& c) { answerWith(c, "What is this?\r\n\r\n"); },
     u"What is this?"_s},
    {"status line of 1 MiB",
     [](Connection& c) {
         c.readRequestHead();
         if (c.send("HTTP/1.1 200 "))
             sendForEver(c, block);
     },
     u"The server's answer has a header of more than 1 MiB."_s},
    {"header line of 1 MiB",
     [](Connection& c) {
         c.readRequestHead();
         if (c.send("HTTP/1.1 200 OK\r\nX-Long: "))
             sendForEver(c, block);
     },
     u"The server's answer has a header of more than 1 MiB."_s},
    {"100,000 headers",
     [](Connection& c) {
         QByteArray head = "HTTP/1.1 200 OK\r\n";
         for (int i = 0; i < 100'000; ++i)
             head += "X-Filler-" + QByteArray::number(i).rightJustified(6, '0') + ": x\r\n";
         answerWith(c, head + "Content-Length: 2\r\n\r\nok");
     },
     u"The server's answer has a header of more than 1 MiB."_s},
    {"Content-Length 10000000000",
     [](Connection& c) { answerWith(c, "HTTP/1.1 200 OK\r\nContent-Length: 10000000000\r\n\r\nabc"); },
     u"The page is larger than 64 MiB."_s},
    {"chunk size 2^64",
     [](Connection& c) {
         answerWith(c, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10000000000000000\r\nabc");
     },
     u"The server's answer is broken: Bad chunk."_s},
    {"endless chunked body",
     [](Connection& c) {
         c.readRequestHead();
         if (c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"))
             sendForEver(c, "10000\r\n" + block + "\r\n");
     },
     u"The page is larger than 64 MiB."_s},
    {"one byte at a time for ever",
     [](Connection& c) {
         c.readRequestHead();
         if (c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n"))
             while (c.send("x") && c.pause(200ms)) {
             }
     },
     u"The download took longer than 3 s."_s},
    {"slow redirects, each within the silence limit",
     [](Connection& c) {
         c.readRequestHead();
         if (c.pause(400ms))
             c.send(
                 "HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
     },
     u"The download took longer than 3 s."_s},
    {"reset in the middle of the body",
     [](Connection& c) {
         c.readRequestHead();
         c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + QByteArray(50'000, 'x'));
         c.pause(200ms);
         c.resetOnClose();
     },
     u"Socket Error # 104\r\nConnection reset by peer."_s},
    {"proxy answers CONNECT with garbage", [](Connection& c) { answerWith(c, "garbage!\r\n\r\n"); },
     u"garbage!"_s, true},
};

} // namespace

TEST(HostileServers, EachEndsWithAClearFailureWithinTheLimitsAndBoundedMemory) {
    const bool canMeasure = resetPeak();
    for (const HostileCase& hostile : hostileCases) {
        SCOPED_TRACE(hostile.name);
        const HostileServer server(hostile.behaviour);
        PageFetcher fetcher;
        fetcher.setTimeouts(connectLimit, silenceLimit);
        fetcher.setTotalTimeout(totalLimit);
        QString address = u"http://127.0.0.1:%1/"_s.arg(server.port());
        if (hostile.viaProxy) {
            fetcher.setProxyServer(u"127.0.0.1"_s);
            fetcher.setProxyPort(server.port());
            address = u"https://h.example/"_s;
        }
        resetPeak();
        const qint64 before = memoryKiB("VmRSS:");
        QElapsedTimer clock;
        clock.start();
        const QString result = outcome(fetcher, address);
        const qint64 elapsed = clock.elapsed();
        const qint64 peakGrowthMiB = (memoryKiB("VmHWM:") - before) / 1024;
        std::printf("%-46s %6lld ms  peak +%4lld MiB  %s\n", hostile.name, static_cast<long long>(elapsed),
                    static_cast<long long>(peakGrowthMiB),
                    qPrintable(QString(result).replace(u"\r\n"_s, u" "_s)));

        EXPECT_EQ(result, QString(u"FAILURE: "_s + hostile.expected));
        EXPECT_LT(elapsed, (totalLimit + 2s).count());
        // The largest thing ever held is one body at its 64 MiB cap, with the buffer it grows in
        // and the copy handed back; anything unbounded would go far beyond.
        if (canMeasure) {
            EXPECT_LT(peakGrowthMiB, 256);
        }
    }
}

TEST(HostileServers, TlsCertificatesThatDoNotVerifyStopTheDownloadBeforeAnyRequest) {
    using Certificate = LoopbackHttpServer::Certificate;
    const struct {
        Certificate certificate;
        bool trusted;
        const char* reason;
    } cases[] = {
        {Certificate::Expired, true, "certificate has expired"},
        {Certificate::Sound, false, "self-signed certificate"},
        {Certificate::OtherHost, true, "hostname mismatch"},
    };
    for (const auto& tls : cases) {
        SCOPED_TRACE(tls.reason);
        LoopbackHttpServer server;
        server.enableTls(tls.certificate);
        server.route("/", "secret");
        PageFetcher fetcher;
        fetcher.setTimeouts(connectLimit, silenceLimit);
        if (tls.trusted)
            fetcher.setExtraCaFile(server.caFile());
        EXPECT_EQ(outcome(fetcher, u"https://localhost:%1/"_s.arg(server.port())),
                  u"FAILURE: The certificate of localhost could not be verified: %1."_s.arg(
                      QString::fromLatin1(tls.reason)));
        EXPECT_TRUE(server.requests().isEmpty());
    }
}
