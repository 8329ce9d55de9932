#include "catalog/Database.h"

#include "base/Failure.h"
#include "catalog/UnicodeText.h"

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
// Before the engine starts: no allocation statistics, whose global mutex showed as the top
// cost of a search. (Refused harmlessly if something started the engine first.)
[[maybe_unused]] const bool engineConfigured = [] {
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return true;
}();
} // namespace

Database::Database(QString path) : m_path(std::move(path)) {}

Database::~Database() = default;

void Database::connect() {
    if (!m_db) {
        m_db = openConnection(SQLite::OPEN_READWRITE);
        ++m_openings;
    }
}

std::optional<Database::FileVersion> Database::fileVersion() {
    if (!m_db)
        return std::nullopt;
    sqlite3* const db = m_db->getHandle();
    const auto data = dataVersion(db);
    const auto schema = readInteger(db, "PRAGMA schema_version");
    if (!data || !schema)
        return std::nullopt;
    return FileVersion{*data, *schema, sqlite3_total_changes64(db), m_openings};
}

std::optional<qint64> Database::readInteger(sqlite3* connection, const char* statement) {
    sqlite3_stmt* prepared = nullptr;
    std::optional<qint64> value;
    if (sqlite3_prepare_v2(connection, statement, -1, &prepared, nullptr) == SQLITE_OK &&
        sqlite3_step(prepared) == SQLITE_ROW)
        value = sqlite3_column_int64(prepared, 0);
    sqlite3_finalize(prepared);
    return value;
}

std::unique_ptr<SQLite::Database> Database::openConnection(int mode) const {
    try {
        // A connection is only ever used by one thread at a time: no SQLite mutex needed.
        auto db = std::make_unique<SQLite::Database>(m_path.toStdString(), mode | SQLite::OPEN_NOMUTEX,
                                                     busyTimeoutMs);
        // Searches scan whole tables at every keystroke: keep the pages in a generous cache.
        // (Mapping the file would save the copies too, but an I/O error on a mapped file
        // kills the process instead of failing one statement.)
        db->exec("PRAGMA cache_size = -65536");
        installUnicodeText(db->getHandle());
        return db;
    } catch (const SQLite::Exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
}

SQLite::Database& Database::worker(int index) {
    if (!m_db)
        throw Failure(QStringLiteral("database is not open"));
    if (m_workers.size() <= static_cast<size_t>(index))
        m_workers.resize(static_cast<size_t>(index) + 1);
    auto& connection = m_workers[static_cast<size_t>(index)];
    if (!connection)
        connection = openConnection(SQLite::OPEN_READONLY); // a search never writes
    return *connection;
}

std::unique_ptr<SQLite::Database> Database::reader() const {
    auto db = openConnection(SQLite::OPEN_READONLY);
    // Each page is read once: a big cache would only cost memory to fill and give back.
    sqlite3_exec(db->getHandle(), "PRAGMA cache_size = -1024", nullptr, nullptr, nullptr);
    return db;
}

void Database::releaseCaches() {
    if (m_db)
        sqlite3_db_release_memory(m_db->getHandle());
    for (const auto& worker : m_workers) {
        if (worker)
            sqlite3_db_release_memory(worker->getHandle());
    }
#if defined(__GLIBC__)
    // The freed pages lie between the lists' buffers: only trimming hands them to the system.
    malloc_trim(0);
#endif
}

void Database::close() {
    m_db.reset();
}

SQLite::Database& Database::handle() {
    if (!m_db)
        throw Failure(QStringLiteral("database is not open"));
    return *m_db;
}
