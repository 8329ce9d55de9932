#include "catalog/CatalogFile.h"
#include "base/Failure.h"
#include "catalog/TDataModule2.h"
#include "support/Failures.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList rowsOf(CatalogFile& catalog, MediaKind kind) {
    QStringList out;
    for (const CatalogRow& row : catalog.rows(kind))
        out << row.title + u" | "_s + row.address;
    return out;
}

QStringList texts(const QList<CatalogProblem>& problems) {
    QStringList out;
    for (const CatalogProblem& p : problems)
        out << p.toString();
    return out;
}

TEST(CatalogFile, StoresEachKindAsTheProgramPlaysItAndSkipsRowsItAlreadyHas) {
    TempCatalog db(TempCatalog::schemaSql());
    CatalogFile catalog(db.path());
    const QByteArray channels = "#EXTM3U\n#EXTINF:-1,Канал\nhttp://tv.example/a.m3u8?x=1&y=\"2\"\n";
    const QByteArray stations = "[playlist]\nFile1=http://r.example/1\nTitle1=Станция\n";

    ImportResult tv = catalog.import(MediaKind::Tv, {{u"ch.m3u"_s, channels}});
    ImportResult radio = catalog.import(MediaKind::Radio, {{u"st.pls"_s, stations}});
    EXPECT_EQ(tv.added, 1);
    EXPECT_EQ(radio.added, 1);
    EXPECT_EQ(
        rowsOf(catalog, MediaKind::Tv),
        QStringList{
            u"Канал | <video controls autoplay src=\"http://tv.example/a.m3u8?x=1&amp;y=&quot;2&quot;\">"
            u"</video>"_s});
    EXPECT_EQ(rowsOf(catalog, MediaKind::Radio), QStringList{u"Станция | http://r.example/1"_s});

    // The same list again, with one new station: only that one is added.
    radio = catalog.import(MediaKind::Radio, {{u"st.pls"_s, stations + "File2=http://r.example/2\n"},
                                              {u"again.m3u"_s, "http://r.example/2\n"}});
    EXPECT_EQ(radio.added, 1);
    EXPECT_EQ(radio.duplicates, 2);
    EXPECT_EQ(rowsOf(catalog, MediaKind::Radio).size(), 2);
}

TEST(CatalogFile, ABadEntryAnywhereStoresNothingWhileTheProgramHasTheFileOpen) {
    TempCatalog db;
    FakeDialogs dialogs;
    TDataModule2 program(db.path());
    program.open(dialogs);
    const int before = program.ADOQuery3.recordCount();
    const QByteArray original = bytesOf(db.path());

    CatalogFile catalog(db.path());
    const ImportResult refused =
        catalog.import(MediaKind::Radio, {{u"good.m3u"_s, "http://r.example/1\nhttp://r.example/2\n"},
                                          {u"bad.csv"_s, "Раз,http://r.example/3\nДва,r.example/4\n"}});
    EXPECT_EQ(texts(refused.errors),
              QStringList{
                  u"bad.csv:2: неверный адрес «r.example/4»: нужен полный адрес со схемой и узлом, например "
                  u"http://example.com/stream"_s});
    EXPECT_EQ(refused.added, 0);
    EXPECT_EQ(bytesOf(db.path()), original);

    // A fragment that would not fit its column is refused at its line; a title that would not
    // fit is cut between two characters (never inside "ё" written as е + U+0308).
    const QString longTitle = QString(254, u'ж') + u"е\u0308 хвост"_s;
    const QByteArray longAddress = "http://tv.example/" + QByteArray(200, 'a') + "&b";
    const ImportResult tooLong = catalog.import(
        MediaKind::Tv, {{u"tv.m3u"_s, "#EXTINF:-1," + longTitle.toUtf8() + "\nhttp://tv.example/ok\n\n" +
                                          "#EXTINF:-1,Длинный\n" + longAddress + "\n"}});
    ASSERT_EQ(tooLong.errors.size(), 1);
    EXPECT_TRUE(tooLong.errors[0].toString().startsWith(u"tv.m3u:5: адрес слишком длинный"_s));
    EXPECT_EQ(bytesOf(db.path()), original);

    const ImportResult cut = catalog.import(
        MediaKind::Tv, {{u"tv.m3u"_s, "#EXTINF:-1," + longTitle.toUtf8() + "\nhttp://tv.example/ok\n"}});
    ASSERT_EQ(cut.warnings.size(), 1);
    EXPECT_TRUE(cut.warnings[0].toString().startsWith(u"tv.m3u:2: название сокращено до длины 254"_s));
    EXPECT_EQ(catalog.rows(MediaKind::Tv).last().title, QString(254, u'ж'));

    // The program sees the new rows at its next search.
    EXPECT_EQ(
        catalog.import(MediaKind::Radio, {{u"good.m3u"_s, "http://r.example/1\nhttp://r.example/2\n"}}).added,
        2);
    program.search(QString());
    EXPECT_EQ(program.ADOQuery3.recordCount(), before + 2);
}

