#include "net/HttpAddress.h"
#include "support/Failures.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Whatever reaches the request head or the connection must be a host and a 16-bit port:
// a line break in the host would add headers, a port of 70000 would wrap to 4464.
TEST(HttpAddress, RefusesHostsAndPortsThatWouldBreakTheRequest) {
    const struct {
        QString address;
        QByteArray host; // empty: refused
        int port;
    } cases[] = {
        {u"http://h.example/a"_s, "h.example", 80},
        {u"https://sub_1.h-2.example:65535/"_s, "sub_1.h-2.example", 65535},
        {u"http://127.0.0.1:0/"_s, "127.0.0.1", 0},
        {u"http://[::1]:8080/"_s, "::1", 8080},
        {u"http://[::ffff:127.0.0.1]/"_s, "::ffff:127.0.0.1", 80},
        {u"http://пример.рф/"_s, "xn--e1afmkfd.xn--p1ai", 80},
        {u"http://user:pw@h.example/"_s, "h.example", 80},
        {u"http://h.example:65536/"_s, {}, 0},
        {u"http://h.example:70000/"_s, {}, 0},
        {u"http://h.example:-1/"_s, {}, 0},
        {u"http://h.example\r\nX-Evil:1/"_s, {}, 0},
        {u"http://h.example\n/"_s, {}, 0},
        {u"http://h .example/"_s, {}, 0},
        {u"http://h\t.example/"_s, {}, 0},
        {u"http://h<x>.example/"_s, {}, 0},
        {u"http://h%0d.example/"_s, {}, 0},
        {u"http://a:b:80/"_s, {}, 0},
        {u"http://[::1\r\n]/"_s, {}, 0},
        {u"http://[h.example]/"_s, {}, 0},
    };
    for (const auto& c : cases) {
        const std::string label = c.address.toStdString();
        if (c.host.isEmpty()) {
            EXPECT_NE(failureOf([&] { (void)HttpAddress::parse(c.address); }), u"<no failure>"_s) << label;
            continue;
        }
        const HttpAddress address = HttpAddress::parse(c.address);
        EXPECT_EQ(address.host(), c.host) << label;
        EXPECT_EQ(address.port(), c.port) << label;
    }
}
