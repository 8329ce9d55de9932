#pragma once

#include "base/MediaKind.h"
#include "catalog/Database.h"
#include "catalog/Holders.h"
#include "catalog/Query.h"

#include <QObject>
#include <array>
#include <future>
#include <memory>
#include <optional>

class Dialogs;
namespace SQLite {
class Database;
}

// The data component: the connection to bdv.db, the three catalog queries and the
// three favorites queries. Windows bind their lists and holders to it.
class TDataModule2 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule2(const QString& databasePath, QObject* parent = nullptr);
    ~TDataModule2() override;
    TDataModule2(const TDataModule2&) = delete;
    TDataModule2& operator=(const TDataModule2&) = delete;

    // Starts reading the six queries' results in the background, each kind on a connection of
    // its own, while the windows are being built. open() shows a result read so when the file
    // has not changed since; anything else (a failure, a change) it runs as if nothing had been
    // read, so what open() shows and reports stays the same.
    void startReading();

    // Connects and opens the six queries in their order. Every failure (the
    // connection, then each query trying on its own) is shown in an error box of its
    // own; what could not open stays closed.
    void open(Dialogs& dialogs);

    // Keeps a holder equal to one field of a query's current row, for as long as
    // `context` lives.
    static void bindHolder(TextHolder& holder, Query& query, const QString& field, QObject* context);
    void bindMain(MainHolders& holders, QObject* context);
    void bindFavorites(FavoriteHolders& holders, QObject* context);

    [[nodiscard]] Query& catalog(MediaKind kind);
    [[nodiscard]] Query& favorites(MediaKind kind);

    // Runs the three catalog queries again, video, online TV, radio, each with the
    // title condition and the text as a bound parameter. Stops at the first refusal
    // (that query stays closed) and throws its Failure.
    // A text without wildcards is answered from memory while the file is unchanged since the
    // lists' last full read, with the rows, order and failures the statements would give.
    void search(const QString& text);
    [[nodiscard]] static QStringList searchStatement(const Query& query);
    // On by default; off runs the statements at every search (benchmarks compare the two).
    void setSearchInMemory(bool on) { m_searchInMemory = on; }

    Database ADOConnection1;
    Query ADOQuery1;
    Query ADOQuery2;
    Query ADOQuery3;
    Query FavoriteVideoQuery;
    Query FavoriteTVQuery;
    Query FavoriteRadioQuery;

private:
    // A kind's list and favorites, read on `connection` after the file's data version was `version`.
    struct EarlyRead {
        std::unique_ptr<SQLite::Database> connection;
        qint64 version = -1;
        std::array<std::optional<Query::Snapshot>, 2> lists; // nothing: that statement failed
    };
    // The early read of a kind when it is still what the file holds.
    [[nodiscard]] std::optional<EarlyRead> takeEarlyRead(size_t kind);
    QString m_path;
    std::array<std::future<EarlyRead>, 3> m_earlyReads;

    // One list's search statement with the empty text: every row with a title, in the
    // statement's order, with the folds of the full titles.
    struct SearchBase {
        Query::Snapshot all;
        Query::Snapshot::FoldedTitles folded;
    };
    std::array<std::optional<SearchBase>, 3> m_bases;
    std::optional<Database::FileVersion> m_basesVersion; // set while all three bases are current
    bool m_searchInMemory = true;
};
