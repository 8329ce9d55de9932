#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace SQLite {
class Database;
}
struct sqlite3;

// The one connection to the catalog file. It is opened read-write on a file that
// must already exist (a missing bdv.db is never created), shares the file with
// other processes, waits for their locks instead of failing at once, and gets our
// Unicode-aware LIKE and Russian collation installed.
class Database {
public:
    explicit Database(QString path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Connects when not connected yet; throws Failure with the engine's message.
    void connect();
    void close();
    [[nodiscard]] bool isOpen() const { return m_db != nullptr; }
    // Valid only while open.
    [[nodiscard]] SQLite::Database& handle();
    // A further connection to the same file, for running one statement on another
    // thread while this one runs another; opened on first use, then kept. Throws Failure.
    [[nodiscard]] SQLite::Database& worker(int index);
    // A read-only connection of the caller's own for reading tables once, opened now, whether or
    // not this one is open; it keeps few pages cached. Throws Failure.
    [[nodiscard]] std::unique_ptr<SQLite::Database> reader() const;

    static constexpr int busyTimeoutMs = 5000;

    // Gives back the pages the connections keep cached, once whole tables have been read into
    // the lists: the lists hold what the user sees, and the file stays in the system's cache.
    // (Searches keep theirs: a search with wildcards scans the tables again at every keystroke.)
    void releaseCaches();

    // Marks that change whenever what the connection reads may have changed: a commit by another
    // connection, a change of the tables' definitions, a row written by this connection, or the
    // connection opened anew.
    struct FileVersion {
        qint64 data = 0;
        qint64 schema = 0;
        qint64 ownChanges = 0;
        qint64 opening = 0;
        bool operator==(const FileVersion&) const = default;
    };
    // Read cheaply from the open connection; nothing when they cannot be read (a lock held too
    // long, the connection closed).
    [[nodiscard]] std::optional<FileVersion> fileVersion();
    // The number a statement's first row starts with, on any connection; nothing when it cannot
    // be read.
    [[nodiscard]] static std::optional<qint64> readInteger(sqlite3* connection, const char* statement);
    // Changes whenever another connection commits to the file.
    [[nodiscard]] static std::optional<qint64> dataVersion(sqlite3* connection) {
        return readInteger(connection, "PRAGMA data_version");
    }

private:
    QString m_path;
    [[nodiscard]] std::unique_ptr<SQLite::Database> openConnection(int mode) const;

    std::unique_ptr<SQLite::Database> m_db;
    qint64 m_openings = 0;
    std::vector<std::unique_ptr<SQLite::Database>> m_workers;
};
