#include "base/Failure.h"
#include "catalog/TDataModule2.h"
#include "support/Failures.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList titles(const Query& q) {
    QStringList out;
    for (int i = 0; i < q.recordCount(); ++i)
        out << (q.titleIsNull(i) ? u"<null>"_s : q.title(i));
    return out;
}

const QString fixture =
    TempCatalog::schemaSql() +
    u"INSERT INTO bdf (films, fhttp) VALUES ('Яблоко', 'http://a/1'), (NULL, 'http://a/2'),"
    u" ('арбуз', NULL), ('Ёж', 'http://a/4'), ('Бобр', 'http://a/5');"
    u"INSERT INTO radiolist (radio, radiolink) VALUES ('Новое радио', 'http://r/1'),"
    u" ('Rock FM', 'http://r/2'), ('НОВОСТИ', 'http://r/3'), ('It''s jazz', 'http://r/4');"_s;

// A catalog file opened by the data component, with the main window's holders bound.
struct OpenCatalog {
    explicit OpenCatalog(const QString& sql) : db(sql), data(db.path()) {
        data.bindMain(holders, &context);
        data.open(dialogs);
    }
    TempCatalog db;
    TDataModule2 data;
    MainHolders holders;
    QObject context;
    FakeDialogs dialogs;
};

} // namespace

TEST(DataModule, OpensAllSixQueriesWithTheirStartStatements) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join(u'\n').toStdString();
    EXPECT_EQ(data.ADOQuery1.statementText(), u"SELECT*\r\nFROM bdf\r\n"_s);
    EXPECT_EQ(titles(data.ADOQuery1),
              (QStringList{u"Яблоко"_s, u"<null>"_s, u"арбуз"_s, u"Ёж"_s, u"Бобр"_s}));
    EXPECT_EQ(data.ADOQuery1.currentRow(), 0);
    EXPECT_EQ(data.ADOQuery2.recordCount(), 0);
    EXPECT_EQ(data.ADOQuery2.currentRow(), -1);
    for (Query* q : {&data.ADOQuery1, &data.ADOQuery2, &data.ADOQuery3, &data.FavoriteVideoQuery,
                     &data.FavoriteTVQuery, &data.FavoriteRadioQuery})
        EXPECT_TRUE(q->isActive()) << q->name().toStdString();
    // NULL reads as empty text.
    data.ADOQuery1.setCurrentRow(2);
    EXPECT_EQ(data.ADOQuery1.currentAddress(), QString());
    EXPECT_EQ(data.ADOQuery1.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Видео"_s);
}

TEST(DataModule, MissingFileGivesSevenErrorBoxesAndCreatesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"bdv.db"_s);
    TDataModule2 data(path);
    FakeDialogs dialogs;
    data.open(dialogs);
    ASSERT_EQ(dialogs.shown.size(), 7);
    for (const QString& box : dialogs.shown)
        EXPECT_EQ(box, u"error: unable to open database file."_s);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(data.ADOQuery1.isActive());
    // Every operation on a closed query names it.
    EXPECT_EQ(failureOf([&] { data.ADOQuery2.sort(u"tv"_s); }),
              u"ADOQuery2: Cannot perform this operation on a closed dataset"_s);
    EXPECT_EQ(failureOf([&] { data.FavoriteTVQuery.insertRecord(u"a"_s, u"b"_s); }),
              u"FavoriteTVQuery: Cannot perform this operation on a closed dataset"_s);
    EXPECT_EQ(failureOf([&] { data.FavoriteRadioQuery.deleteCurrent(); }),
              u"FavoriteRadioQuery: Cannot perform this operation on a closed dataset"_s);
    // A search meets the same failure at the video list.
    EXPECT_EQ(failureOf([&] { data.search(u"a"_s); }), u"unable to open database file"_s);
}

TEST(DataModule, ABrokenTableFailsOnlyItsOwnQuery) {
    const struct {
        const char16_t* replaceBdtv;
        const char16_t* message;
    } cases[] = {
        {u"CREATE TABLE bdtv (key INTEGER PRIMARY KEY, name TEXT, http TEXT);",
         u"ADOQuery2: Field 'tv' not found"},
        {u"CREATE TABLE bdtv (key INTEGER PRIMARY KEY, tv INTEGER, http TEXT);",
         u"ADOQuery2: Type mismatch for field 'tv', expecting: WideString"},
        {u"", u"no such table: bdtv"},
    };
    for (const auto& c : cases) {
        TempCatalog db(TempCatalog::schemaSql());
        db.exec(u"DROP TABLE bdtv;"_s + QString::fromUtf16(c.replaceBdtv));
        TDataModule2 data(db.path());
        FakeDialogs dialogs;
        data.open(dialogs);
        EXPECT_EQ(dialogs.shown, QStringList{u"error: "_s + QString::fromUtf16(c.message) + u"."_s});
        EXPECT_FALSE(data.ADOQuery2.isActive());
        EXPECT_TRUE(data.ADOQuery1.isActive());
        EXPECT_TRUE(data.ADOQuery3.isActive());
    }
}

