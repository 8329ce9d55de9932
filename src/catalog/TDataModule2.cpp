#include "catalog/TDataModule2.h"

#include "base/Dialogs.h"
#include "base/ErrorText.h"
#include "base/Failure.h"
#include "catalog/CaseFolding.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <SQLiteCpp/Database.h>
#include <sqlite3.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;

namespace {
const QueryFields videoFields{u"key"_s, u"films"_s, u"fhttp"_s, u"Видео"_s};
const QueryFields tvFields{u"key"_s, u"tv"_s, u"http"_s, u"Телевидение"_s};
const QueryFields radioFields{u"key"_s, u"radio"_s, u"radiolink"_s, u"Радиостанции"_s};
const QueryFields favoriteVideoFields{u"key"_s, u"films"_s, u"http"_s, u"Видео"_s};
const QueryFields favoriteTvFields{u"key"_s, u"tv"_s, u"http"_s, u"Телевидение"_s};
const QueryFields favoriteRadioFields{u"key"_s, u"radio"_s, u"http"_s, u"Радиостанции"_s};

QStringList startStatement(const Query& query) {
    return {u"SELECT*"_s, u"FROM "_s + query.table()};
}

} // namespace

TDataModule2::TDataModule2(const QString& databasePath, QObject* parent)
    : QObject(parent), ADOConnection1(databasePath),
      ADOQuery1(u"ADOQuery1"_s, ADOConnection1, u"bdf"_s, videoFields, this),
      ADOQuery2(u"ADOQuery2"_s, ADOConnection1, u"bdtv"_s, tvFields, this),
      ADOQuery3(u"ADOQuery3"_s, ADOConnection1, u"radiolist"_s, radioFields, this),
      FavoriteVideoQuery(u"FavoriteVideoQuery"_s, ADOConnection1, u"fbdf"_s, favoriteVideoFields, this),
      FavoriteTVQuery(u"FavoriteTVQuery"_s, ADOConnection1, u"fbdtv"_s, favoriteTvFields, this),
      FavoriteRadioQuery(u"FavoriteRadioQuery"_s, ADOConnection1, u"fbdr"_s, favoriteRadioFields, this) {
    for (Query* query :
         {&ADOQuery1, &ADOQuery2, &ADOQuery3, &FavoriteVideoQuery, &FavoriteTVQuery, &FavoriteRadioQuery})
        query->setSql(startStatement(*query));
    m_path = databasePath;
}

TDataModule2::~TDataModule2() {
    for (auto& count : m_counts) {
        if (count.valid())
            count.wait();
    }
    for (auto& reader : m_readers) {
        if (reader.valid())
            reader.wait();
    }
    m_restNotifier.reset();
    if (m_restDone >= 0)
        ::close(m_restDone);
}

Query& TDataModule2::list(size_t index) {
    return index < 3 ? catalog(MediaKind(index)) : favorites(MediaKind(index - 3));
}

void TDataModule2::startCounting() {
    for (size_t kind = 0; kind < 3; ++kind) {
        const QByteArray tables[] = {catalog(MediaKind(kind)).table().toUtf8(),
                                     favorites(MediaKind(kind)).table().toUtf8()};
        m_counts[kind] = std::async(std::launch::async, [this, tables] {
            Counts counts;
            try {
                counts.connection = ADOConnection1.reader();
            } catch (const Failure&) {
                return counts;
            }
            sqlite3* const db = counts.connection->getHandle();
            counts.version = Database::dataVersion(db).value_or(-1);
            for (size_t i = 0; i < 2; ++i) {
                // Every row of "SELECT* FROM table", counted without reading them.
                const QByteArray count = "SELECT count(*) FROM " + tables[i];
                if (const std::optional<qint64> rows = Database::readInteger(db, count.constData()))
                    counts.rows[i] = static_cast<int>(*rows);
            }
            return counts;
        });
    }
}

