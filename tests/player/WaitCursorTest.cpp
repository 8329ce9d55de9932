#include "base/Failure.h"
#include "net/PageFetcher.h"
#include "player/ui/WaitCursorPageSource.h"
#include "support/FakePorts.h"
#include "support/HostileServer.h"
#include "support/LoopbackHttpServer.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
// Notes the cursor the user sees while the download runs.
struct CursorSpy : FakePageSource {
    QString get(const QString& address) override {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        during = cursor ? cursor->shape() : Qt::ArrowCursor;
        return FakePageSource::get(address);
    }
    Qt::CursorShape during = Qt::ArrowCursor;
};

// A window that counts what reaches it.
struct InputSpy : QWidget {
    int keys = 0;
    int clicks = 0;
    int paints = 0;
    void keyPressEvent(QKeyEvent*) override { ++keys; }
    void mousePressEvent(QMouseEvent*) override { ++clicks; }
    void paintEvent(QPaintEvent*) override { ++paints; }
};
} // namespace

TEST(WaitCursor, ShownDuringEveryDownloadAndRemovedAfterwardsEvenOnFailure) {
    CursorSpy inner;
    inner.pages.insert(u"http://a/"_s, u"page"_s);
    WaitCursorPageSource source(inner);
    EXPECT_EQ(source.get(u"http://a/"_s), u"page"_s);
    EXPECT_EQ(inner.during, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    inner.during = Qt::ArrowCursor;
    EXPECT_THROW(source.get(u"http://b/"_s), Failure);
    EXPECT_EQ(inner.during, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(WaitCursor, WindowRepaintsAndTakesNoInputWhileTheFetcherWaitsAndEscapeCancels) {
    const HostileServer silent([](HostileServer::Connection& connection) { connection.pause(1h); });
    PageFetcher fetcher;
    fetcher.setTimeouts(30s, 30s);
    WaitCursorPageSource source(fetcher);
    InputSpy window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    window.paints = 0;

    // The program's own timers wait, as they would behind a busy window.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(30);
    Qt::CursorShape during = Qt::ArrowCursor;
    QTimer::singleShot(100, [&] { window.update(); });
    QTimer::singleShot(150, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        during = cursor ? cursor->shape() : Qt::ArrowCursor;
        QTest::keyClick(&window, Qt::Key_A);
        QTest::mouseClick(&window, Qt::LeftButton);
    });
    // A window that opens meanwhile, such as a message box, can still be answered.
    InputSpy box;
    QTimer::singleShot(200, [&] {
        box.show();
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    QTimer::singleShot(400, [&] { QTest::keyClick(&window, Qt::Key_Escape); });

    QElapsedTimer clock;
    clock.start();
    QString message;
    try {
        source.get(u"http://127.0.0.1:%1/"_s.arg(silent.port()));
    } catch (const Failure& failure) {
        message = failure.message();
    }
    EXPECT_EQ(message, u"The download was cancelled."_s);
    EXPECT_GE(clock.elapsed(), 400);  // the box's Escape was the box's own
    EXPECT_LT(clock.elapsed(), 5000); // far sooner than the 30 s the server could hold it
    EXPECT_EQ(ticks, 0);
    EXPECT_GT(window.paints, 0);
    EXPECT_EQ(during, Qt::WaitCursor);
    EXPECT_EQ(window.keys, 0);
    EXPECT_EQ(window.clicks, 0);
    EXPECT_EQ(box.keys, 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Afterwards input arrives again and the fetcher downloads as before.
    QTest::keyClick(&window, Qt::Key_A);
    EXPECT_EQ(window.keys, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 1000));
    ticker.stop();
    LoopbackHttpServer server;
    server.route("/page", "fine");
    EXPECT_EQ(source.get(server.url(u"/page"_s)), u"fine"_s);
}