TEST(Query, AShorterDeclaredColumnShortensTheField) {
    const struct {
        const char* type;
        QString title;
    } cases[] = {
        {"VARCHAR(5)", u"Киноф"_s},
        {"NVARCHAR ( 3 )", u"Кин"_s},
        {"TEXT(0)", u""_s},
        {"VARCHAR(4, 2)", u"Кинофильм"_s},     // two numbers: no length
        {"TEXT(99999999999)", u"Кинофильм"_s}, // beyond any length: no limit
        {"TEXT", u"Кинофильм"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        OpenCatalog catalog(TempCatalog::schemaSql() +
                            u"DROP TABLE bdf;"
                            u"CREATE TABLE bdf (key INTEGER PRIMARY KEY, films "_s +
                            QString::fromLatin1(c.type) +
                            u", fhttp TEXT);"
                            u"INSERT INTO bdf (films, fhttp) VALUES ('Кинофильм', 'x');"_s);
        auto& [db, data, holders, context, dialogs] = catalog;
        EXPECT_EQ(data.ADOQuery1.title(0), c.title);
    }
}

TEST(Query, SearchUsesTheTextAsAParameter) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    const struct {
        QString text;
        QStringList radio;
    } cases[] = {
        {u"нов"_s, {u"Новое радио"_s, u"НОВОСТИ"_s}},
        {u"'"_s, {u"It's jazz"_s}},
        {u"%"_s, {u"Новое радио"_s, u"Rock FM"_s, u"НОВОСТИ"_s, u"It's jazz"_s}},
        {u"а%и"_s, {u"Новое радио"_s}},
        {u"'; DROP TABLE radiolist; --"_s, {}},
        {u"\\"_s, {}},
        {QString(1000, u'x'), {}},
        {u""_s, {u"Новое радио"_s, u"Rock FM"_s, u"НОВОСТИ"_s, u"It's jazz"_s}},
    };
    for (const auto& c : cases) {
        data.search(c.text);
        EXPECT_EQ(titles(data.ADOQuery3), c.radio) << c.text.toStdString();
    }
    EXPECT_EQ(data.ADOQuery3.statementText(),
              u"SELECT*\r\nFROM radiolist\r\nWHERE radio LIKE '%' || ? || '%'\r\n"_s);
    // After any search a NULL title is gone, also with the empty text.
    EXPECT_EQ(titles(data.ADOQuery1), (QStringList{u"Яблоко"_s, u"арбуз"_s, u"Ёж"_s, u"Бобр"_s}));
    EXPECT_EQ(db.scalar(u"SELECT count(*) FROM radiolist"_s), u"4"_s);
}

TEST(Query, SortOrdersTheSnapshotAndKeepsTheCurrentRecord) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    Query& q = data.ADOQuery1;
    q.setCurrentRow(4); // Бобр
    QSignalSpy changes(&q, &Query::dataChange);
    q.sort(u"films"_s);
    EXPECT_EQ(titles(q), (QStringList{u"<null>"_s, u"арбуз"_s, u"Бобр"_s, u"Ёж"_s, u"Яблоко"_s}));
    EXPECT_EQ(q.currentTitle(), u"Бобр"_s);
    EXPECT_EQ(changes.count(), 1);
    // The next run of the statement brings back the engine's order.
    data.search(QString());
    EXPECT_EQ(titles(q), (QStringList{u"Яблоко"_s, u"арбуз"_s, u"Ёж"_s, u"Бобр"_s}));
}

TEST(Query, InsertAndDeleteAreWrittenAtOnce) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    Query& fav = data.FavoriteRadioQuery;
    fav.insertRecord(u"Станция"_s, u"http://s/1"_s);
    fav.insertRecord(QString(), u"http://s/2"_s); // an empty title is left unset
    fav.insertRecord(u"Третья"_s, u"http://s/3"_s);
    EXPECT_EQ(fav.currentRow(), 2);
    EXPECT_EQ(db.scalar(u"SELECT count(*) FROM fbdr"_s), u"3"_s);
    EXPECT_EQ(db.scalar(u"SELECT radio FROM fbdr WHERE http = 'http://s/2'"_s), u"NULL"_s);

    fav.setCurrentRow(1);
    fav.deleteCurrent(); // the following row becomes current
    EXPECT_EQ(fav.currentTitle(), u"Третья"_s);
    fav.deleteCurrent(); // the last row: the new last row becomes current
    EXPECT_EQ(fav.currentTitle(), u"Станция"_s);
    fav.deleteCurrent();
    EXPECT_EQ(fav.currentRow(), -1);
    EXPECT_EQ(db.scalar(u"SELECT count(*) FROM fbdr"_s), u"0"_s);
    EXPECT_NE(failureOf([&] { fav.deleteCurrent(); }), u"<no failure>"_s);
}

