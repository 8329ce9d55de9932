#include "player/FreeFileName.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FreeFileName, KeepsAFreeNameElseNumbersBeforeTheExtension) {
    struct Case {
        QString suggested;
        QSet<QString> taken;
        QString expected;
    };
    const Case cases[] = {
        {u"film.mp4"_s, {}, u"film.mp4"_s},
        {u"film.mp4"_s, {u"film.mp4"_s}, u"film (1).mp4"_s},
        {u"film.mp4"_s, {u"film.mp4"_s, u"film (1).mp4"_s, u"film (3).mp4"_s}, u"film (2).mp4"_s},
        {u"my.old.film.avi"_s, {u"my.old.film.avi"_s}, u"my.old.film (1).avi"_s},
        {u"film"_s, {u"film"_s}, u"film (1)"_s},
        {u".film"_s, {u".film"_s}, u".film (1)"_s},
        // A name from the network stays inside the target folder.
        {u"../../etc/film.mp4"_s, {}, u"film.mp4"_s},
        {u"..\\film.mp4"_s, {}, u"film.mp4"_s},
        {u".."_s, {}, u"download"_s},
        {u""_s, {u"download"_s}, u"download (1)"_s},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(freeFileName(c.suggested, [&](const QString& name) { return c.taken.contains(name); }),
                  c.expected)
            << c.suggested.toStdString();
    }
}

TEST(FreeFileName, LooksAtTheFilesOfTheFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(freeFileName(dir.path(), u"Фильм.mp4"_s), u"Фильм.mp4"_s);
    QFile taken(dir.filePath(u"Фильм.mp4"_s));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    EXPECT_EQ(freeFileName(dir.path(), u"Фильм.mp4"_s), u"Фильм (1).mp4"_s);
}

TEST(DownloadProgressText, ShowsPercentOrMegabytesAndTheSpeed) {
    constexpr qint64 mb = 1024 * 1024;
    struct Case {
        qint64 received;
        qint64 total;
        qint64 elapsedMs;
        QString expected;
    };
    const Case cases[] = {
        {42 * mb, 100 * mb, 32'000, u"Скачивание фильма: 42 % (1,3 МБ/с)"_s},
        {0, 100 * mb, 0, u"Скачивание фильма: 0 % (0,0 МБ/с)"_s},
        {100 * mb, 100 * mb, 10'000, u"Скачивание фильма: 100 % (10,0 МБ/с)"_s},
        // Sizes past 2 GiB must not overflow the percentage.
        {3 * 1024 * mb, 6 * 1024 * mb, 1'000, u"Скачивание фильма: 50 % (3072,0 МБ/с)"_s},
        // Unknown total: the amount received.
        {25 * mb / 2, -1, 5'000, u"Скачивание фильма: 12,5 МБ (2,5 МБ/с)"_s},
        {25 * mb / 2, 0, 5'000, u"Скачивание фильма: 12,5 МБ (2,5 МБ/с)"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(downloadProgressText(c.received, c.total, c.elapsedMs), c.expected) << c.received;
}
