#include "tools/CatalogTool.h"
#include "support/TempCatalog.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& arguments) {
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    ToolRun result;
    result.code = CatalogTool::run(arguments, out, err);
    result.out = QString::fromUtf8(out.data());
    result.err = QString::fromUtf8(err.data());
    return result;
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

TEST(CatalogTool, ExitCodesAndMessagesOfEachCommand) {
    QTemporaryDir dir;
    const QString db = dir.filePath(u"bdv.db"_s);
    const QString good = write(dir, u"ch.m3u"_s, "#EXTM3U\n#EXTINF:-1,Канал\nhttp://tv.example/1.m3u8\n");
    const QString bad = write(dir, u"bad.m3u"_s, "http://tv.example/2\n\nnot an address\n");
    const QString hls = write(dir, u"one.m3u8"_s, "#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:7\nseg.ts\n");

    struct Step {
        QStringList arguments;
        int code;
        QString out; // the start of stdout
        QString err; // the start of stderr
    };
    const Step steps[] = {
        {{u"--db"_s, db, u"list"_s, u"tv"_s}, 1, {}, db + u": каталога нет"_s},
        {{u"--db"_s, db, u"init"_s}, 0, u"Создан каталог "_s, {}},
        {{u"--db"_s, db, u"init"_s}, 1, {}, db + u": файл уже есть, каталог не создан\n"_s},
        {{u"--db"_s, db, u"import"_s, u"tv"_s, good, bad},
         1,
         {},
         bad + u":3: неверный адрес «not an address»"_s},
        {{u"--db"_s, db, u"import"_s, u"tv"_s, hls}, 1, {}, hls + u":2: это HLS-плейлист одного потока"_s},
        {{u"--db"_s, db, u"import"_s, u"tv"_s, dir.filePath(u"missing.m3u"_s)},
         1,
         {},
         dir.filePath(u"missing.m3u"_s) + u": файл не читается"_s},
        {{u"--db"_s, db, u"import"_s, u"tv"_s, good}, 0, u"Добавлено записей: 1\n"_s, {}},
        {{u"--db"_s, db, u"list"_s, u"tv"_s},
         0,
         u"Канал\t<video controls autoplay src=\"http://tv.example/1.m3u8\"></video>\n"_s,
         {}},
        {{u"--db"_s, db, u"export"_s, u"tv"_s, u"--format"_s, u"csv"_s},
         0,
         u"title,address\nКанал,http://tv.example/1.m3u8\n"_s,
         {}},
        {{u"--db"_s, db, u"export"_s, u"tv"_s, dir.filePath(u"out.m3u"_s)}, 0, {}, {}},
        {{}, 2, {}, u"kvelto-catalog: не задана команда\nИспользование:"_s},
        {{u"--db"_s, db, u"import"_s, u"films"_s, good}, 2, {}, u"kvelto-catalog: список бывает"_s},
        {{u"--db"_s, db, u"import"_s, u"tv"_s}, 2, {}, u"kvelto-catalog: не заданы файлы"_s},
        {{u"--db"_s, db, u"export"_s, u"tv"_s, u"--format"_s, u"xspf"_s}, 2, {}, u"kvelto-catalog: формат"_s},
        {{u"--db"_s, db, u"list"_s, u"tv"_s, u"--format"_s, u"csv"_s}, 2, {}, u"kvelto-catalog: --format"_s},
        {{u"--nope"_s, u"init"_s}, 2, {}, u"kvelto-catalog: Unknown option"_s},
        {{u"--help"_s}, 0, u"Использование:"_s, {}},
    };
    for (const Step& step : steps) {
        const ToolRun got = runTool(step.arguments);
        const std::string what = step.arguments.join(u' ').toStdString();
        EXPECT_EQ(got.code, step.code) << what << "\n" << got.err.toStdString();
        EXPECT_TRUE(got.out.startsWith(step.out)) << what << "\n" << got.out.toStdString();
        EXPECT_TRUE(got.err.startsWith(step.err)) << what << "\n" << got.err.toStdString();
        if (step.err.isEmpty()) {
            EXPECT_TRUE(got.err.isEmpty()) << what << "\n" << got.err.toStdString();
        }
    }
    QFile out(dir.filePath(u"out.m3u"_s));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "#EXTM3U\n#EXTINF:-1,Канал\nhttp://tv.example/1.m3u8\n");
    EXPECT_FALSE(QFile::exists(dir.filePath(u"missing.db"_s)));
}

TEST(CatalogTool, TheInstalledCommandUsesTheCurrentFolderAndTheProgramsExitCodes) {
    QTemporaryDir dir;
    TempCatalog db;
    QFile::copy(db.path(), dir.filePath(u"bdv.db"_s));
    write(dir, u"st.pls"_s, "[playlist]\nFile1=http://r.example/1\nTitle1=Станция\n");
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    tool.start(QStringLiteral(KVELTO_CATALOG_TOOL), {u"import"_s, u"radio"_s, u"st.pls"_s});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_EQ(tool.readAllStandardOutput(), "Добавлено записей: 1\n");
    EXPECT_EQ(
        TempCatalog::scalarAt(dir.filePath(u"bdv.db"_s), u"SELECT radio FROM radiolist ORDER BY key DESC"_s),
        u"Станция"_s);

    tool.start(QStringLiteral(KVELTO_CATALOG_TOOL), {u"export"_s});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 2);
}

} // namespace
