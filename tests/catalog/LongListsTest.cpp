// A long list shows its first rows at open(), already counting all of them, and gets the others
// afterwards: once they are in, the lists, current rows and error boxes are those a plain open
// gives, also when another process changed the file in between.
#include "catalog/TDataModule2.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every list holds two rows or more: with one first row, each of them is a long list.
const QString fixture =
    TempCatalog::schemaSql() +
    u"INSERT INTO bdf (films, fhttp) VALUES ('Яблоко', 'http://a/1'), (NULL, 'http://a/2'), ('Ёж', NULL);"
    u"INSERT INTO bdtv (tv, http) VALUES ('Первый', 'http://t/1'), ('Второй', 'http://t/2');"
    u"INSERT INTO radiolist (radio, radiolink) VALUES ('Rock FM', 'http://r/1'), ('Эхо', 'http://r/2');"
    u"INSERT INTO fbdf (films, http) VALUES ('Ёж', 'http://a/3'), ('Яблоко', 'http://a/1');"
    u"INSERT INTO fbdtv (tv, http) VALUES ('Первый', 'http://t/1'), ('Спорт', 'http://t/3');"
    u"INSERT INTO fbdr (radio, http) VALUES ('Маяк', 'http://f/1'), ('Эхо', 'http://r/2');"_s;

QList<Query*> lists(TDataModule2& data) {
    return {&data.ADOQuery1,          &data.ADOQuery2,       &data.ADOQuery3,
            &data.FavoriteVideoQuery, &data.FavoriteTVQuery, &data.FavoriteRadioQuery};
}

// What the user can see of an opened data component: the boxes in order, then each query's state.
QStringList seen(TDataModule2& data, const FakeDialogs& dialogs) {
    QStringList seen = dialogs.shown;
    for (Query* q : lists(data)) {
        QString line =
            q->name() + (q->isActive() ? u" open, current %1:"_s.arg(q->currentRow()) : u" closed:"_s);
        for (int i = 0; i < q->recordCount(); ++i)
            line += u' ' + (q->titleIsNull(i) ? u"<null>"_s : q->title(i)) + u'|' + q->address(i);
        seen << line;
    }
    return seen;
}

// Opened showing `firstRows` rows of each list; `between` runs after the rest was read and before
// it is brought.
QStringList opened(const QString& path, int firstRows, const std::function<void()>& between = {}) {
    TDataModule2 data(path);
    data.setFirstRows(firstRows);
    FakeDialogs dialogs;
    data.open(dialogs);
    if (!data.listsComplete()) { // the rest read before the file changes
        QSignalSpy read(&data, &TDataModule2::restRead);
        data.readRest();
        EXPECT_TRUE(read.wait(5000));
    }
    if (between)
        between();
    data.completeLists();
    EXPECT_TRUE(data.listsComplete());
    return seen(data, dialogs);
}

struct Case {
    const char* name;
    QString change; // SQL another process runs on the file; empty: none
};

} // namespace

TEST(LongLists, ShowTheirFirstRowsCountingAllAndBringTheRestWhenNeeded) {
    TempCatalog catalog(fixture);
    TDataModule2 data(catalog.path());
    data.setFirstRows(1);
    FakeDialogs dialogs;
    data.open(dialogs);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(data.listsComplete());
    Query& video = data.ADOQuery1;
    // What the window shows at once: the first row, current, and room for all three.
    EXPECT_EQ(video.rowCount(), 3);
    EXPECT_EQ(video.currentRow(), 0);
    EXPECT_EQ(video.currentTitle(), u"Яблоко"_s);
    EXPECT_EQ(video.data(video.index(0, 0), Qt::DisplayRole).toString(), u"Яблоко"_s);
    EXPECT_TRUE(video.awaitsRows());
    // Reading a row not shown yet brings every list's rest first.
    EXPECT_EQ(video.title(2), u"Ёж"_s);
    EXPECT_TRUE(data.listsComplete());
    EXPECT_EQ(data.FavoriteRadioQuery.recordCount(), 2);
    EXPECT_EQ(data.FavoriteRadioQuery.title(1), u"Эхо"_s);
    EXPECT_EQ(video.currentRow(), 0);

    // Read in the background, told when read, then brought without waiting.
    TDataModule2 later(catalog.path());
    later.setFirstRows(1);
    later.open(dialogs);
    QSignalSpy read(&later, &TDataModule2::restRead);
    later.readRest();
    ASSERT_TRUE(read.wait(5000));
    EXPECT_FALSE(later.listsComplete());
    later.completeLists();
    EXPECT_TRUE(later.listsComplete());
    EXPECT_EQ(seen(later, dialogs), seen(data, dialogs));

    // Sorting and adding work on the whole lists.
    TDataModule2 busy(catalog.path());
    busy.setFirstRows(1);
    busy.open(dialogs);
    busy.ADOQuery3.sort(u"radio"_s);
    // (Cyrillic comes first in the Russian order.)
    EXPECT_EQ(busy.ADOQuery3.title(0), u"Эхо"_s);
    EXPECT_EQ(busy.ADOQuery3.title(1), u"Rock FM"_s);
    busy.FavoriteTVQuery.insertRecord(u"Новости"_s, u"http://t/4"_s);
    EXPECT_EQ(busy.FavoriteTVQuery.recordCount(), 3);
    EXPECT_EQ(busy.FavoriteTVQuery.currentRow(), 2);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST(LongLists, OnceCompleteEqualAPlainOpenAlsoAfterAnotherProcessChangedTheFile) {
    const Case cases[] = {
        {"unchanged", {}},
        {"row_inserted", u"INSERT INTO bdtv (tv, http) VALUES ('Новый', 'http://t/5')"_s},
        {"row_deleted", u"DELETE FROM bdf WHERE films = 'Яблоко'"_s},
        {"title_changed", u"UPDATE radiolist SET radio = 'Маяк FM' WHERE radio = 'Эхо'"_s},
        {"column_renamed", u"ALTER TABLE radiolist RENAME COLUMN radio TO station"_s},
        {"table_dropped", u"DROP TABLE fbdtv"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempCatalog plain(fixture), early(fixture);
        if (!c.change.isEmpty())
            plain.exec(c.change);
        const QStringList expected = opened(plain.path(), 1000);
        const QStringList seen = opened(early.path(), 1, [&] {
            if (!c.change.isEmpty())
                early.exec(c.change);
        });
        EXPECT_EQ(seen, expected);
    }
}

TEST(LongLists, BrokenCatalogsGiveTheSameBoxesInTheSameOrder) {
    const Case cases[] = {
        {"table_missing", u"DROP TABLE bdtv; DROP TABLE fbdf"_s},
        {"title_column_missing", u"ALTER TABLE bdf RENAME COLUMN films TO name"_s},
        {"title_a_number",
         u"DROP TABLE radiolist; CREATE TABLE radiolist (key INTEGER PRIMARY KEY, "
         u"radio INTEGER, radiolink TEXT(255)); INSERT INTO radiolist (radio) VALUES (1), (2)"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempCatalog catalog(fixture);
        catalog.exec(c.change);
        const QStringList expected = opened(catalog.path(), 1000);
        ASSERT_FALSE(expected.size() == 6) << "the case refuses nothing";
        EXPECT_EQ(opened(catalog.path(), 1), expected);
    }
    // No file at all, and a file that is no database.
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"bdv.db"_s);
    EXPECT_EQ(opened(missing, 1), opened(missing, 1000));
    EXPECT_FALSE(QFile::exists(missing));
    const QString garbage = dir.filePath(u"garbage.db"_s);
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_EQ(opened(garbage, 1), opened(garbage, 1000));
}
