#include "catalog/CatalogFile.h"

#include "base/Failure.h"
#include "catalog/Database.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextBoundaryFinder>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct Table {
    const char* name;
    const char* title;
    const char* address;
};

constexpr std::array<Table, 3> catalogTables{{
    {"bdf", "films", "fhttp"},
    {"bdtv", "tv", "http"},
    {"radiolist", "radio", "radiolink"},
}};

const Table& tableOf(MediaKind kind) {
    return catalogTables.at(static_cast<size_t>(kind));
}

// The six tables of a catalog, as the program reads them.
constexpr char schema[] =
    "CREATE TABLE bdf (key INTEGER PRIMARY KEY AUTOINCREMENT, films TEXT(255), fhttp TEXT(255));"
    "CREATE TABLE bdtv (key INTEGER PRIMARY KEY AUTOINCREMENT, tv TEXT(255), http TEXT(255));"
    "CREATE TABLE radiolist (key INTEGER PRIMARY KEY AUTOINCREMENT, radio TEXT(255), radiolink TEXT(255));"
    "CREATE TABLE fbdf (key INTEGER PRIMARY KEY AUTOINCREMENT, films TEXT(255), http TEXT(255));"
    "CREATE TABLE fbdtv (key INTEGER PRIMARY KEY AUTOINCREMENT, tv TEXT(255), http TEXT(255));"
    "CREATE TABLE fbdr (key INTEGER PRIMARY KEY AUTOINCREMENT, radio TEXT(255), http TEXT(255));";

const QRegularExpression& tvFragmentShape() {
    static const QRegularExpression shape(u"^<video controls autoplay src=\"([^\"]*)\"></video>$"_s);
    return shape;
}

// The length a text column is declared with ("TEXT(255)"), or -1 for no limit. The program
// reads a longer text cut to it, in UTF-16 units.
int declaredLength(const std::string& type) {
    static const QRegularExpression length(u"\\(\\s*(\\d+)\\s*\\)"_s);
    const auto match = length.match(QString::fromStdString(type));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

struct Limits {
    int title = -1;
    int address = -1;
};

Limits limitsOf(SQLite::Database& db, const Table& table) {
    Limits limits;
    bool found[2] = {false, false};
    SQLite::Statement columns(db, "SELECT name, type FROM pragma_table_info(?)");
    columns.bind(1, table.name);
    while (columns.executeStep()) {
        const std::string name = columns.getColumn(0).getString();
        if (name == table.title) {
            limits.title = declaredLength(columns.getColumn(1).getString());
            found[0] = true;
        } else if (name == table.address) {
            limits.address = declaredLength(columns.getColumn(1).getString());
            found[1] = true;
        }
    }
    if (!found[0] || !found[1])
        throw Failure(u"в каталоге нет таблицы %1 со столбцами %2 и %3"_s.arg(
            QString::fromLatin1(table.name), QString::fromLatin1(table.title),
            QString::fromLatin1(table.address)));
    return limits;
}

// The longest start of `text` that fits `limit` UTF-16 units and ends between two characters
// as a reader sees them (never inside a surrogate pair or before a combining mark).
QString cutAtCharacter(const QString& text, int limit) {
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype cut = 0;
    for (qsizetype at = boundaries.toNextBoundary(); at >= 0 && at <= limit; at = boundaries.toNextBoundary())
        cut = at;
    return text.left(cut);
}

QString unescapeAttribute(QString text) {
    text.replace(u"&quot;"_s, u"\""_s).replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s);
    return text.replace(u"&amp;"_s, u"&"_s);
}

QString fromColumn(const SQLite::Column& column) {
    return column.isNull() ? QString() : QString::fromUtf8(column.getText());
}

QByteArray csvField(const QString& text) {
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
                       text.contains(u'\r') || text != text.trimmed();
    if (!quote)
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return '"' + quoted.toUtf8() + '"';
}

template <typename Step> auto engine(Step step) {
    try {
        return step();
    } catch (const SQLite::Exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
}

} // namespace

