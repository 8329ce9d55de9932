#include "player/FilmDownload.h"
#include "base/Failure.h"
#include "player/PageFile.h"
#include "player/PlayerPage.h"
#include "support/Failures.h"
#include "support/FakePorts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString address = u"http://127.0.0.1/film/7"_s;
const QString acceptedPage = u"<div><object id=\"videoplayer4655\" width=\"400\">"
                             u"<param name=\"flashvars\" value=\"st=1&file=http://cdn.example/f/42.flv\">"
                             u"</object> file=http://other/x.flv\"</div>"_s;

// Answers one Get after another from a script; a missing answer is a failed download.
class ScriptedSource : public PageSource {
public:
    QString get(const QString& address) override {
        requests << address;
        const std::optional<QString> answer = answers.isEmpty() ? std::nullopt : answers.takeFirst();
        if (!answer)
            throw Failure(u"HTTP/1.1 503 Service Unavailable"_s);
        return *answer;
    }
    QList<std::optional<QString>> answers;
    QStringList requests;
};

} // namespace

class FilmDownloadTest : public ::testing::Test {
protected:
    void run() {
        film.run(
            [this] {
                ++addressReads;
                return address;
            },
            [] { return u"Кино <1> & \"Co\""_s; });
    }

    QTemporaryDir dir;
    FakeBrowserView view;
    FakeDialogs dialogs;
    ScriptedSource source;
    PlayerPage page{dir.path(), view};
    FilmDownload film{source, page, dialogs};
    int addressReads = 0;
    const QString mainHtml = dir.filePath(u"main.html"_s);
};

TEST_F(FilmDownloadTest, AcceptedPlayerGetsDownloadPage) {
    source.answers = {acceptedPage, acceptedPage};
    run();

    EXPECT_EQ(source.requests, QStringList({address, address}));
    EXPECT_EQ(addressReads, 2);
    const QString expected =
        u"<html><body><div align=\"center\">Вы пытаетесь скачать фильм <strong>"
        u"Кино <1> & \"Co\""
        u".</strong> Для перехода к скачиванию фильма нажмите на ссылку <a href=\"http://"
        u"cdn.example/f/42"
        u".flv\">Скачать фильм</a></div></body></html>"_s;
    EXPECT_EQ(film.linkMemo().text(), expected);
    EXPECT_EQ(pageText(mainHtml), expected);
    EXPECT_EQ(pageBytes(mainHtml).size(), expected.size()); // one byte a character, no BOM
    EXPECT_EQ(view.targets, QStringList{mainHtml});
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(FilmDownloadTest, LinkIsTakenFromTheSecondDownload) {
    source.answers = {acceptedPage, u"<object id=\"videoplayer4655\">"_s};
    run();
    // No link markers: the link is empty and the page is shown all the same.
    EXPECT_TRUE(pageText(mainHtml).contains(u"<a href=\"http://.flv\">"_s));
}

TEST_F(FilmDownloadTest, OtherPlayersAreRefusedAfterOneDownload) {
    const QString pages[] = {
        u"<object id=\"videoplayer4656\">file=http://a/b.flv\""_s,
        u"<object id=\"VideoPlayer4655\">file=http://a/b.flv\""_s,
        u"<object id=\"videoplayer4655 \">"_s,
        u"<object id=\"flash\"></object><object id=\"videoplayer4655\">file=http://a/b.flv\""_s,
        u"<embed id=\"videoplayer4655\">file=http://a/b.flv\""_s,
        u""_s,
    };
    for (const QString& html : pages) {
        ScriptedSource oneShot;
        FakeDialogs said;
        FilmDownload refusing(oneShot, page, said);
        oneShot.answers = {html, acceptedPage};
        refusing.run([] { return address; }, [] { return u"t"_s; });
        EXPECT_EQ(oneShot.requests.size(), 1) << html.toStdString();
        EXPECT_EQ(said.shown, QStringList{u"message: Простите, но выбранное вами видео скачать нельзя!"_s})
            << html.toStdString();
    }
    EXPECT_TRUE(view.targets.isEmpty());
    EXPECT_FALSE(QFile::exists(mainHtml));
}

TEST_F(FilmDownloadTest, FailedCheckEndsWithConnectionMessage) {
    // An earlier accepted run must not make a later failed check go on to the link.
    source.answers = {acceptedPage, acceptedPage, std::nullopt, acceptedPage};
    run();
    const QByteArray shown = pageBytes(mainHtml);
    run();

    EXPECT_EQ(source.requests.size(), 3);
    EXPECT_EQ(dialogs.shown, QStringList{u"message: Произошла ошибка подключения!"_s});
    EXPECT_EQ(view.targets.size(), 1);
    EXPECT_EQ(pageBytes(mainHtml), shown);
}

TEST_F(FilmDownloadTest, FailedLinkDownloadReachesTheCaller) {
    page.writeAndShow(u"before"_s);
    source.answers = {acceptedPage, std::nullopt};
    EXPECT_EQ(failureOf([&] { run(); }), u"HTTP/1.1 503 Service Unavailable"_s);
    EXPECT_EQ(source.requests.size(), 2);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(view.targets, QStringList{mainHtml});
    EXPECT_EQ(pageBytes(mainHtml), "before");
}
