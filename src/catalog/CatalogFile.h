#pragma once

#include "base/MediaKind.h"
#include "catalog/PlaylistReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class Database;

// A problem found while importing or exporting: in a playlist FILE at LINE, or in the catalog
// (LINE 0 when it concerns the whole file).
struct CatalogProblem {
    QString file;
    int line = 0;
    QString text;

    // "FILE:LINE: text", or "FILE: text" without a line.
    [[nodiscard]] QString toString() const;
};

struct ImportResult {
    int added = 0;
    int duplicates = 0; // entries already in the list (same title and address), not added again
    QList<CatalogProblem> errors;
    QList<CatalogProblem> warnings;
};

struct CatalogRow {
    QString title;
    QString address; // as stored: for a TV channel the fragment that embeds its player
};

// The catalog file as its owner edits it outside the program: creating an empty catalog,
// filling a catalog list from playlists, reading a list back. The program's own connection may
// have the file open meanwhile; a busy file is waited for as the program waits.
class CatalogFile {
public:
    enum class ListFormat { M3u, Csv };
    using Progress = std::function<void(qsizetype done, qsizetype total)>;

    explicit CatalogFile(QString path);
    ~CatalogFile();
    CatalogFile(const CatalogFile&) = delete;
    CatalogFile& operator=(const CatalogFile&) = delete;

    // Creates a catalog with its six empty tables; throws Failure when the file exists or
    // cannot be made (nothing is left behind then).
    static void create(const QString& path);
    // The statements that make those six tables.
    [[nodiscard]] static QString schemaSql();

    // Reads every playlist and checks every entry first; only when nothing is wrong are the
    // entries stored, all in one transaction. With errors the catalog file is not touched.
    // Throws Failure when the catalog cannot be opened or written.
    [[nodiscard]] ImportResult importFiles(MediaKind kind, const QStringList& files,
                                           const Progress& progress = {});
    // The same for playlists already read (name for the messages, content).
    [[nodiscard]] ImportResult import(MediaKind kind, const QList<std::pair<QString, QByteArray>>& playlists,
                                      const Progress& progress = {});

    // The list's rows in the engine's order. Throws Failure.
    [[nodiscard]] QList<CatalogRow> rows(MediaKind kind);
    // The list written as a playlist; rows that cannot be written are reported in `warnings`.
    [[nodiscard]] QByteArray exportList(MediaKind kind, ListFormat format, QList<CatalogProblem>& warnings);

    // How a TV channel's address is stored: a fragment the player page shows as it is.
    [[nodiscard]] static QString tvFragment(const QString& address);
    // The address inside such a fragment; empty when the fragment is of another shape.
    [[nodiscard]] static QString addressOfTvFragment(const QString& fragment);

private:
    Database& database();

    QString m_path;
    std::unique_ptr<Database> m_database;
};