QString CatalogProblem::toString() const {
    return line > 0 ? u"%1:%2: %3"_s.arg(file).arg(line).arg(text) : u"%1: %2"_s.arg(file, text);
}

CatalogFile::CatalogFile(QString path) : m_path(std::move(path)) {}

CatalogFile::~CatalogFile() = default;

Database& CatalogFile::database() {
    if (!m_database) {
        auto database = std::make_unique<Database>(m_path);
        database->connect();
        m_database = std::move(database);
    }
    return *m_database;
}

void CatalogFile::create(const QString& path) {
    // Made empty and exclusively first, so that an existing catalog is never opened for writing.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        throw Failure(file.exists() ? u"файл уже есть, каталог не создан"_s
                                    : u"файл не создаётся: %1"_s.arg(file.errorString()));
    }
    file.close();
    try {
        Database database(path);
        database.connect();
        engine([&] {
            SQLite::Transaction transaction(database.handle());
            database.handle().exec(schema);
            transaction.commit();
            return 0;
        });
    } catch (const Failure&) {
        QFile::remove(path);
        throw;
    }
}

ImportResult CatalogFile::importFiles(MediaKind kind, const QStringList& files, const Progress& progress) {
    QList<std::pair<QString, QByteArray>> playlists;
    ImportResult unreadable;
    for (const QString& name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            unreadable.errors.append({name, 0, u"файл не читается: %1"_s.arg(file.errorString())});
        else
            playlists.append({name, file.readAll()});
    }
    if (!unreadable.errors.isEmpty())
        return unreadable;
    return import(kind, playlists, progress);
}

ImportResult CatalogFile::import(MediaKind kind, const QList<std::pair<QString, QByteArray>>& playlists,
                                 const Progress& progress) {
    ImportResult result;
    QList<PlaylistEntry> entries;
    QStringList origins; // the playlist of each entry
    for (const auto& [name, bytes] : playlists) {
        const Playlist list = PlaylistReader::read(bytes);
        for (const PlaylistProblem& problem : list.errors)
            result.errors.append({name, problem.line, problem.text});
        for (const PlaylistProblem& problem : list.warnings)
            result.warnings.append({name, problem.line, problem.text});
        entries.append(list.entries);
        for (qsizetype i = 0; i < list.entries.size(); ++i)
            origins.append(name);
    }
    if (!result.errors.isEmpty())
        return result;

    const Table& table = tableOf(kind);
    SQLite::Database& db = database().handle();
    const Limits limits = engine([&] { return limitsOf(db, table); });

    // Checked in full before anything is written. What is stored is made again while writing
    // rather than kept: a list of 100,000 channels would otherwise be held twice.
    const auto stored = [kind](const PlaylistEntry& entry) {
        return kind == MediaKind::Tv ? tvFragment(entry.address) : entry.address;
    };
    for (qsizetype i = 0; i < entries.size(); ++i) {
        PlaylistEntry& entry = entries[i];
        const qsizetype length = stored(entry).size();
        if (limits.address >= 0 && length > limits.address) {
            result.errors.append(
                {origins[i], entry.line,
                 kind == MediaKind::Tv
                     ? u"адрес слишком длинный: длина разметки плеера с ним %1, а столбец %2 вмещает не более %3"_s
                           .arg(length)
                           .arg(QString::fromLatin1(table.address))
                           .arg(limits.address)
                     : u"адрес слишком длинный: его длина %1, а столбец %2 вмещает не более %3"_s.arg(length)
                           .arg(QString::fromLatin1(table.address))
                           .arg(limits.address)});
            continue;
        }
        if (limits.title >= 0 && entry.title.size() > limits.title) {
            entry.title = cutAtCharacter(entry.title, limits.title);
            result.warnings.append(
                {origins[i], entry.line,
                 u"название сокращено до длины %1: «%2»"_s.arg(entry.title.size()).arg(entry.title)});
        }
    }
    if (!result.errors.isEmpty())
        return result;

    engine([&] {
        // Rows already in the list, by title and address (for TV rows, the address inside the
        // fragment; a fragment of another shape cannot equal one of ours).
        QSet<std::pair<QString, QString>> present;
        present.reserve(entries.size() * 2);
        SQLite::Statement existing(db, "SELECT " + std::string(table.title) + ", " + table.address +
                                           " FROM " + table.name);
        while (existing.executeStep()) {
            QString address = fromColumn(existing.getColumn(1));
            if (kind == MediaKind::Tv) {
                const QString inside = addressOfTvFragment(address);
                address = inside.isEmpty() ? QChar(1) + address : inside;
            }
            present.insert({fromColumn(existing.getColumn(0)), address});
        }

        SQLite::Transaction transaction(db);
        SQLite::Statement insert(db, "INSERT INTO " + std::string(table.name) + " (" + table.title + ", " +
                                         table.address + ") VALUES (?, ?)");
        const qsizetype total = entries.size();
        for (qsizetype i = 0; i < total; ++i) {
            const PlaylistEntry& entry = entries[i];
            if (progress && i % 4096 == 0)
                progress(i, total);
            std::pair<QString, QString> pair{entry.title, entry.address};
            if (present.contains(pair)) {
                ++result.duplicates;
                continue;
            }
            present.insert(std::move(pair));
            const QByteArray title = entry.title.toUtf8();
            const QByteArray address = stored(entry).toUtf8();
            insert.bindNoCopy(1, title.constData()); // both live until exec() has run
            insert.bindNoCopy(2, address.constData());
            insert.exec();
            insert.reset();
            ++result.added;
        }
        transaction.commit();
        if (progress)
            progress(total, total);
        return 0;
    });
    return result;
}