bool TDataModule2::listenForRest() {
    if (m_restNotifier)
        return true;
    m_restDone = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_restDone < 0)
        return false;
    m_restNotifier = std::make_unique<QSocketNotifier>(m_restDone, QSocketNotifier::Read);
    connect(m_restNotifier.get(), &QSocketNotifier::activated, this, [this] {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto got = ::read(m_restDone, &count, sizeof count);
        const bool ready = std::all_of(m_rest.begin(), m_rest.end(), [](const auto& rest) {
            return !rest.valid() || rest.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
        if (ready && !listsComplete())
            emit restRead();
    });
    return true;
}

bool TDataModule2::readRest() {
    // Without a way to be told, the rows are read when they are needed.
    if (!listenForRest())
        return false;
    // A list's texts take at most the file's size: room for them is set aside at once (memory the
    // system only gives when it is written, the rest handed back after the read) instead of being
    // copied on every growth.
    const qsizetype textRoom = std::min<qint64>(QFileInfo(m_path).size(), qint64(256) << 20);
    for (size_t i = 0; i < 6; ++i) {
        const Query& query = list(i);
        if (!query.awaitsRows() || m_rest[i].valid())
            continue;
        const auto rows = std::size_t(query.rowCount());
        auto result = std::make_shared<std::promise<std::optional<Query::Snapshot>>>();
        m_rest[i] = result->get_future();
        m_readers[i] = std::async(std::launch::async, [this, &query, rows, textRoom, result] {
            std::optional<Query::Snapshot> read;
            try {
                const std::unique_ptr<SQLite::Database> connection = ADOConnection1.reader();
                read = QuerySnapshot::read(connection->getHandle(), Query::joinedLines(startStatement(query)),
                                           {}, query.name(), query.fields(), rows, textRoom);
            } catch (const Failure&) {
                // The statement runs again when the rows are needed, and reports it.
            }
            // Given before telling: the last to tell finds every list read.
            result->set_value(std::move(read));
            // A plain write: the main thread hears of it through its notifier.
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(m_restDone, &one, sizeof one);
        });
    }
    return true;
}

void TDataModule2::open(Dialogs& dialogs) {
    m_dialogs = &dialogs;
    if (!m_counts[0].valid())
        startCounting();
    reportingFailures(dialogs, [this] { ADOConnection1.connect(); });
    m_openedVersion = ADOConnection1.fileVersion();
    // The counts, where nothing was committed to the file since they were taken.
    std::array<std::optional<int>, 6> counts;
    for (size_t kind = 0; kind < 3; ++kind) {
        Counts counted = m_counts[kind].get();
        if (counted.connection && counted.version >= 0 &&
            Database::dataVersion(counted.connection->getHandle()) == counted.version) {
            counts[kind] = counted.rows[0];
            counts[kind + 3] = counted.rows[1];
        }
    }
    // The first rows of every list, in order, each failure in its box; one row more than is shown
    // tells whether the list goes on.
    const auto firstRows = static_cast<std::size_t>(std::max(1, m_firstRows));
    bool readWhole = false;
    for (size_t i = 0; i < 6; ++i) {
        Query* const query = &list(i);
        query->close();
        reportingFailures(dialogs, [&] {
            Query::Snapshot first = query->fetchFirst(firstRows + 1);
            if (first.rows.size() <= firstRows) {
                query->apply(std::move(first));
            } else if (m_openedVersion && counts[i] && std::size_t(*counts[i]) > firstRows) {
                first.rows.pop_back();
                query->applyFirstRows(std::move(first), *counts[i], [this] { completeLists(); });
            } else {
                query->open(); // not counted: read here, as always
                readWhole = true;
            }
        });
    }
    // Only a whole list left much to give back (the others wait for completeLists()).
    if (readWhole)
        ADOConnection1.releaseCaches();
}

bool TDataModule2::listsComplete() const {
    const Query* const lists[] = {&ADOQuery1,          &ADOQuery2,       &ADOQuery3,
                                  &FavoriteVideoQuery, &FavoriteTVQuery, &FavoriteRadioQuery};
    return std::none_of(std::begin(lists), std::end(lists),
                        [](const Query* query) { return query->awaitsRows(); }) &&
           std::none_of(m_rest.begin(), m_rest.end(), [](const auto& rest) { return rest.valid(); });
}

void TDataModule2::completeLists() {
    if (listsComplete())
        return;
    static_cast<void>(readRest()); // those not being read yet (or read here, as open() would)
    std::array<std::optional<Query::Snapshot>, 6> rest;
    for (size_t i = 0; i < 6; ++i) {
        if (m_rest[i].valid())
            rest[i] = m_rest[i].get();
    }
    // Read after the first rows, on other connections: when nothing was committed to the file
    // since, they are what the statements would read now.
    const bool unchanged = m_openedVersion && ADOConnection1.fileVersion() == m_openedVersion;
    for (size_t i = 0; i < 6; ++i) {
        Query* const query = &list(i);
        if (!query->awaitsRows())
            continue;
        if (unchanged && rest[i])
            query->restRows(std::move(*rest[i]));
        else
            reportingFailures(*m_dialogs, [query] { query->open(); });
    }
    ADOConnection1.releaseCaches();
}

void TDataModule2::bindHolder(TextHolder& holder, Query& query, const QString& field, QObject* context) {
    QObject::connect(&query, &Query::dataChange, context,
                     [&holder, &query, field] { holder.bind(query.currentText(field)); });
    QObject::connect(&query, &Query::closed, context, [&holder] { holder.bind({}); });
    holder.bind(query.currentText(field));
}

void TDataModule2::bindMain(MainHolders& h, QObject* context) {
    bindHolder(h.VideoNameDBEdit, ADOQuery1, u"films"_s, context);
    bindHolder(h.DBEdit1, ADOQuery1, u"fhttp"_s, context);
    bindHolder(h.TVNameDBEdit, ADOQuery2, u"tv"_s, context);
    bindHolder(h.DBMemo1, ADOQuery2, u"http"_s, context);
    bindHolder(h.TVLinkDBEdit, ADOQuery2, u"http"_s, context);
    bindHolder(h.RadioNameDBEdit, ADOQuery3, u"radio"_s, context);
    bindHolder(h.RadioDBEdit, ADOQuery3, u"radiolink"_s, context);
}

void TDataModule2::bindFavorites(FavoriteHolders& h, QObject* context) {
    bindHolder(h.FavoritVideoDBEdit, FavoriteVideoQuery, u"films"_s, context);
    bindHolder(h.FavoritVideoDBEdit2, FavoriteVideoQuery, u"http"_s, context);
    bindHolder(h.FavoritTVDBEdit, FavoriteTVQuery, u"tv"_s, context);
    bindHolder(h.FavoritTVDBEdit2, FavoriteTVQuery, u"http"_s, context);
    bindHolder(h.FavoritRadioDBEdit, FavoriteRadioQuery, u"radio"_s, context);
    bindHolder(h.FavoritRadioDBEdit2, FavoriteRadioQuery, u"http"_s, context);
}

Query& TDataModule2::catalog(MediaKind kind) {
    Query* const lists[] = {&ADOQuery1, &ADOQuery2, &ADOQuery3};
    return *lists[static_cast<int>(kind)];
}

Query& TDataModule2::favorites(MediaKind kind) {
    Query* const lists[] = {&FavoriteVideoQuery, &FavoriteTVQuery, &FavoriteRadioQuery};
    return *lists[static_cast<int>(kind)];
}

QStringList TDataModule2::searchStatement(const Query& query) {
    // The typed text travels as a parameter: a quote in it is just a character.
    return {u"SELECT*"_s, u"FROM "_s + query.table(),
            u"WHERE "_s + query.fields().title + u" LIKE '%' || ? || '%'"_s};
}

namespace {
// A longer text may exceed the engine's LIKE pattern limit, which only the statement can report.
constexpr qsizetype longestTextInMemory = 1000;

// The folded search text when memory can answer for the statement: no wildcard, no NUL (the
// statement would cut the pattern there), no U+FFFD (the engine and our fold may read a malformed
// title's bytes as a different number of them).
std::optional<std::string> foldedPlainText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > longestTextInMemory || utf8.contains('%') || utf8.contains('_') ||
        utf8.contains('\0') || text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    std::string folded(3 * std::size_t(utf8.size()), '\0');
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.constData());
    folded.resize(std::size_t(foldUtf8(bytes, int(utf8.size()), folded.data()) - folded.data()));
    return folded;
}
} // namespace

