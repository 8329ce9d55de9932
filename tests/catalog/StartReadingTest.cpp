// Lists read in the background while the windows are built must open exactly as lists read at
// open(): the same rows, current rows and error boxes in the same order, also when another
// process changes the file after the early read.
#include "catalog/TDataModule2.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <QFile>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString fixture =
    TempCatalog::schemaSql() +
    u"INSERT INTO bdf (films, fhttp) VALUES ('Яблоко', 'http://a/1'), (NULL, 'http://a/2'), ('Ёж', NULL);"
    u"INSERT INTO bdtv (tv, http) VALUES ('Первый', 'http://t/1');"
    u"INSERT INTO radiolist (radio, radiolink) VALUES ('Rock FM', 'http://r/1'), ('Эхо', 'http://r/2');"
    u"INSERT INTO fbdr (radio, http) VALUES ('Маяк', 'http://f/1');"_s;

// What the user can see of an opened data component: the boxes in order, then each query's state.
QStringList opened(const QString& path, bool early, const std::function<void()>& between = {}) {
    TDataModule2 data(path);
    if (early) {
        data.startReading();
        QThread::msleep(150); // the early read is done before the file changes
    }
    if (between)
        between();
    FakeDialogs dialogs;
    data.open(dialogs);
    QStringList seen = dialogs.shown;
    for (Query* q : {&data.ADOQuery1, &data.ADOQuery2, &data.ADOQuery3, &data.FavoriteVideoQuery,
                     &data.FavoriteTVQuery, &data.FavoriteRadioQuery}) {
        QString line =
            q->name() + (q->isActive() ? u" open, current %1:"_s.arg(q->currentRow()) : u" closed:"_s);
        for (int i = 0; i < q->recordCount(); ++i)
            line += u' ' + (q->titleIsNull(i) ? u"<null>"_s : q->title(i)) + u'|' + q->address(i);
        seen << line;
    }
    return seen;
}

struct Case {
    const char* name;
    QString change; // SQL another process runs on the file after the early read; empty: none
};

} // namespace

TEST(StartReading, OpensWhatOpenAloneShowsAlsoAfterAnotherProcessChangedTheFile) {
    const Case cases[] = {
        {"unchanged", {}},
        {"row_inserted", u"INSERT INTO bdtv (tv, http) VALUES ('Новый', 'http://t/2')"_s},
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
        const QStringList expected = opened(plain.path(), false);
        const QStringList seen = opened(early.path(), true, [&] {
            if (!c.change.isEmpty())
                early.exec(c.change);
        });
        EXPECT_EQ(seen, expected);
    }
}

TEST(StartReading, BrokenCatalogsGiveTheSameBoxesInTheSameOrder) {
    const Case cases[] = {
        {"table_missing", u"DROP TABLE bdtv; DROP TABLE fbdf"_s},
        {"title_column_missing", u"ALTER TABLE bdf RENAME COLUMN films TO name"_s},
        {"title_a_number", u"DROP TABLE radiolist; CREATE TABLE radiolist (key INTEGER PRIMARY KEY, "
                           u"radio INTEGER, radiolink TEXT(255))"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempCatalog catalog(fixture);
        catalog.exec(c.change);
        const QStringList expected = opened(catalog.path(), false);
        ASSERT_FALSE(expected.size() == 6) << "the case refuses nothing";
        EXPECT_EQ(opened(catalog.path(), true), expected);
    }
    // No file at all, and a file that is no database.
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"bdv.db"_s);
    EXPECT_EQ(opened(missing, true), opened(missing, false));
    EXPECT_FALSE(QFile::exists(missing));
    const QString garbage = dir.filePath(u"garbage.db"_s);
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_EQ(opened(garbage, true), opened(garbage, false));
}
