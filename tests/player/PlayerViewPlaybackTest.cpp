#include "net/PageFetcher.h"
#include "player/PageFile.h"
#include "player/PlayCommand.h"
#include "player/PlayerPage.h"
#include "player/ui/WebEngineBrowserView.h"
#include "support/FakePorts.h"
#include "support/LoopbackHttpServer.h"
#include "support/PageScript.h"
#include "support/TestMedia.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineSettings>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// What the player view really plays: pages as the program writes them, media made with
// ffmpeg and served from a loopback server, the media clock checked inside the engine.
class PlayerViewPlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_media = new QTemporaryDir;
        s_made = TestMedia::make(s_media->path());
    }
    static void TearDownTestSuite() {
        delete s_media;
        s_media = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(s_made) << "ffmpeg could not make the test media";
        TestMedia::serve(s_media->path(), server);
        view.makePlayerView();
        view.resize(640, 480);
        view.show();
    }

    QVariant evaluate(const QString& script) { return ::evaluate(*view.page(), script); }

    // Waits until the page's first media element has played for more than a second.
    bool playsForASecond(const char* selector) {
        const QString probe = u"(function () { var m = document.querySelector('%1');"
                              u" return m ? m.currentTime : -1; })()"_s.arg(QString::fromLatin1(selector));
        // Polled gently: a page asked every few milliseconds renders its video too slowly.
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            if (evaluate(probe).toDouble() > 1.0)
                return true;
            QTest::qWait(250);
        }
        ADD_FAILURE()
            << evaluate(
                   u"JSON.stringify({state: "
                   u"(document.querySelector('audio,video')||{dataset:{}}).dataset.kveltoState,"
                   u" hlserr: (document.querySelector('audio,video')||{dataset:{}}).dataset.kveltoError, "
                   u"hls: typeof window.Hls, loader: typeof window.__kveltoLoadHls,"
                   u" mse: window.MediaSource && MediaSource.isTypeSupported('video/mp4; "
                   u"codecs=\"avc1.42E01E,mp4a.40.2\"'),"
                   u" err: ((document.querySelector('audio,video')||{}).error||{}).message,"
                   u" html: document.body.innerHTML.slice(0, 300)})"_s)
                   .toString()
                   .toStdString();
        return false;
    }

    // Runs what shows a page and waits until the view has loaded it.
    void showBy(const std::function<void()>& showing) {
        bool loaded = false;
        const auto connection =
            QObject::connect(view.page(), &QWebEnginePage::loadFinished, &view, [&] { loaded = true; });
        showing();
        EXPECT_TRUE(QTest::qWaitFor([&] { return loaded; }, 20000));
        QObject::disconnect(connection);
    }
    // Writes and shows a page as the program does.
    void show(const QString& text) {
        showBy([&] { page.writeAndShow(text); });
    }

    QString url(const QString& path) const { return server.url(path); }

    static inline QTemporaryDir* s_media = nullptr;
    static inline bool s_made = false;

    LoopbackHttpServer server;
    FakeShell shell;
    WebEngineBrowserView view{shell};
    QTemporaryDir dir;
    PlayerPage page{dir.path(), view};
};

TEST_F(PlayerViewPlayback, RadioObjectBecomesAnAudioPlayerOfItsSize) {
    show(PlayerPage::radioPage(url(u"/radio.mp3"_s), u"Станция"_s));

    ASSERT_TRUE(playsForASecond("audio"));
    EXPECT_EQ(evaluate(u"document.querySelectorAll('object, embed').length"_s).toInt(), 0);
    EXPECT_EQ(evaluate(u"document.querySelector('audio').getBoundingClientRect().width"_s).toInt(), 360);
    EXPECT_EQ(evaluate(u"document.querySelector('audio').getBoundingClientRect().height"_s).toInt(), 64);
    EXPECT_EQ(evaluate(u"document.querySelector('audio').volume"_s).toDouble(), 1.0);
    EXPECT_TRUE(evaluate(u"document.querySelector('audio').controls"_s).toBool());
    EXPECT_EQ(evaluate(u"document.body.innerText.trim()"_s).toString(), u"Вы слушаете Станция"_s);
}