QList<CatalogRow> CatalogFile::rows(MediaKind kind) {
    const Table& table = tableOf(kind);
    SQLite::Database& db = database().handle();
    return engine([&] {
        QList<CatalogRow> rows;
        SQLite::Statement select(db, "SELECT " + std::string(table.title) + ", " + table.address + " FROM " +
                                         table.name);
        while (select.executeStep())
            rows.append({fromColumn(select.getColumn(0)), fromColumn(select.getColumn(1))});
        return rows;
    });
}

QByteArray CatalogFile::exportList(MediaKind kind, ListFormat format, QList<CatalogProblem>& warnings) {
    const QList<CatalogRow> all = rows(kind);
    QByteArray out = format == ListFormat::M3u ? QByteArray("#EXTM3U\n") : QByteArray("title,address\n");
    for (qsizetype i = 0; i < all.size(); ++i) {
        const CatalogRow& row = all[i];
        const QString address = kind == MediaKind::Tv ? addressOfTvFragment(row.address) : row.address;
        if (address.isEmpty()) {
            warnings.append(
                {m_path, static_cast<int>(i + 1),
                 kind == MediaKind::Tv
                     ? u"«%1»: плеер канала задан своей разметкой, а не адресом; запись пропущена"_s.arg(
                           row.title)
                     : u"«%1»: адреса нет, запись пропущена"_s.arg(row.title)});
            continue;
        }
        if (format == ListFormat::M3u) {
            QString title = row.title;
            title.replace(u'\r', u' ').replace(u'\n', u' ');
            out += "#EXTINF:-1," + title.toUtf8() + '\n' + address.toUtf8() + '\n';
        } else {
            out += csvField(row.title) + ',' + csvField(address) + '\n';
        }
    }
    return out;
}

QString CatalogFile::schemaSql() {
    return QString::fromLatin1(schema);
}

QString CatalogFile::tvFragment(const QString& address) {
    return u"<video controls autoplay src=\""_s + address.toHtmlEscaped() + u"\"></video>"_s;
}

QString CatalogFile::addressOfTvFragment(const QString& fragment) {
    const auto match = tvFragmentShape().match(fragment.trimmed());
    return match.hasMatch() ? unescapeAttribute(match.captured(1)) : QString();
}
