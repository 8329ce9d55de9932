#include "catalog/Database.h"

#include "app/Failure.h"
#include "catalog/UnicodeText.h"

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

Database::Database(QString path) : m_path(std::move(path)) {}

Database::~Database() = default;

void Database::connect() {
    if (m_db)
        return;
    try {
        auto db =
            std::make_unique<SQLite::Database>(m_path.toStdString(), SQLite::OPEN_READWRITE, busyTimeoutMs);
        installUnicodeText(db->getHandle());
        m_db = std::move(db);
    } catch (const SQLite::Exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
}

void Database::close() {
    m_db.reset();
}

SQLite::Database& Database::handle() {
    if (!m_db)
        throw Failure(QStringLiteral("database is not open"));
    return *m_db;
}
