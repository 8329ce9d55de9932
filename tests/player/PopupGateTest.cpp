#include "player/PopupGate.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// One gate, requests in order: only the user's own web pages, at most one a second.
TEST(PopupGate, AdmitsWebPagesTheUserAskedForOneASecond) {
    const PopupGate::Clock::time_point t0{};
    const struct {
        const char* url;
        bool userInitiated;
        std::chrono::milliseconds at;
        bool admitted;
    } requests[] = {
        {"http://h.example/a", false, 0ms, false}, // a page's own window.open
        {"file:///etc/passwd", true, 0ms, false},
        {"mailto:x@h.example", true, 0ms, false},
        {"javascript:alert(1)", true, 0ms, false},
        {"tg://resolve?domain=x", true, 0ms, false},
        {"about:blank", true, 0ms, false},
        {"http:///nohost", true, 0ms, false},
        {"https://h.example/b", true, 0ms, true},
        {"https://h.example/c", true, 999ms, false}, // within the second of the last one
        {"https://h.example/d", true, 1000ms, true},
        {"ftp://h.example/e", true, 5000ms, false}, // refusals do not start the interval
        {"HTTP://h.example/f", true, 5001ms, true},
    };
    PopupGate gate;
    for (const auto& r : requests)
        EXPECT_EQ(gate.admit(QUrl(QString::fromLatin1(r.url)), r.userInitiated, t0 + r.at), r.admitted)
            << r.url;
}