TEST(CatalogFile, KeepsToTheLengthTheFileDeclares) {
    TempCatalog db(u"CREATE TABLE radiolist (key INTEGER PRIMARY KEY AUTOINCREMENT, radio TEXT(8), radiolink "
                   u"VARCHAR(30));"_s);
    CatalogFile catalog(db.path());
    const ImportResult result = catalog.import(
        MediaKind::Radio,
        {{u"a.csv"_s, "Короткое,http://r.example/1\nОчень длинное,http://r.example/2/3/4/5/6/7/8/\n"}});
    EXPECT_EQ(
        texts(result.errors),
        QStringList{
            u"a.csv:2: адрес слишком длинный: его длина 31, а столбец radiolink вмещает не более 30"_s});
    EXPECT_THROW((void)catalog.import(MediaKind::Video, {{u"v.m3u"_s, "http://v.example/\n"}}), Failure);
}

TEST(CatalogFile, CreatesTheSixTablesButNeverOverAnExistingFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"new.db"_s);
    CatalogFile::create(path);
    CatalogFile created(path);
    for (MediaKind kind : {MediaKind::Video, MediaKind::Tv, MediaKind::Radio})
        EXPECT_TRUE(created.rows(kind).isEmpty());
    TempCatalog reference; // the sample catalog's own statements
    const QString tables =
        u"SELECT group_concat(sql, ';') FROM sqlite_master WHERE type = 'table' AND name NOT "
        u"LIKE 'sqlite%'"_s;
    EXPECT_EQ(TempCatalog::scalarAt(path, tables), reference.scalar(tables));

    TempCatalog existing;
    const QByteArray before = bytesOf(existing.path());
    EXPECT_EQ(failureOf([&] { CatalogFile::create(existing.path()); }),
              u"файл уже есть, каталог не создан"_s);
    EXPECT_EQ(bytesOf(existing.path()), before);
    EXPECT_TRUE(failureOf([&] {
                    CatalogFile::create(dir.filePath(u"no/such/dir.db"_s));
                }).startsWith(u"файл не создаётся"_s));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"no/such/dir.db"_s)));
}

TEST(CatalogFile, ExportsAListThatImportsBackTheSame) {
    TempCatalog db(
        TempCatalog::schemaSql() +
        u"INSERT INTO bdtv (tv, http) VALUES ('Чужой', '<iframe src=\"http://x.example/\"></iframe>');"_s);
    CatalogFile catalog(db.path());
    ASSERT_EQ(catalog
                  .import(MediaKind::Tv, {{u"a.csv"_s, "\"Раз, два\",http://tv.example/1?a=1&b=2\n"
                                                       "\" Три \"\"3\"\"\",http://tv.example/3\n"}})
                  .added,
              2);
    for (const auto format : {CatalogFile::ListFormat::M3u, CatalogFile::ListFormat::Csv}) {
        QList<CatalogProblem> warnings;
        const QByteArray list = catalog.exportList(MediaKind::Tv, format, warnings);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].toString().contains(u":1: «Чужой»"_s))
            << warnings[0].toString().toStdString();

        TempCatalog copy(TempCatalog::schemaSql());
        CatalogFile again(copy.path());
        EXPECT_EQ(again.import(MediaKind::Tv, {{u"list"_s, list}}).added, 2) << list.toStdString();
        EXPECT_EQ(rowsOf(again, MediaKind::Tv), rowsOf(catalog, MediaKind::Tv).mid(1));
    }
}

} // namespace
