// Searches answered from memory against the same searches run as statements: two data components
// on one file, one of them always running the statements, must show the same after every step.
#include "catalog/TDataModule2.h"
#include "support/Failures.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// What the user can see of the three lists after a search.
QString shown(TDataModule2& data, const QString& text) {
    QString out = failureOf([&] { data.search(text); }) + u'\n';
    for (Query* query : {&data.ADOQuery1, &data.ADOQuery2, &data.ADOQuery3}) {
        out += query->isActive() ? u"open"_s : u"closed"_s;
        out += u" current %1:"_s.arg(query->currentRow());
        for (int i = 0; i < query->recordCount(); ++i)
            out +=
                u" [%1|%2]"_s.arg(query->titleIsNull(i) ? u"<null>"_s : query->title(i), query->address(i));
        out += u" | "_s + query->statementText() + u'\n';
    }
    return out;
}

struct Twins {
    explicit Twins(const QString& sql) : db(sql), memory(db.path()), statements(db.path()) {
        statements.setSearchInMemory(false);
        memory.open(dialogs);
        statements.open(dialogs);
    }
    void expectSame(const QString& text) {
        const QString expected = shown(statements, text);
        EXPECT_EQ(shown(memory, text), expected) << text.toStdString();
    }
    TempCatalog db;
    FakeDialogs dialogs;
    TDataModule2 memory;
    TDataModule2 statements;
};

const QString titles =
    TempCatalog::schemaSql() +
    u"INSERT INTO bdf (films, fhttp) VALUES ('Новости дня', 'a1'), (NULL, 'a2'), ('', 'a3'),"
    u" ('НОВОГОДНИЙ Ёжик', 'a4'), ('ёлки', 'a5'), ('Straße', 'a6'), ('STRASSE', 'a7'),"
    u" ('ΣΟΦΊΑ σοφία', 'a8'), ('Kelvin sign', 'a9'), ('emoji 🎸 rock', 'a10'),"
    u" ('İstanbul', 'a11'), ('tab\tand ''quote''', 'a12'),"
    // Longer than the declared 255 characters: the statement matches beyond the shown cut.
    u" ('" +
    QString(300, u'я') +
    u" хвост', 'a13'),"
    // Bytes that are no UTF-8.
    u" (CAST(X'4E6F76FF6F73C3' AS TEXT), 'a14'), (CAST(X'C0AF6E6F76' AS TEXT), 'a15');"
    u"INSERT INTO bdtv (tv, http) VALUES ('Первый канал', 't1'), ('новый канал', 't2'), (NULL, 't3');"
    u"INSERT INTO radiolist (radio, radiolink) VALUES ('Rock FM', 'r1'), ('Радио Рокот', 'r2'),"
    u" ('Ретро', 'r3');"_s;

} // namespace

TEST(SearchInMemory, ShowsWhatTheStatementsShow) {
    Twins twins(titles);
    const QString texts[] = {
        u"н"_s,       u"но"_s,    u"НОВ"_s,
        u"ново"_s,    u"е"_s,     u"ё"_s,
        u"ЁЛ"_s,      u"ss"_s,    u"ß"_s,
        u"ẞ"_s,       u"σοφια"_s, u"ς"_s,
        u"k"_s,       u"🎸"_s,     u"i̇"_s,
        u"i"_s,       u"\t"_s,    u"'"_s,
        u"я хвост"_s, u"хвост"_s, u"nov"_s,
        u"os"_s,      u"\\"_s,    u"канал"_s,
        u"рок"_s,     u"r"_s,     u"нет такого"_s,
        u""_s,        u"%"_s,     u"н_в"_s,
        u"\uFFFD"_s,  u"a\0b"_s,  QString(1001, u'я'),
        u"рок"_s,     u""_s,
    };
    for (const QString& text : texts)
        twins.expectSame(text);
}

TEST(SearchInMemory, AChangeByAnotherConnectionOrOurOwnIsSeenAtTheNextKeystroke) {
    Twins twins(titles);
    const struct {
        const char* step;
        QString sql;     // run by another connection, as another process would
        QString failure; // of the first search after it
    } changes[] = {
        {"insert", u"INSERT INTO radiolist (radio, radiolink) VALUES ('Рок-н-ролл', 'r4');"_s,
         u"<no failure>"_s},
        {"delete", u"DELETE FROM radiolist WHERE radiolink = 'r2';"_s, u"<no failure>"_s},
        {"update", u"UPDATE bdtv SET tv = 'Рок канал' WHERE http = 't1';"_s, u"<no failure>"_s},
        {"rename", u"ALTER TABLE bdtv RENAME COLUMN tv TO name;"_s, u"no such column: tv"_s},
        {"rename back", u"ALTER TABLE bdtv RENAME COLUMN name TO tv;"_s, u"<no failure>"_s},
        // The radio list's statement was prepared before: its columns must be read anew.
        {"numeric title",
         u"ALTER TABLE radiolist RENAME COLUMN radio TO old;"
         u"ALTER TABLE radiolist ADD COLUMN radio INTEGER;"_s,
         u"ADOQuery3: Type mismatch for field 'radio', expecting: WideString"_s},
        {"table gone", u"DROP TABLE bdf;"_s, u"no such table: bdf"_s},
    };
    twins.expectSame(u"ро"_s);
    twins.expectSame(u"рок"_s); // from memory, when nothing changed
    for (const auto& change : changes) {
        SCOPED_TRACE(change.step);
        twins.db.exec(change.sql);
        EXPECT_TRUE(shown(twins.statements, u"рок"_s).startsWith(change.failure + u'\n'));
        twins.expectSame(u"рок"_s);
        twins.expectSame(u"ро"_s);
    }
}

TEST(SearchInMemory, RowsWrittenThroughTheListsThemselvesAreSeen) {
    Twins twins(titles);
    twins.expectSame(u"р"_s);
    twins.memory.ADOQuery3.insertRecord(u"Рок-радио"_s, u"r9"_s);
    twins.memory.ADOQuery3.setCurrentRow(0);
    twins.memory.ADOQuery3.deleteCurrent();
    twins.expectSame(u"ро"_s);
    // The connection closed and opened again: nothing read before may be trusted.
    twins.memory.ADOConnection1.close();
    twins.statements.ADOConnection1.close();
    twins.db.exec(u"INSERT INTO radiolist (radio, radiolink) VALUES ('Роса', 'r10');"_s);
    twins.expectSame(u"ро"_s);
    twins.expectSame(u"рос"_s);
}
