#include "catalog/UnicodeText.h"
#include "base/Failure.h"
#include "catalog/RussianCollator.h"
#include "support/QtPrinters.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A fresh in-memory connection, with or without our LIKE and collation.
class Connection {
public:
    explicit Connection(bool unicode = true) {
        if (sqlite3_open(":memory:", &m_db) != SQLITE_OK)
            throw Failure(u"cannot open an in-memory database"_s);
        if (unicode)
            installUnicodeText(m_db);
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const char* sql) {
        ASSERT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << error().toStdString();
    }

    // Runs sql with the given text parameters (nullopt binds NULL) and returns the first column of
    // every row, "NULL" for a NULL value; an engine error comes back as "error: <message>".
    QStringList query(const char* sql, const std::vector<std::optional<QString>>& params = {}) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return {u"error: "_s + error()};
        for (std::size_t k = 0; k < params.size(); ++k) {
            const int index = int(k) + 1;
            if (params[k]) {
                const QByteArray utf8 = params[k]->toUtf8();
                sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(statement, index);
            }
        }
        QStringList rows;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            rows << (text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, 0)) : u"NULL"_s);
        }
        if (rc != SQLITE_DONE)
            rows = QStringList{u"error: "_s + error()};
        sqlite3_finalize(statement);
        return rows;
    }

private:
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    sqlite3* m_db = nullptr;
};

const QString kLong = QString(1000, u'Ж');

// Titles of the search fixture, inserted in this order; key = position + 1.
const std::vector<std::optional<QString>> kTitles{
    u"Новый год"_s, u"НОВОСТИ дня"_s, u"Ёлки"_s, u"елка зелёная"_s,
    u"Rock FM"_s,   u"rocket"_s,      u"it's"_s, u"100% хит"_s,
    u"a_b"_s,       u"abc\\"_s,       u""_s,     std::nullopt,
    u"ΟΔΥΣΣΕΑΣ"_s,  u"STRAẞE"_s,      u"Ключ"_s, kLong};

class SearchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.exec(
            "CREATE TABLE bdf(key INTEGER PRIMARY KEY AUTOINCREMENT, films TEXT(255), fhttp TEXT(255))");
        for (const auto& title : kTitles)
            ASSERT_EQ(m_db.query("INSERT INTO bdf(films, fhttp) VALUES (?, 'x')", {title}), QStringList{});
    }

    // The search statement as the catalog runs it, with the typed text as a bound parameter.
    QStringList search(const QString& typed) {
        return m_db.query("SELECT films\r\nFROM bdf\r\nWHERE films LIKE '%' || ? || '%'\r\nORDER BY key",
                          {typed});
    }

    Connection m_db;
};

QStringList allTitlesBut(const QStringList& left) {
    QStringList titles;
    for (const auto& title : kTitles) {
        if (title && !left.contains(*title))
            titles << *title;
    }
    return titles;
}

