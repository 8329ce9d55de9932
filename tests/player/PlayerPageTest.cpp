#include "player/PlayerPage.h"
#include "base/CutBetween.h"
#include "base/Failure.h"
#include "base/TextHolder.h"
#include "player/PageFile.h"
#include "support/Failures.h"
#include "support/FakePorts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CutBetween, TakesTextAfterFirstStartUpToFollowingEnd) {
    const struct {
        QString text, start, end, result;
    } cases[] = {
        {u"abc<object id=\"X\">def</object>ghi"_s, u"<object id=\""_s, u"</object>"_s, u"X\">def"_s},
        // Missing end marker keeps the whole remainder.
        {u"abc<object id=\"X\">def"_s, u"<object id=\""_s, u"</object>"_s, u"X\">def"_s},
        {u"<object id=\"videoplayer4655\" width=\"1\">"_s, u"<object id=\""_s, u"\""_s, u"videoplayer4655"_s},
        // An end marker before the start marker plays no part.
        {u"</object>a<object id=\"Y</object>z"_s, u"<object id=\""_s, u"</object>"_s, u"Y"_s},
        {u"</object>a<object id=\"Y"_s, u"<object id=\""_s, u"</object>"_s, u"Y"_s},
        // Only the first start marker counts.
        {u"<object id=\"a\"><object id=\"b\">"_s, u"<object id=\""_s, u"\""_s, u"a"_s},
        // Missing start marker gives the empty text, whatever the length.
        {u"no marker here at all, long enough to cut"_s, u"<object id=\""_s, u"</object>"_s, u""_s},
        {u"<OBJECT ID=\"X\"></OBJECT>"_s, u"<object id=\""_s, u"</object>"_s, u""_s},
        {u""_s, u"file=http://"_s, u".flv\""_s, u""_s},
        // Line breaks and blanks stay as they are.
        {u"file=http:// a\r\nb .flv\""_s, u"file=http://"_s, u".flv\""_s, u" a\r\nb "_s},
        {u"x<b>Версия 7.1.5</b></div>"_s, u"<b>"_s, u"</b></div>"_s, u"Версия 7.1.5"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cutBetween(c.text, c.start, c.end), c.result) << c.text.toStdString();
}

TEST(TextHolder, PuttingTextInMakesEveryLineBreakCrLf) {
    const struct {
        QString in, held;
    } cases[] = {
        {u"a\nb"_s, u"a\r\nb"_s},
        {u"a\rb"_s, u"a\r\nb"_s},
        {u"a\r\nb"_s, u"a\r\nb"_s},
        {u"\n\r\r\n\n\r"_s, u"\r\n\r\n\r\n\r\n\r\n"_s},
        {u"\r\r\n"_s, u"\r\n\r\n"_s},
        {u"\n\n"_s, u"\r\n\r\n"_s},
        {u"ends with\n"_s, u"ends with\r\n"_s},
        {u"no breaks\t\u2028"_s, u"no breaks\t\u2028"_s},
        {u""_s, u""_s},
    };
    for (const auto& c : cases) {
        TextHolder holder;
        holder.setText(c.in);
        EXPECT_EQ(holder.text(), c.held) << c.in.toStdString();
    }
}

TEST(TextHolder, BindingKeepsTextAsStored) {
    TextHolder holder;
    holder.setText(u"old\n"_s);
    holder.bind(u"a\nb\rc"_s);
    EXPECT_EQ(holder.text(), u"a\nb\rc"_s);
}

TEST(PlayerPageTexts, VideoPageReplacesOnlyTheTemplatesPlaceholder) {
    EXPECT_EQ(PlayerPage::videoPage(u"v1\" data=\"ссылка\"><param value=\"ссылка\">"_s),
              u"<HTML><BODY><div align=\"center\"><object id=\"v1\" data=\"ссылка\"><param "
              u"value=\"ссылка\"></object></div></BODY></HTML>"_s);
    EXPECT_EQ(PlayerPage::videoPage(u""_s).size(), 79 - 6);
}

class PlayerPageFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeBrowserView view;
};

TEST_F(PlayerPageFile, RadioPageIsWrittenInWindows1251WithoutBomOrTrailingBreak) {
    ASSERT_TRUE(dir.isValid());
    PlayerPage page(dir.path(), view);
    const QString path = dir.filePath(u"main.html"_s);
    EXPECT_EQ(page.path(), path);

    // A longer page first: the file must be emptied, not overwritten in place.
    page.writeAndShow(QString(5000, u'x'));
    page.writeAndShow(
        PlayerPage::radioPage(u"http://127.0.0.1/s?a=1&b=\"<2>\""_s, u"Радио Ёлка \u2603 ъЯ\"<&"_s));

    const QByteArray address = "http://127.0.0.1/s?a=1&b=\"<2>\"";
    const QByteArray expected =
        "<html><body><div align=\"center\"><object id=\"mp\" type=\"application/x-ms-wmp\" width=\"360\" "
        "height=\"64\"><param name=\"URL\" value=\"" +
        address +
        "\"><param name=\"uiMode\" value=\"mini\"><param name=\"volume\" value=\"100\"><param "
        "name=\"autoStart\" value=\"true\"><embed type=\"application/x-mplayer2\" src=\"" +
        address +
        "\" width=\"360\" height=\"64\"></embed></object><br><strong>"
        // "Вы слушаете " then the name: one byte per Cyrillic letter, "?" for the snowman.
        "\xC2\xFB \xF1\xEB\xF3\xF8\xE0\xE5\xF2\xE5 "
        "\xD0\xE0\xE4\xE8\xEE \xA8\xEB\xEA\xE0 ? \xFA\xDF\"<&"
        "</strong></div></body></html>";
    EXPECT_EQ(pageBytes(path), expected);
    EXPECT_EQ(view.targets, QStringList({path, path}));
}

TEST_F(PlayerPageFile, FailedWriteShowsNothing) {
    ASSERT_TRUE(dir.isValid());
    PlayerPage page(dir.filePath(u"missing"_s), view);
    const QString failure = failureOf([&] { page.writeAndShow(u"<html></html>"_s); });
    EXPECT_TRUE(failure.contains(u"main.html"_s)) << failure.toStdString();
    EXPECT_TRUE(view.targets.isEmpty());
    EXPECT_FALSE(QFile::exists(page.path()));
}

TEST_F(PlayerPageFile, RefusedNavigationFailsAfterTheFileIsWritten) {
    ASSERT_TRUE(dir.isValid());
    PlayerPage page(dir.path(), view);
    view.refuse = true;
    EXPECT_THROW(page.writeAndShow(u"new"_s), Failure);
    EXPECT_EQ(pageBytes(page.path()), "new");
}
