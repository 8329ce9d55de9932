#include "catalog/Database.h"

#include "app/Failure.h"
#include "catalog/UnicodeText.h"

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

namespace {
// Before the engine starts: no global statistics mutex on every allocation. Each
// connection is used by one thread at a time, so "multi-thread" mode is enough.
[[maybe_unused]] const bool engineConfigured = [] {
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    return true;
}();
} // namespace

Database::Database(QString path) : m_path(std::move(path)) {}

Database::~Database() = default;

void Database::connect() {
    if (!m_db)
        m_db = openConnection();
}

std::unique_ptr<SQLite::Database> Database::openConnection() const {
    try {
        // A connection is only ever used by one thread at a time: no SQLite mutex needed.
        auto db = std::make_unique<SQLite::Database>(
            m_path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX, busyTimeoutMs);
        // Searches scan whole tables at every keystroke: map the file instead of copying
        // its pages, and keep a generous page cache.
        db->exec("PRAGMA mmap_size = 268435456");
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
        connection = openConnection();
    return *connection;
}

void Database::close() {
    m_db.reset();
}

SQLite::Database& Database::handle() {
    if (!m_db)
        throw Failure(QStringLiteral("database is not open"));
    return *m_db;
}