TEST_F(SearchFixture, MatchesTypedTextInAnyCaseAndAlphabet) {
    const struct {
        QString typed;
        QStringList found;
    } cases[] = {
        {u"нов"_s, {u"Новый год"_s, u"НОВОСТИ дня"_s}},
        {u"НОВ"_s, {u"Новый год"_s, u"НОВОСТИ дня"_s}},
        {u"ёлк"_s, {u"Ёлки"_s, u"елка зелёная"_s}},
        {u"ЕЛК"_s, {u"Ёлки"_s, u"елка зелёная"_s}},
        {u"зеленая"_s, {u"елка зелёная"_s}},
        {u"ROCK"_s, {u"Rock FM"_s, u"rocket"_s}},
        {u"rock "_s, {u"Rock FM"_s}},
        {u"ключ"_s, {u"Ключ"_s}},
        {u"'"_s, {u"it's"_s}},
        {u"c\\"_s, {u"abc\\"_s}},
        {u"a%b"_s, {u"a_b"_s, u"abc\\"_s}},
        {u"%"_s, allTitlesBut({})},
        {u""_s, allTitlesBut({})},
        {u"_"_s, allTitlesBut({u""_s})},
        {u"0%х"_s, {u"100% хит"_s}},
        {u"ς"_s, {u"ΟΔΥΣΣΕΑΣ"_s}},
        {u"οδυσσεας"_s, {u"ΟΔΥΣΣΕΑΣ"_s}},
        {u"straße"_s, {u"STRAẞE"_s}},
        {u"strasse"_s, {}},
        {QString(1000, u'ж'), {kLong}},
        {QString(1000, u'я'), {}},
        {u"новый' OR 1=1 --"_s, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(search(c.typed), c.found) << c.typed.left(40).toStdString();
}

TEST(UnicodeLike, OperandsWildcardsAndEscapes) {
    Connection db;
    const std::optional<QString> null;
    const struct {
        std::optional<QString> pattern, text, escape;
        QString result;
    } cases[] = {
        {u"a%b"_s, u"ab"_s, null, u"1"_s},
        {u"a%b"_s, u"xab"_s, null, u"0"_s},
        {u"a%b"_s, u"abx"_s, null, u"0"_s},
        {u"abc"_s, u"ABC"_s, null, u"1"_s},
        {u""_s, u""_s, null, u"1"_s},
        {u""_s, u"a"_s, null, u"0"_s},
        {u"_"_s, u""_s, null, u"0"_s},
        {u"_"_s, u"ё"_s, null, u"1"_s},
        {u"__"_s, u"ё"_s, null, u"0"_s},
        {u"Ё_"_s, u"еж"_s, null, u"1"_s},
        {u"%е%"_s, u"ЁЛКА"_s, null, u"1"_s},
        {u"%%"_s, u""_s, null, u"1"_s},
        {u"%x%y%"_s, u"yx"_s, null, u"0"_s},
        {u"%x_y%"_s, u"..XяY.."_s, null, u"1"_s},
        {u"%"_s, null, null, u"NULL"_s},
        {null, u"a"_s, null, u"NULL"_s},
        {u"10\\%"_s, u"10%"_s, u"\\"_s, u"1"_s},
        {u"10\\%"_s, u"100"_s, u"\\"_s, u"0"_s},
        {u"a\\_c"_s, u"a_c"_s, u"\\"_s, u"1"_s},
        {u"a\\_c"_s, u"abc"_s, u"\\"_s, u"0"_s},
        {u"aЁ"_s, u"aЁ"_s, u"Ё"_s, u"0"_s},  // a lone escape at the end never matches
        {u"ЁЁ%"_s, u"ёX"_s, u"Ё"_s, u"1"_s}, // an escaped letter still ignores case
        {u"%"_s, u"%"_s, u"%"_s, u"0"_s},    // "%" as the escape is no longer a wildcard
        {u"a"_s, u"a"_s, null, u"1"_s},
        {u"a"_s, u"a"_s, u"ab"_s, u"error: ESCAPE expression must be a single character"_s},
    };
    for (const auto& c : cases) {
        const QStringList got = c.escape
                                    ? db.query("SELECT ?2 LIKE ?1 ESCAPE ?3", {c.pattern, c.text, c.escape})
                                    : db.query("SELECT ?2 LIKE ?1", {c.pattern, c.text});
        EXPECT_EQ(got, QStringList{c.result}) << c.pattern.value_or(u"NULL"_s).toStdString() << " / "
                                              << c.text.value_or(u"NULL"_s).toStdString();
    }
    // A NULL escape gives NULL, as SQLite's own LIKE does.
    EXPECT_EQ(db.query("SELECT 'a' LIKE 'a' ESCAPE NULL"), QStringList{u"NULL"_s});
}

QStringList wordsUpTo(const QString& alphabet, int maxLength) {
    QStringList words{u""_s};
    QStringList last = words;
    for (int length = 1; length <= maxLength; ++length) {
        QStringList longer;
        for (const QString& w : last) {
            for (const QChar c : alphabet)
                longer << w + c;
        }
        words += longer;
        last = longer;
    }
    return words;
}

// On ASCII our LIKE must agree with SQLite's own, wildcards, anchoring and escapes included.
TEST(UnicodeLike, AgreesWithSqliteOnAscii) {
    const QStringList words = wordsUpTo(u"aB%_\\"_s, 3);
    const char* sql =
        "SELECT group_concat(t.w LIKE p.w, '') || '|' || group_concat(t.w LIKE p.w ESCAPE '\\', '') "
        "FROM words p, words t";
    QStringList results;
    for (const bool unicode : {true, false}) {
        Connection db(unicode);
        db.exec("CREATE TABLE words(w TEXT)");
        for (const QString& w : words)
            ASSERT_EQ(db.query("INSERT INTO words VALUES (?)", {w}), QStringList{});
        results << db.query(sql);
    }
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0], results[1]);
}