TEST_F(PlayerViewPlayback, RadioPlaysHlsAndPlaylists) {
    // A PLS whose first entry is dead, an M3U behind an address without an extension, HLS.
    server.route("/station.pls",
                 (u"[playlist]\nNumberOfEntries=2\nFile2=%1\nTitle2=live\nFile1=%2\nTitle1=dead\n"_s)
                     .arg(url(u"/radio.mp3"_s), url(u"/gone.mp3"_s))
                     .toUtf8(),
                 "audio/x-scpls");
    server.route("/listen", "#EXTM3U\r\n#EXTINF:-1,Test\r\nradio.mp3\r\n", "audio/x-mpegurl");
    for (const QString& address : {url(u"/station.pls"_s), url(u"/listen"_s), url(u"/audio/list.m3u8"_s)}) {
        SCOPED_TRACE(address.toStdString());
        show(PlayerPage::radioPage(address, u"Станция"_s));
        EXPECT_TRUE(playsForASecond("audio"));
    }
}

TEST_F(PlayerViewPlayback, TvFragmentWithHlsVideoPlays) {
    show(u"<video controls autoplay width=\"480\" height=\"270\"><source src=\"%1\" "
         u"type=\"application/x-mpegURL\"></video>"_s.arg(url(u"/video/list.m3u8"_s)));
    EXPECT_TRUE(playsForASecond("video"));
}

TEST_F(PlayerViewPlayback, AnImportedChannelPlaysAtTheViewsWidthWhenWider) {
    // The fragment an imported channel is stored as names no size; the stream is 320 pixels wide.
    view.resize(200, 300);
    show(u"<video controls autoplay src=\"%1\"></video>"_s.arg(url(u"/video/list.m3u8"_s)));
    ASSERT_TRUE(playsForASecond("video"));
    EXPECT_LE(evaluate(u"document.querySelector('video').getBoundingClientRect().width"_s).toInt(),
              evaluate(u"document.documentElement.clientWidth"_s).toInt());
    EXPECT_TRUE(
        evaluate(u"document.documentElement.scrollWidth <= document.documentElement.clientWidth"_s).toBool());
}

TEST_F(PlayerViewPlayback, OtherSitesPagesAreNotAdapted) {
    server.route("/site", "<html><body><object type=\"application/x-ms-wmp\"><param name=\"URL\" "
                          "value=\"/radio.mp3\"></object></body></html>");
    bool loaded = false;
    QObject::connect(view.page(), &QWebEnginePage::loadFinished, &view, [&] { loaded = true; });
    view.navigate(url(u"/site"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 20000));
    EXPECT_EQ(evaluate(u"document.querySelectorAll('object').length"_s).toInt(), 1);
    EXPECT_FALSE(evaluate(u"typeof window.__kveltoLoadHls === 'function'"_s).toBool());
}

TEST_F(PlayerViewPlayback, VideoPagesOfTodayPlayTheirPlayer) {
    // oEmbed discovery (relative address, entities), then Open Graph naming an HLS stream.
    server.route("/watch/oembed", R"(<html><head><link rel="alternate" type="application/json+oembed"
                 href="/oembed?format=json&amp;url=x"></head><body>Фильм</body></html>)");
    server.route("/oembed",
                 (u"{\"type\":\"video\",\"html\":\"<video controls autoplay src=\\\"%1\\\"></video>\"}"_s)
                     .arg(url(u"/clip.mp4"_s))
                     .toUtf8(),
                 "application/json");
    server.route("/watch/og", R"(<html><head><meta property="og:video" content="../video/list.m3u8">
                 <meta property="og:video:type" content="application/x-mpegURL"></head></html>)");
    PageFetcher fetcher;
    FakeDialogs dialogs;
    PlayCommand play(fetcher, page, dialogs);
    for (const char* path : {"/watch/oembed", "/watch/og"}) {
        SCOPED_TRACE(path);
        showBy([&] { play.playVideo(url(QString::fromLatin1(path))); });
        EXPECT_TRUE(playsForASecond("video"));
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // A page with the object keeps exactly the object, whatever else it names.
    server.route("/watch/object", R"(<meta property="og:video" content="/clip.mp4"><object id="p" width="320"
                 height="240"><param name="movie" value="/player.swf"></object>)");
    showBy([&] { play.playVideo(url(u"/watch/object"_s)); });
    EXPECT_EQ(pageText(page.path()), u"<HTML><BODY><div align=\"center\"><object id=\"p\" width=\"320\"\r\n"
                                     u"                 height=\"240\"><param name=\"movie\" "
                                     u"value=\"/player.swf\"></object></div></BODY></HTML>"_s);
}
