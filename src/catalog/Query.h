#pragma once

#include "catalog/QueryFields.h"
#include "catalog/QuerySnapshot.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

class Database;
struct sqlite3;

// A statement over one table and the in-memory snapshot of its result.
//
// Opening runs the statement and fetches every row; afterwards the lists read only
// the snapshot. Sorting re-orders the snapshot without running the statement again.
// Inserts and deletes go to the file at once, one row each, and are mirrored in the
// snapshot (a QuerySnapshot's rows, their texts in one UTF-8 buffer). The model shows
// the title column only.
class Query : public QAbstractTableModel {
    Q_OBJECT
public:
    Query(QString name, Database& db, QString table, QueryFields fields, QObject* parent = nullptr);

    [[nodiscard]] const QString& name() const { return m_name; }
    [[nodiscard]] const QString& table() const { return m_table; }
    [[nodiscard]] const QueryFields& fields() const { return m_fields; }

    // Statement lines are sent joined, each followed by CR LF. Parameters are bound in
    // order to the "?" placeholders. Changing the statement closes the query.
    void setSql(QStringList lines, QStringList parameters = {});
    [[nodiscard]] QString statementText() const;
    // Statement lines as the engine gets them: each followed by CR LF.
    [[nodiscard]] static QString joinedLines(const QStringList& lines);

    // Runs the statement and fetches the whole result; throws Failure on refusal,
    // leaving the query closed.
    void open();
    void close();
    [[nodiscard]] bool isActive() const { return m_active; }

    using Slice = QuerySnapshot::Slice;
    using Row = QuerySnapshot::Row;
    using Snapshot = QuerySnapshot;
    // Runs a statement on a connection and fetches its whole result, without touching
    // the query's state: several queries may fetch at once, each on its own connection.
    [[nodiscard]] Snapshot fetch(sqlite3* connection, const QStringList& sql, const QStringList& parameters,
                                 Snapshot::FoldedTitles* folded = nullptr) const;
    // Runs the statement on the query's own connection (connecting first) and reads at most `rows`
    // rows, without touching the query's state; throws Failure as open() does.
    [[nodiscard]] Snapshot fetchFirst(std::size_t rows);
    // Makes a fetched result the open snapshot, its first row current.
    void apply(Snapshot&& snapshot);
    // Shows the first rows of a result whose other rows are still being read, its first row
    // current; the list already counts all `rowCount` rows. Until they have come (restRows), what
    // reads or changes the rows beyond the first ones, or the whole result, calls `awaitRest` first,
    // which must bring them.
    void applyFirstRows(Snapshot&& snapshot, int rowCount, std::function<void()> awaitRest);
    // The whole result, whose first rows and count are those shown: the rows stay where they are.
    // (Anything else, say the file changed meanwhile, is applied as a new result.)
    void restRows(Snapshot&& whole);
    // Whether rows are still to come.
    [[nodiscard]] bool awaitsRows() const { return m_unread > 0; }
    // Throws the closed-dataset Failure when the query is not open.
    void checkActive() const;

    [[nodiscard]] int recordCount() const {
        awaitRest();
        return static_cast<int>(m_rows.size());
    }
    [[nodiscard]] int currentRow() const { return m_current; }
    // Makes another row current; moving to the row that already is current raises nothing.
    void setCurrentRow(int row);

    [[nodiscard]] QString title(int row) const;
    [[nodiscard]] QString address(int row) const;
    [[nodiscard]] bool titleIsNull(int row) const;
    [[nodiscard]] QString currentTitle() const { return m_current < 0 ? QString() : title(m_current); }
    [[nodiscard]] QString currentAddress() const { return m_current < 0 ? QString() : address(m_current); }
    // Text of the named field (title or address) in the current row.
    [[nodiscard]] QString currentText(const QString& field) const;

    // Orders the snapshot ascending by the named field with the Russian collation.
    // The row that was current stays current.
    void sort(const QString& field);
    using QAbstractTableModel::sort; // the model's own sort(column, order) stays reachable
    // Stores a new row; an empty text leaves its column unset (the table's default).
    // The new row is appended to the snapshot and becomes current.
    void insertRecord(const QString& title, const QString& address);
    // Removes the current row from the file and the snapshot; the next row (or the
    // new last one) becomes current.
    void deleteCurrent();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The query opened, its current row moved, or its rows were re-ordered or changed.
    void dataChange();
    // The query closed: it has no current row any more.
    void closed();

private:
    [[nodiscard]] QString text(const Slice& slice) const;
    // Brings the rows still being read, if any (const: what the query shows does not change).
    void awaitRest() const;
    void awaitRest(int row) const {
        if (row >= static_cast<int>(m_rows.size()))
            awaitRest();
    }
    Slice append(const QString& text);

    QString m_name;
    Database& m_db;
    QString m_table;
    QueryFields m_fields;
    QStringList m_sql;
    QStringList m_parameters;
    bool m_active = false;
    std::vector<Row> m_rows;
    QByteArray m_text;
    int m_current = -1;
    int m_unread = 0; // rows counted but not read yet
    mutable std::function<void()> m_awaitRest;
    int m_titleLimit = -1;
    int m_addressLimit = -1;
};
