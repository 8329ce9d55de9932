#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include "player/PlayCommand.h"

#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray videoPage =
    "<html><object id=\"clip\"><param name=\"movie\" value=\"m.swf\"></object></html>";
const QByteArray videoPlayerPage = "<HTML><BODY><div align=\"center\"><object id=\"clip\"><param "
                                   "name=\"movie\" value=\"m.swf\"></object></div>"
                                   "</BODY></HTML>";

// The same catalog row played through each trigger gives the same page.
void playEachWay(MainWindowFixture& app, QTableView* grid, const QByteArray& expected) {
    const std::function<void()> triggers[] = {
        [&] { QTest::keyClick(app.form, Qt::Key_F2); },
        [&] { MainFormWidgets(app.form).sBitBtn2->click(); },
        [&] {
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                               grid->visualRect(grid->currentIndex()).center());
        },
        [&] { QTest::mouseDClick(grid->horizontalHeader()->viewport(), Qt::LeftButton); },
        [&] {
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                               QPoint(20, grid->viewport()->height() - 5));
        },
    };
    int n = 0;
    for (const auto& trigger : triggers) {
        QFile::remove(app.form->playerPagePath());
        app.player.targets.clear();
        trigger();
        EXPECT_EQ(app.playerPageBytes(), expected) << "trigger " << n;
        EXPECT_EQ(app.player.targets, QStringList{app.form->playerPagePath()}) << "trigger " << n;
        ++n;
    }
}

} // namespace

TEST(PlayFromWindow, EachKindPlaysFromKeyButtonAndDoubleClick) {
    MainWindowFixture app(
        TempCatalog::schemaSql() +
        u"INSERT INTO bdtv (tv, http) VALUES ('Первый', '<video src=\"a.mp4\">\nline</video>');"
        u"INSERT INTO radiolist (radio, radiolink) VALUES ('Радио \"Ёлка\"', 'http://r/s');"_s);
    app.server.route("/video", videoPage);
    app.db.exec(u"INSERT INTO bdf (films, fhttp) VALUES ('Клип', '%1/video')"_s.arg(app.siteBase()));
    app.start();
    const MainFormWidgets ui(app.form);

    playEachWay(app, ui.sDBGrid3, videoPlayerPage);
    EXPECT_EQ(app.server.requests().size(), 1 + 5); // the update check, then one download per play

    QTest::keyClick(app.form, Qt::Key_F7);
    playEachWay(app, ui.sDBGrid2, "<video src=\"a.mp4\">\nline</video>"); // stored fragment, unchanged

    QTest::keyClick(app.form, Qt::Key_F8);
    playEachWay(
        app, ui.sDBGrid1,
        QByteArray(
            "<html><body><div align=\"center\"><object id=\"mp\" type=\"application/x-ms-wmp\" "
            "width=\"360\" height=\"64\"><param name=\"URL\" value=\"http://r/s\"><param name=\"uiMode\" "
            "value=\"mini\"><param name=\"volume\" value=\"100\"><param name=\"autoStart\" "
            "value=\"true\"><embed type=\"application/x-mplayer2\" src=\"http://r/s\" width=\"360\" "
            "height=\"64\"></embed></object><br><strong>\xc2\xfb \xf1\xeb\xf3\xf8\xe0\xe5\xf2\xe5 "
            "\xd0\xe0\xe4\xe8\xee \"\xa8\xeb\xea\xe0\"</strong></div></body></html>"));
}

TEST(PlayFromWindow, AFailedDownloadKeepsThePageAndTheView) {
    MainWindowFixture app;
    app.server.route("/video", videoPage);
    app.start();
    app.form->holders().DBEdit1.bind(app.siteBase() + u"/video"_s);
    QTest::keyClick(app.form, Qt::Key_F2);
    const QStringList shown = app.player.targets;
    const QString memo1 = app.form->playCommand().memo1().text();
    const QString memo2 = app.form->playCommand().memo2().text();

    app.server.respond("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    QTest::keyClick(app.form, Qt::Key_F2);
    EXPECT_EQ(app.dialogs.shown.last(), u"message: Произошла ошибка подключения!"_s);
    EXPECT_EQ(app.playerPageBytes(), videoPlayerPage);
    EXPECT_EQ(app.player.targets, shown);
    EXPECT_EQ(app.form->playCommand().memo1().text(), memo1);
    EXPECT_EQ(app.form->playCommand().memo2().text(), memo2);
}

TEST(PlayFromWindow, FilmDownloadOffersTheFlvLinkOfTheCurrentVideo) {
    MainWindowFixture app;
    app.server.route("/film",
                     "<object id=\"videoplayer4655\" data=\"p.swf\"><param value=\"file=http://cdn/f/1.flv\">"
                     "</object>");
    app.start();
    app.data->ADOQuery1.setCurrentRow(1);
    app.form->holders().DBEdit1.bind(app.siteBase() + u"/film"_s);
    QTest::keyClick(app.form, Qt::Key_F8); // another list active: the current video all the same
    QTest::keyClick(app.form, Qt::Key_F3);
    EXPECT_TRUE(app.playerPageBytes().contains("<strong>\xcd\xee\xf1\xf4\xe5\xf0\xe0\xf2\xf3"));
    EXPECT_TRUE(app.playerPageBytes().contains("<a href=\"http://cdn/f/1.flv\">"));

    // A failed second download reaches the error box with the fetcher's message.
    app.server.route("/film", "<object id=\"videoplayer4655\"></object>");
    app.server.respond("HTTP/1.1 200 OK\r\nContent-Length: 29\r\n\r\n<object id=\"videoplayer4655\">");
    app.server.respond("HTTP/1.1 500 Server Error\r\nContent-Length: 0\r\n\r\n");
    MainFormWidgets(app.form).sBitBtn6->click();
    EXPECT_EQ(app.dialogs.shown.last(), u"error: HTTP/1.1 500 Server Error."_s);
}
