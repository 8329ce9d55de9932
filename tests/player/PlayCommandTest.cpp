#include "player/PlayCommand.h"
#include "player/PageFile.h"
#include "player/PlayerPage.h"
#include "support/FakePorts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString connectionMessage = u"message: Произошла ошибка подключения!"_s;
}

class PlayCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeBrowserView view;
    FakeDialogs dialogs;
    FakePageSource source;
    PlayerPage page{dir.path(), view};
    PlayCommand play{source, page, dialogs};
    const QString mainHtml = dir.filePath(u"main.html"_s);
};

TEST_F(PlayCommandTest, VideoShowsFirstObjectOfDownloadedPage) {
    const QString address = u"http://127.0.0.1/video/1"_s;
    source.pages[address] = u"<p>head</object>\n<object id=\"v1\" data=\"ссылка\">\n<param/>"
                            u"</object>tail</object><object id=\"v2\"></object>"_s;

    play.playVideo(address);

    EXPECT_EQ(source.requests, QStringList{address});
    EXPECT_EQ(play.memo2().text(), u"v1\" data=\"ссылка\">\r\n<param/>"_s);
    EXPECT_EQ(play.memo1().text(), u"<HTML><BODY><div align=\"center\"><object id=\"v1\" data=\"ссылка\">\r\n"
                                   u"<param/></object></div></BODY></HTML>"_s);
    EXPECT_EQ(pageText(mainHtml), play.memo1().text());
    EXPECT_EQ(view.targets, QStringList{mainHtml});
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(PlayCommandTest, FailedDownloadLeavesPageViewAndHoldersAlone) {
    const QString good = u"http://127.0.0.1/good"_s;
    source.pages[good] = u"<object id=\"ok\"></object>"_s;
    play.playVideo(good);
    const QByteArray fileBefore = pageBytes(mainHtml);
    const QString memo1Before = play.memo1().text();
    const QString memo2Before = play.memo2().text();

    play.playVideo(u"http://127.0.0.1/missing"_s);

    EXPECT_EQ(dialogs.shown, QStringList{connectionMessage});
    EXPECT_EQ(pageBytes(mainHtml), fileBefore);
    EXPECT_EQ(view.targets, QStringList{mainHtml});
    EXPECT_EQ(play.memo1().text(), memo1Before);
    EXPECT_EQ(play.memo2().text(), memo2Before);
}

TEST_F(PlayCommandTest, VideoPageWithoutMarkersShowsEmptyObject) {
    const QString address = u"http://127.0.0.1/plain"_s;
    source.pages[address] = u"<html>no player here</html>"_s;
    play.playVideo(address);
    EXPECT_EQ(pageBytes(mainHtml),
              "<HTML><BODY><div align=\"center\"><object id=\"</object></div></BODY></HTML>");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(PlayCommandTest, PageWithObjectKeepsItEvenWhenItNamesOtherPlayers) {
    const QString address = u"http://127.0.0.1/video/2"_s;
    source.pages[address] = u"<link rel=\"alternate\" type=\"application/json+oembed\" href=\"/o\">"
                            u"<meta property=\"og:video\" content=\"/e\"><object id=\"v\"></object>"_s;
    play.playVideo(address);
    EXPECT_EQ(source.requests, QStringList{address});
    EXPECT_EQ(pageBytes(mainHtml),
              "<HTML><BODY><div align=\"center\"><object id=\"v\"></object></div></BODY></HTML>");
}

TEST_F(PlayCommandTest, PageWithoutObjectPlaysItsOEmbedPlayerFromTheRedirectedAddress) {
    const QString address = u"http://127.0.0.1/old/film"_s;
    source.redirects[address] = u"http://127.0.0.1:8080/new/film?id=3"_s;
    source.pages[address] = u"<html><head><link rel=\"alternate\" type=\"application/json+oembed\" "
                            u"href=\"oembed?id=3&amp;format=json\"></head><body>Фильм</body></html>"_s;
    const QString endpoint = u"http://127.0.0.1:8080/new/oembed?id=3&format=json"_s;
    source.pages[endpoint] =
        u"{\"type\":\"video\",\"title\":\"x\","
        u"\"html\":\"<iframe src=\\\"http://127.0.0.1:8080/embed/3\\\">\\n</iframe>\"}"_s;

    play.playVideo(address);

    EXPECT_EQ(source.requests, QStringList({address, endpoint}));
    EXPECT_EQ(play.memo2().text(), u"<iframe src=\"http://127.0.0.1:8080/embed/3\">\r\n</iframe>"_s);
    EXPECT_EQ(pageBytes(mainHtml),
              "<HTML><BODY><div align=\"center\"><iframe src=\"http://127.0.0.1:8080/embed/3\">"
              "\r\n</iframe></div></BODY></HTML>");
    EXPECT_EQ(pageText(mainHtml), play.memo1().text());
    EXPECT_EQ(view.targets, QStringList{mainHtml});
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(PlayCommandTest, TvFragmentIsWrittenExactlyAsHeld) {
    play.playTv(u"<embed src=\"a\">\n<b>Канал</b>\r"_s);
    EXPECT_EQ(pageBytes(mainHtml), "<embed src=\"a\">\n<b>\xCA\xE0\xED\xE0\xEB</b>\r");
    EXPECT_EQ(view.targets, QStringList{mainHtml});
    EXPECT_TRUE(source.requests.isEmpty());

    play.playTv(u""_s);
    EXPECT_EQ(pageBytes(mainHtml), QByteArray());
    EXPECT_EQ(view.targets.size(), 2);
}

TEST_F(PlayCommandTest, RadioGoesThroughItsHolder) {
    play.playRadio(u"mms://127.0.0.1/a"_s, u"Станция\nдва"_s);
    EXPECT_EQ(play.radioMemo().text(), PlayerPage::radioPage(u"mms://127.0.0.1/a"_s, u"Станция\r\nдва"_s));
    EXPECT_EQ(pageText(mainHtml), play.radioMemo().text());

    play.playRadio(u""_s, u""_s);
    EXPECT_EQ(pageText(mainHtml), PlayerPage::radioPage(u""_s, u""_s));
    EXPECT_EQ(view.targets.size(), 2);
    EXPECT_TRUE(source.requests.isEmpty());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST(PlayCommandFailures, WriteOrShowFailureGivesConnectionMessage) {
    QTemporaryDir dir;
    FakeBrowserView view;
    FakeDialogs dialogs;
    FakePageSource source;

    PlayerPage unwritable(dir.filePath(u"missing"_s), view);
    PlayCommand play(source, unwritable, dialogs);
    play.playRadio(u"a"_s, u"b"_s);
    EXPECT_EQ(dialogs.shown, QStringList{connectionMessage});
    EXPECT_TRUE(view.targets.isEmpty());
    // The holder already holds the new page.
    EXPECT_EQ(play.radioMemo().text(), PlayerPage::radioPage(u"a"_s, u"b"_s));

    PlayerPage page(dir.path(), view);
    PlayCommand refused(source, page, dialogs);
    view.refuse = true;
    refused.playTv(u"tv"_s);
    EXPECT_EQ(dialogs.shown, QStringList({connectionMessage, connectionMessage}));
    EXPECT_EQ(pageBytes(page.path()), "tv");
}
