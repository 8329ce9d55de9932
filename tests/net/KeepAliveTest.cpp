#include "net/KeepAlive.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    int status;
    QList<HttpHeader> headers;
    std::optional<std::uint64_t> contentLength;
    bool chunked;
    bool keeps;
};

} // namespace

TEST(KeepAlive, JudgesTheConnectionFromTheHeadAlone) {
    const std::optional<std::uint64_t> none;
    const Case cases[] = {
        {"a length frames the body", 200, {}, 5, false, true},
        {"chunks frame the body", 404, {}, none, true, true},
        {"no framing: the body runs until the close", 200, {}, none, false, false},
        {"Connection: close, any case and blanks", 200, {{"connection", " Close "}}, 5, false, false},
        {"Proxy-Connection: close", 200, {{"Proxy-Connection", "close"}}, 5, false, false},
        {"keep-alive is no close", 200, {{"Connection", "keep-alive"}}, 5, false, true},
        {"close in another header means nothing", 200, {{"X-Connection", "close"}}, 5, false, true},
        {"204 needs no framing", 204, {}, none, false, true},
        {"304 with a zero length", 304, {}, 0, false, true},
        {"304 announcing a body", 304, {}, 10, false, false},
        {"204 announcing chunks", 204, {}, none, true, false},
        {"101 hands the connection over", 101, {}, none, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keepsAlive(c.status, c.headers, c.contentLength, c.chunked), c.keeps) << c.what;
}
