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
class QSocketNotifier;
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

    // Starts counting the lists' rows in the background while the windows are being built, so that
    // open() can show a long list's first rows with all of them counted. (open() starts it itself
    // when it was not.)
    void startCounting();

    // Connects and opens the six queries in their order. Every failure (the
    // connection, then each query trying on its own) is shown in an error box of its
    // own; what could not open stays closed.
    // A list longer than its first rows (setFirstRows) shows those, already counting every row;
    // the others come with completeLists(), or as soon as anything reads or changes the rows.
    void open(Dialogs& dialogs);
    // Starts reading the rows still to come in the background, on connections of their own;
    // restRead() tells when they have been read. False when the system gives no way to be told.
    bool readRest();
    // Brings the rows still to come into the lists (reading them first when that has not started).
    // When the file has changed since open(), or a background read failed, those lists run their
    // statements again, as open() would now, and their failures are shown in error boxes.
    void completeLists();
    [[nodiscard]] bool listsComplete() const;
    // How many rows of each list open() reads before showing it: more than a screen holds.
    void setFirstRows(int rows) { m_firstRows = rows; }
    static constexpr int defaultFirstRows = 256;

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

signals:
    // Every list's rest is read: completeLists() brings them without waiting.
    void restRead();

private:
    [[nodiscard]] Query& list(size_t index);
    // A kind's list and favorites counted on a connection of their own (nothing: not counted),
    // and the file's data version there when they were.
    struct Counts {
        std::unique_ptr<SQLite::Database> connection;
        qint64 version = -1;
        std::array<std::optional<int>, 2> rows;
    };
    std::array<std::future<Counts>, 3> m_counts;
    // The whole result of a list's statement, read in the background (nothing: the read failed).
    std::array<std::future<std::optional<Query::Snapshot>>, 6> m_rest;
    std::array<std::future<void>, 6> m_readers; // the threads reading them
    // Each reader, done, writes to this counter; the notifier then looks whether all are.
    [[nodiscard]] bool listenForRest();
    int m_restDone = -1;
    std::unique_ptr<QSocketNotifier> m_restNotifier;
    std::optional<Database::FileVersion> m_openedVersion; // the file's when open() read the first rows
    Dialogs* m_dialogs = nullptr;
    QString m_path;
    int m_firstRows = defaultFirstRows;

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
