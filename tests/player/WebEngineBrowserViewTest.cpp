#include "player/ui/WebEngineBrowserView.h"
#include "support/FakePorts.h"
#include "support/LoopbackHttpServer.h"
#include "support/PageScript.h"

#include <QDir>
#include <QFile>
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

TEST(WebEngineBrowserView, NewWindowsOpenInTheUsersBrowser) {
    FakeShell shell;
    WebEngineBrowserView view(shell);
    auto* page = static_cast<ShellWindowsPage*>(view.page());
    QWebEnginePage* popup = page->createWindow(QWebEnginePage::WebBrowserWindow);
    ASSERT_NE(popup, nullptr);
    popup->setUrl(QUrl(u"http://127.0.0.1:9/popup"_s));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.opened.isEmpty(); }, 20000));
    EXPECT_EQ(shell.opened, QStringList{u"http://127.0.0.1:9/popup"_s});
}
