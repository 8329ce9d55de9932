#include "settings/ProxySettings.h"
#include "net/PageFetcher.h"
#include "support/Failures.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The stored proxy reaches the fetcher as it is only when it is a host and a 16-bit port;
// otherwise start-up says so and downloads fail instead of going elsewhere.
TEST(ProxySettings, ATickedProxyMustBeAHostAndAPort) {
    const struct {
        ProxySettings stored;
        QString failure; // empty: none
        QString server;  // what the fetcher then holds
        int port;
    } cases[] = {
        {{u"proxy.local"_s, u"8080"_s, true}, {}, u"proxy.local"_s, 8080},
        {{u" 127.0.0.1 "_s, u"$FFFF"_s, true}, {}, u" 127.0.0.1 "_s, 65535},
        {{u""_s, u"0"_s, true}, {}, u""_s, 0}, // ticked but empty: no proxy
        {{u"proxy.local"_s, u"70000"_s, true},
         u"''70000'' is not a valid port number"_s,
         u"proxy.local"_s,
         0},
        {{u"proxy.local"_s, u"-1"_s, true}, u"''-1'' is not a valid port number"_s, u"proxy.local"_s, 0},
        {{u"proxy local"_s, u"8080"_s, true},
         u"''proxy local'' is not a valid proxy address"_s,
         u"proxy local"_s,
         0},
        {{u"p\r\nX: 1"_s, u"8080"_s, true},
         u"''p\r\nX: 1'' is not a valid proxy address"_s,
         u"p\r\nX: 1"_s,
         0},
        {{u"proxy.local"_s, u"abc"_s, true}, u"''abc'' is not a valid integer value"_s, u"proxy.local"_s, 0},
        // Not ticked: the proxy is not used, so its stored values do no harm.
        {{u"proxy local"_s, u"70000"_s, false}, {}, u""_s, 70000},
    };
    for (const auto& c : cases) {
        const std::string label = QString(c.stored.address + u" "_s + c.stored.port).toStdString();
        PageFetcher fetcher;
        const QString failure = failureOf([&] { c.stored.applyTo(fetcher); });
        EXPECT_EQ(failure, c.failure.isEmpty() ? u"<no failure>"_s : c.failure) << label;
        EXPECT_EQ(fetcher.proxyServer(), c.server) << label;
        EXPECT_EQ(fetcher.proxyPort(), c.port) << label;
    }
}