// The three ways a pattern is matched (scan for the first letter, search in folded text, letter by
// letter) must all agree with plain folding: Qt's simple case folding, then ё read as е.
TEST(UnicodeLike, EveryMatcherAgreesWithSimpleCaseFolding) {
    const QString alphabet = u"яЯёЕ\u212Akς\u03A3"_s; // Kelvin sign folds to k, final sigma to σ
    const QStringList patterns = wordsUpTo(alphabet, 2);
    const QStringList texts = wordsUpTo(alphabet, 3);
    const auto fold = [](const QString& s) { return s.toCaseFolded().replace(u'ё', u'е'); };
    QString expected;
    for (const QString& p : patterns) {
        for (const QString& t : texts)
            expected += fold(t).contains(fold(p)) ? u'1' : u'0';
    }

    Connection db;
    db.exec("CREATE TABLE patterns(w TEXT)");
    db.exec("CREATE TABLE texts(w TEXT)");
    for (const QString& w : patterns)
        ASSERT_EQ(db.query("INSERT INTO patterns VALUES (?)", {w}), QStringList{});
    for (const QString& w : texts)
        ASSERT_EQ(db.query("INSERT INTO texts VALUES (?)", {w}), QStringList{});
    const char* forms[] = {
        "t.w LIKE '%' || p.w || '%'",
        "t.w LIKE '%' || p.w || '%%'",
        "t.w LIKE '%' || p.w || '%_' OR t.w LIKE '%' || p.w",
    };
    for (const char* form : forms) {
        const QByteArray sql = "SELECT group_concat(r, '') FROM (SELECT (" + QByteArray(form) +
                               ") AS r FROM patterns p, texts t ORDER BY p.rowid, t.rowid)";
        EXPECT_EQ(db.query(sql.constData()), QStringList{expected}) << form;
    }
}

TEST(UnicodeLike, PatternLongerThanTheEngineLimitIsRefused) {
    Connection db;
    EXPECT_EQ(db.query("SELECT 'a' LIKE ?", {QString(50001, u'a')}),
              QStringList{u"error: LIKE or GLOB pattern too complex"_s});
}

const QStringList kSorted{u""_s,     u"абрикос"_s, u"Банан"_s,  u"Еда"_s,   u"Ёж"_s,   u"ежевика"_s,
                          u"ёлка"_s, u"Жук"_s,     u"яблоко"_s, u"Apple"_s, u"zebra"_s};

TEST(RussianOrder, CollationSortsCyrillicCaseInsensitivelyWithEmptyFirst) {
    Connection db;
    db.exec("CREATE TABLE t(title TEXT)");
    QStringList scrambled = kSorted;
    std::reverse(scrambled.begin(), scrambled.end());
    std::rotate(scrambled.begin(), scrambled.begin() + 4, scrambled.end());
    for (const QString& title : scrambled)
        ASSERT_EQ(db.query("INSERT INTO t VALUES (?)", {title}), QStringList{});
    EXPECT_EQ(db.query("SELECT title FROM t ORDER BY title COLLATE RUSSIAN"), kSorted);
    EXPECT_EQ(db.query("SELECT count(*) FROM t WHERE title = 'БАНАН' COLLATE RUSSIAN"), QStringList{u"1"_s});
}

TEST(RussianOrder, CollatorGivesTheSameOrderAndKeepsCaseTiesStable) {
    const RussianCollator collator;
    QStringList titles = kSorted;
    titles << u"банан"_s << u"БАНАН"_s;
    std::reverse(titles.begin(), titles.end());
    std::stable_sort(titles.begin(), titles.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    QStringList expected = kSorted;
    expected.insert(2, u"БАНАН"_s); // ties keep their order from before the sort (reversed input)
    expected.insert(3, u"банан"_s);
    EXPECT_EQ(titles, expected);

    QStringList byKey = kSorted;
    std::reverse(byKey.begin(), byKey.end());
    std::stable_sort(byKey.begin(), byKey.end(), [&](const QString& a, const QString& b) {
        return collator.sortKey(a) < collator.sortKey(b);
    });
    EXPECT_EQ(byKey, kSorted);
    EXPECT_EQ(collator.compare(u"Ёлка"_s, u"ёлка"_s), 0);
    EXPECT_LT(collator.compare(u""_s, u"\u0001"_s), 0); // empty stays first even before ignorables
}

} // namespace