void TDataModule2::search(const QString& text) {
    completeLists();
    Query* const queries[] = {&ADOQuery1, &ADOQuery2, &ADOQuery3};
    if (!ADOConnection1.isOpen()) {
        // Nothing to run on: the video list meets the connection's failure.
        m_bases = {};
        m_basesVersion.reset();
        ADOQuery1.setSql(searchStatement(ADOQuery1), {text});
        ADOQuery1.open();
    }
    std::array<QStringList, 3> statements;
    for (size_t i = 0; i < 3; ++i)
        statements[i] = searchStatement(*queries[i]);

    const std::optional<std::string> needle = m_searchInMemory ? foldedPlainText(text) : std::nullopt;
    const std::optional<Database::FileVersion> version = needle ? ADOConnection1.fileVersion() : std::nullopt;
    if (!version || version != m_basesVersion) {
        m_bases = {};
        m_basesVersion.reset();
    }
    if (m_basesVersion) {
        const auto match = [&](size_t i) { return m_bases[i]->all.matching(m_bases[i]->folded, *needle); };
        std::future<Query::Snapshot> video = std::async(std::launch::async, match, 0);
        std::future<Query::Snapshot> tv = std::async(std::launch::async, match, 1);
        Query::Snapshot matched[] = {Query::Snapshot{}, Query::Snapshot{}, match(2)};
        matched[0] = video.get();
        matched[1] = tv.get();
        for (size_t i = 0; i < 3; ++i) {
            queries[i]->setSql(statements[i], {text});
            queries[i]->apply(std::move(matched[i]));
        }
        return;
    }

    std::array<sqlite3*, 3> connections{};
    try {
        connections = {ADOConnection1.worker(0).getHandle(), ADOConnection1.worker(1).getHandle(),
                       ADOConnection1.handle().getHandle()};
    } catch (const Failure&) {
        // The extra connections only run the statements at once; one that cannot be opened
        // refuses the search where a single connection would have: at the video list, which
        // closes, while the later lists stay as they are.
        m_bases = {};
        m_basesVersion.reset();
        ADOQuery1.setSql(statements[0], {text});
        throw;
    }
    // The three statements run at once, each on its own connection, and all of them end before
    // any list changes. Then the results are shown in the order video, online TV, radio, and the
    // first refusal stops there, just as if the statements had run one after another. When memory
    // may answer the next texts, each list is read whole (the empty text) and filtered here.
    const auto fetch = [&](size_t i) {
        if (!version)
            return queries[i]->fetch(connections[i], statements[i], {text});
        SearchBase base;
        base.all = queries[i]->fetch(connections[i], statements[i], {QString()}, &base.folded);
        Query::Snapshot shown = base.all.matching(base.folded, *needle);
        m_bases[i] = std::move(base);
        return shown;
    };
    std::future<Query::Snapshot> video = std::async(std::launch::async, fetch, 0);
    std::future<Query::Snapshot> tv = std::async(std::launch::async, fetch, 1);
    std::promise<Query::Snapshot> radioResult;
    try {
        radioResult.set_value(fetch(2));
    } catch (...) {
        radioResult.set_exception(std::current_exception());
    }
    std::future<Query::Snapshot> radio = radioResult.get_future();
    std::future<Query::Snapshot>* const results[] = {&video, &tv, &radio};
    for (auto* result : results)
        result->wait();
    if (version && m_bases[0] && m_bases[1] && m_bases[2])
        m_basesVersion = version;
    else
        m_bases = {};
    for (size_t i = 0; i < 3; ++i) {
        queries[i]->setSql(statements[i], {text});
        queries[i]->apply(results[i]->get());
    }
}
