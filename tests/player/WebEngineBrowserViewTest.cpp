#include "player/ui/WebEngineBrowserView.h"
#include "support/FakePorts.h"
#include "support/LoopbackHttpServer.h"
#include "support/PageScript.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineSettings>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QVariant evaluate(QWebEngineView& view, const QString& script) {
    return evaluate(*view.page(), script);
}

bool loadAndWait(WebEngineBrowserView& view, const QString& target) {
    bool finished = false;
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, &view, [&] { finished = true; });
    view.navigate(target);
    return QTest::qWaitFor([&] { return finished; }, 20000);
}

} // namespace

TEST(WebEngineBrowserView, ShowsFilesAndAddressesReadsWindows1251AndKeepsLocalFilesPrivate) {
    FakeShell shell;
    WebEngineBrowserView view(shell);
    QTemporaryDir dir;
    QFile secret(dir.filePath(u"secret.txt"_s));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("private");
    secret.close();
    QFile page(dir.filePath(u"main.html"_s));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    // "Привет" in windows-1251, no charset declared; then a try to read a neighbouring file.
    page.write("<html><body><p id=\"t\">\xcf\xf0\xe8\xe2\xe5\xf2</p><script>var r = 'unread';"
               "try { var x = new XMLHttpRequest(); x.open('GET', 'secret.txt', false); x.send();"
               " r = x.responseText; } catch (e) { r = 'refused'; }</script></body></html>");
    page.close();

    ASSERT_TRUE(loadAndWait(view, page.fileName()));
    EXPECT_EQ(view.url(), QUrl::fromLocalFile(page.fileName()));
    EXPECT_EQ(evaluate(view, u"document.getElementById('t').textContent"_s).toString(), u"Привет"_s);
    EXPECT_NE(evaluate(view, u"r"_s).toString(), u"private"_s);
    EXPECT_FALSE(view.settings()->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    EXPECT_TRUE(view.settings()->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));

    LoopbackHttpServer server;
    server.route("/page", "<html><body>remote</body></html>");
    ASSERT_TRUE(loadAndWait(view, server.url(u"/page"_s)));
    EXPECT_EQ(view.url(), QUrl(server.url(u"/page"_s)));
    view.navigate(u"about:blank"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.url() == QUrl(u"about:blank"_s); }, 20000));
}

// What a page would hand to the desktop by itself: a scheme the engine does not know.
class DesktopHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// Pop-ups reach the user's browser only as web pages the user clicked for; a page's own
// window.open, a file link and a custom scheme go nowhere, without a word.
TEST(WebEngineBrowserView, OnlyTheUsersClicksOpenWebPagesInTheirBrowser) {
    DesktopHandler desktop;
    QDesktopServices::setUrlHandler(u"kvtest"_s, &desktop, "open");
    const auto unregister = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"kvtest"_s); });
    LoopbackHttpServer server;
    const QByteArray next = server.url(u"/next"_s).toUtf8();
    const auto box = [](const char* id, int left, const QByteArray& href, const char* target) -> QByteArray {
        return "<a id=\"" + QByteArray(id) + "\" href=\"" + href + "\" target=\"" + target +
               "\" style=\"position:absolute;top:0;width:90px;height:90px;left:" + QByteArray::number(left) +
               "px\">" + id + "</a>";
    };
    server.route("/popups", "<html><body>" + box("web", 0, next, "_blank") +
                                box("file", 100, "file:///etc/hostname", "_blank") +
                                box("custom", 200, "kvtest://x", "_self") +
                                box("customWindow", 300, "kvtest://y", "_blank") + "<script>window.open('" +
                                next + "?auto');</script></body></html>");
    FakeShell shell;
    WebEngineBrowserView view(shell);
    view.resize(400, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(loadAndWait(view, server.url(u"/popups"_s)));
    evaluate(view, u"window.open('"_s + QString::fromUtf8(next) + u"?script'); 1"_s);

    QWidget* content = view.focusProxy();
    ASSERT_NE(content, nullptr);
    for (const int left : {100, 300, 0, 200}) // the last one leaves the page
        QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(left + 45, 45));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.opened.isEmpty(); }, 20000));
    QTest::qWait(500); // anything else would have come by now
    EXPECT_EQ(shell.opened, QStringList{QString::fromUtf8(next)});
    EXPECT_TRUE(desktop.urls.isEmpty());
}

#include "WebEngineBrowserViewTest.moc"