TEST(Query, ARefusedInsertStoresNothingAndKeepsTheSnapshot) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    db.exec(u"CREATE TRIGGER no_insert BEFORE INSERT ON fbdf BEGIN SELECT RAISE(ABORT, 'attempt to write a "
            u"readonly database'); END;"_s);
    EXPECT_EQ(failureOf([&] { data.FavoriteVideoQuery.insertRecord(u"a"_s, u"b"_s); }),
              u"attempt to write a readonly database"_s);
    EXPECT_EQ(data.FavoriteVideoQuery.recordCount(), 0);
}

TEST(DataModule, HoldersFollowTheCurrentRowUntilWrittenOver) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    EXPECT_EQ(holders.VideoNameDBEdit.text(), u"Яблоко"_s);
    EXPECT_EQ(holders.DBEdit1.text(), u"http://a/1"_s);
    EXPECT_EQ(holders.RadioDBEdit.text(), u"http://r/1"_s);

    holders.DBEdit1.bind(u"favorite"_s);
    data.ADOQuery1.setCurrentRow(0); // the row that is already current: nothing changes
    EXPECT_EQ(holders.DBEdit1.text(), u"favorite"_s);
    data.ADOQuery1.setCurrentRow(1);
    data.ADOQuery1.setCurrentRow(0);
    EXPECT_EQ(holders.DBEdit1.text(), u"http://a/1"_s);

    data.search(u"nothing matches this"_s);
    EXPECT_EQ(holders.VideoNameDBEdit.text(), QString());
    EXPECT_EQ(holders.DBEdit1.text(), QString());
}

TEST(DataModule, ASearchStopsAtTheRefusedListAndLeavesTheLaterOnesAlone) {
    OpenCatalog catalog(fixture + u"INSERT INTO bdtv (tv, http) VALUES ('Канал', '<p>');"_s);
    auto& [db, data, holders, context, dialogs] = catalog;
    ASSERT_EQ(holders.TVNameDBEdit.text(), u"Канал"_s);
    data.ADOQuery3.setCurrentRow(2);
    // Another process renames the TV title column away.
    db.exec(u"ALTER TABLE bdtv RENAME COLUMN tv TO name;"_s);
    EXPECT_EQ(failureOf([&] { data.search(u"б"_s); }), u"no such column: tv"_s);
    EXPECT_EQ(titles(data.ADOQuery1), (QStringList{u"Яблоко"_s, u"арбуз"_s, u"Бобр"_s}));
    EXPECT_FALSE(data.ADOQuery2.isActive());
    EXPECT_EQ(holders.TVNameDBEdit.text(), QString());
    EXPECT_EQ(holders.DBMemo1.text(), QString());
    EXPECT_EQ(data.ADOQuery3.recordCount(), 4); // untouched, its current row too
    EXPECT_EQ(holders.RadioNameDBEdit.text(), u"НОВОСТИ"_s);
    EXPECT_EQ(data.ADOQuery3.currentRow(), 2);
    EXPECT_EQ(data.ADOQuery3.statementText(), u"SELECT*\r\nFROM radiolist\r\n"_s);
}

TEST(DataModule, ASearchConnectionThatCannotBeOpenedRefusesTheVideoList) {
    OpenCatalog catalog(fixture);
    auto& [db, data, holders, context, dialogs] = catalog;
    data.ADOQuery3.setCurrentRow(1);
    // The file goes away while the program keeps its own connection: a search's extra
    // connections (opened at the first search) cannot be opened any more.
    ASSERT_TRUE(QFile::rename(db.path(), db.path() + u".gone"_s));
    EXPECT_EQ(failureOf([&] { data.search(u"б"_s); }), u"unable to open database file"_s);
    EXPECT_FALSE(data.ADOQuery1.isActive());
    EXPECT_EQ(holders.VideoNameDBEdit.text(), QString());
    EXPECT_EQ(data.ADOQuery2.statementText(), u"SELECT*\r\nFROM bdtv\r\n"_s); // untouched
    EXPECT_TRUE(data.ADOQuery2.isActive());
    EXPECT_EQ(data.ADOQuery3.recordCount(), 4);
    EXPECT_EQ(data.ADOQuery3.currentRow(), 1);
}
