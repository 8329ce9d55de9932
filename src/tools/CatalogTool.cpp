#include "tools/CatalogTool.h"

#include "base/Failure.h"
#include "catalog/CatalogFile.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum Exit { done = 0, refused = 1, wrongUsage = 2 };

std::optional<MediaKind> kindNamed(const QString& name) {
    if (name == u"video"_s)
        return MediaKind::Video;
    if (name == u"tv"_s)
        return MediaKind::Tv;
    if (name == u"radio"_s)
        return MediaKind::Radio;
    return std::nullopt;
}

void say(QIODevice& device, const QString& line) {
    device.write(line.toUtf8() + '\n');
}

int usageError(QIODevice& err, const QString& problem) {
    say(err, u"kvelto-catalog: "_s + problem);
    err.write(CatalogTool::usage().toUtf8());
    return wrongUsage;
}

int importFiles(CatalogFile& catalog, MediaKind kind, const QStringList& files, QIODevice& out,
                QIODevice& err, bool errIsTerminal) {
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    const auto progress = [&](qsizetype doneCount, qsizetype total) {
        if (!errIsTerminal || clock.elapsed() < 1000)
            return;
        err.write(u"\rИмпорт: %1 из %2"_s.arg(doneCount).arg(total).toUtf8());
        shown = true;
    };
    const ImportResult result = catalog.importFiles(kind, files, progress);
    if (shown)
        err.write("\n");
    for (const CatalogProblem& problem : result.errors)
        say(err, problem.toString());
    for (CatalogProblem problem : result.warnings) {
        problem.text = u"предупреждение: "_s + problem.text;
        say(err, problem.toString());
    }
    if (!result.errors.isEmpty())
        return refused;
    QString summary = u"Добавлено записей: %1"_s.arg(result.added);
    if (result.duplicates > 0)
        summary += u" (уже были в списке и пропущены: %1)"_s.arg(result.duplicates);
    say(out, summary);
    return done;
}

int exportList(CatalogFile& catalog, MediaKind kind, CatalogFile::ListFormat format, const QString& output,
               QIODevice& out, QIODevice& err) {
    QList<CatalogProblem> warnings;
    const QByteArray text = catalog.exportList(kind, format, warnings);
    for (CatalogProblem problem : warnings) {
        problem.text = u"предупреждение: "_s + problem.text;
        say(err, problem.toString());
    }
    if (output.isEmpty() || output == u"-"_s) {
        out.write(text);
        return done;
    }
    // Written beside and renamed over: an old file is never left half replaced.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        say(err, u"%1: файл не записывается: %2"_s.arg(output, file.errorString()));
        return refused;
    }
    return done;
}

} // namespace

QString CatalogTool::usage() {
    return u"Использование:\n"
           u"  kvelto-catalog [--db ФАЙЛ] init\n"
           u"  kvelto-catalog [--db ФАЙЛ] import video|tv|radio ФАЙЛ...\n"
           u"  kvelto-catalog [--db ФАЙЛ] export video|tv|radio [--format m3u|csv] [ВЫВОД]\n"
           u"  kvelto-catalog [--db ФАЙЛ] list video|tv|radio\n"
           u"\n"
           u"  --db ФАЙЛ      каталог (по умолчанию bdv.db в текущей папке)\n"
           u"  --format m3u|csv  формат выгрузки (по умолчанию m3u; без ВЫВОДа — в стандартный вывод)\n"
           u"\n"
           u"Импорт читает списки M3U/M3U8, PLS и CSV (название,адрес) и добавляет их записи в список\n"
           u"видео, ТВ или радио. Если хотя бы одна запись неверна, не добавляется ничего.\n"_s;
}

int CatalogTool::run(const QStringList& arguments, QIODevice& out, QIODevice& err, bool errIsTerminal) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption dbOption(u"db"_s, QString(), u"FILE"_s, u"bdv.db"_s);
    const QCommandLineOption formatOption(u"format"_s, QString(), u"FORMAT"_s, u"m3u"_s);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({dbOption, formatOption, helpOption});
    if (!parser.parse(QStringList{u"kvelto-catalog"_s} + arguments))
        return usageError(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        out.write(usage().toUtf8());
        return done;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(err, u"не задана команда"_s);
    const QString command = words.takeFirst();
    const QString db = parser.value(dbOption);
    if (command != u"export"_s && parser.isSet(formatOption))
        return usageError(err, u"--format бывает только у export"_s);

    if (command == u"init"_s) {
        if (!words.isEmpty())
            return usageError(err, u"у init нет аргументов"_s);
        try {
            CatalogFile::create(db);
        } catch (const Failure& failure) {
            say(err, u"%1: %2"_s.arg(db, failure.message()));
            return refused;
        }
        say(out, u"Создан каталог %1"_s.arg(db));
        return done;
    }
    if (command != u"import"_s && command != u"export"_s && command != u"list"_s)
        return usageError(err, u"неизвестная команда «%1»"_s.arg(command));
    if (words.isEmpty())
        return usageError(err, u"не задан список: video, tv или radio"_s);
    const std::optional<MediaKind> kind = kindNamed(words.takeFirst());
    if (!kind)
        return usageError(err, u"список бывает video, tv или radio"_s);

    std::optional<CatalogFile::ListFormat> format;
    if (command == u"import"_s && words.isEmpty())
        return usageError(err, u"не заданы файлы для импорта"_s);
    if (command == u"list"_s && !words.isEmpty())
        return usageError(err, u"у list нет других аргументов"_s);
    if (command == u"export"_s) {
        const QString name = parser.value(formatOption);
        if (name == u"m3u"_s)
            format = CatalogFile::ListFormat::M3u;
        else if (name == u"csv"_s)
            format = CatalogFile::ListFormat::Csv;
        else
            return usageError(err, u"формат бывает m3u или csv"_s);
        if (words.size() > 1)
            return usageError(err, u"у export один файл вывода"_s);
    }

    // Only init makes a catalog; a mistyped name must not leave an empty file behind.
    if (!QFileInfo(db).isFile()) {
        say(err, u"%1: каталога нет (создать пустой: kvelto-catalog --db %1 init)"_s.arg(db));
        return refused;
    }
    try {
        CatalogFile catalog(db);
        if (command == u"import"_s)
            return importFiles(catalog, *kind, words, out, err, errIsTerminal);
        if (command == u"export"_s)
            return exportList(catalog, *kind, *format, words.value(0), out, err);
        for (const CatalogRow& row : catalog.rows(*kind))
            say(out, row.title + u'\t' + row.address);
        return done;
    } catch (const Failure& failure) {
        say(err, u"%1: %2"_s.arg(db, failure.message()));
        return refused;
    }
}
