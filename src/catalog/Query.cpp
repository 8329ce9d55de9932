#include "catalog/Query.h"

#include "base/Failure.h"
#include "catalog/Database.h"
#include "catalog/RussianCollator.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

using namespace Qt::StringLiterals;

Query::Query(QString name, Database& db, QString table, QueryFields fields, QObject* parent)
    : QAbstractTableModel(parent), m_name(std::move(name)), m_db(db), m_table(std::move(table)),
      m_fields(std::move(fields)) {}

void Query::setSql(QStringList lines, QStringList parameters) {
    close();
    m_sql = std::move(lines);
    m_parameters = std::move(parameters);
}

QString Query::statementText() const {
    return joinedLines(m_sql);
}

QString Query::joinedLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + u"\r\n"_s;
    return text;
}

void Query::open() {
    close();
    m_db.connect();
    apply(fetch(m_db.handle().getHandle(), m_sql, m_parameters));
}

Query::Snapshot Query::fetch(sqlite3* db, const QStringList& sql, const QStringList& parameters,
                             Snapshot::FoldedTitles* folded) const {
    return QuerySnapshot::read(db, joinedLines(sql), parameters, m_name, m_fields, m_rows.size(),
                               m_text.capacity(), folded);
}

Query::Snapshot Query::fetchFirst(std::size_t rows) {
    m_db.connect();
    return QuerySnapshot::read(m_db.handle().getHandle(), joinedLines(m_sql), m_parameters, m_name, m_fields,
                               std::min<std::size_t>(rows, 1024), 0, nullptr, rows);
}

void Query::apply(Snapshot&& snapshot) {
    applyFirstRows(std::move(snapshot), 0, nullptr);
}

void Query::applyFirstRows(Snapshot&& snapshot, int rowCount, std::function<void()> awaitRest) {
    beginResetModel();
    m_unread = std::max(0, rowCount - static_cast<int>(snapshot.rows.size()));
    m_awaitRest = m_unread > 0 ? std::move(awaitRest) : nullptr;
    m_rows = std::move(snapshot.rows);
    m_text = std::move(snapshot.text);
    m_titleLimit = snapshot.titleLimit;
    m_addressLimit = snapshot.addressLimit;
    m_active = true;
    m_current = m_rows.empty() ? -1 : 0;
    endResetModel();
    emit dataChange();
}

void Query::restRows(Snapshot&& whole) {
    const std::size_t shown = m_rows.size();
    const bool same = m_active && whole.rows.size() == shown + std::size_t(m_unread) &&
                      whole.titleLimit == m_titleLimit && whole.addressLimit == m_addressLimit;
    if (!same) {
        apply(std::move(whole));
        return;
    }
    m_awaitRest = nullptr;
    m_rows = std::move(whole.rows);
    m_text = std::move(whole.text);
    m_unread = 0;
    // Only the rows that had nothing to show change.
    if (m_rows.size() > shown)
        emit dataChanged(index(static_cast<int>(shown), 0), index(static_cast<int>(m_rows.size()) - 1, 0));
}

void Query::awaitRest() const {
    if (m_awaitRest)
        std::exchange(m_awaitRest, nullptr)();
}

void Query::close() {
    m_unread = 0;
    m_awaitRest = nullptr;
    if (!m_active)
        return;
    beginResetModel();
    m_active = false;
    m_rows.clear();
    m_text.clear();
    m_current = -1;
    endResetModel();
    emit closed();
}

void Query::setCurrentRow(int row) {
    awaitRest(row);
    if (row < 0 || row >= static_cast<int>(m_rows.size()) || row == m_current)
        return;
    m_current = row;
    emit dataChange();
}

QString Query::title(int row) const {
    awaitRest(row);
    return text(m_rows.at(static_cast<size_t>(row)).title);
}

QString Query::address(int row) const {
    awaitRest(row);
    return text(m_rows.at(static_cast<size_t>(row)).address);
}

bool Query::titleIsNull(int row) const {
    awaitRest(row);
    return m_rows.at(static_cast<size_t>(row)).title.length < 0;
}

QString Query::currentText(const QString& field) const {
    if (field.compare(m_fields.title, Qt::CaseInsensitive) == 0)
        return currentTitle();
    if (field.compare(m_fields.address, Qt::CaseInsensitive) == 0)
        return currentAddress();
    return {};
}

void Query::checkActive() const {
    if (!m_active)
        throw Failure(m_name + u": Cannot perform this operation on a closed dataset"_s);
}

void Query::sort(const QString& field) {
    checkActive();
    awaitRest();
    const bool byTitle = field.compare(m_fields.address, Qt::CaseInsensitive) != 0;
    // One sort key per row, then plain byte comparisons.
    const RussianCollator collator;
    std::vector<QByteArray> keys;
    keys.reserve(m_rows.size());
    for (const Row& row : m_rows)
        keys.push_back(collator.sortKey(text(byTitle ? row.title : row.address)));
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });

    emit layoutAboutToBeChanged();
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> position(m_rows.size()); // old row -> new row
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(m_rows[size_t(order[i])]);
        position[size_t(order[i])] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    if (m_current >= 0)
        m_current = position[size_t(m_current)];
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after << this->index(position[size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged();
    emit dataChange();
}

void Query::insertRecord(const QString& title, const QString& address) {
    checkActive();
    awaitRest();
    QStringList columns, values;
    if (!title.isEmpty())
        columns << m_fields.title, values << title;
    if (!address.isEmpty())
        columns << m_fields.address, values << address;
    const QString sql =
        columns.isEmpty()
            ? u"INSERT INTO %1 DEFAULT VALUES"_s.arg(m_table)
            : u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(m_table, columns.join(u", "_s),
                                                       QStringList(columns.size(), u"?"_s).join(u", "_s));
    SQLite::Database& db = m_db.handle();
    try {
        SQLite::Statement statement(db, sql.toStdString());
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values[i].toStdString());
        statement.exec();
    } catch (const SQLite::Exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }

    Row row;
    row.key = db.getLastInsertRowid();
    row.title = title.isEmpty() ? Slice{} : append(title.left(m_titleLimit < 0 ? -1 : m_titleLimit));
    row.address =
        address.isEmpty() ? Slice{} : append(address.left(m_addressLimit < 0 ? -1 : m_addressLimit));
    const int at = recordCount();
    beginInsertRows({}, at, at);
    m_rows.push_back(row);
    endInsertRows();
    m_current = at;
    emit dataChange();
}

void Query::deleteCurrent() {
    checkActive();
    awaitRest();
    if (m_current < 0)
        throw Failure(m_name + u": No current record"_s);
    int changes = 0;
    try {
        SQLite::Statement statement(
            m_db.handle(), u"DELETE FROM %1 WHERE %2 = ?"_s.arg(m_table, m_fields.key).toStdString());
        statement.bind(1, static_cast<std::int64_t>(m_rows[size_t(m_current)].key));
        changes = statement.exec();
    } catch (const SQLite::Exception& e) {
        throw Failure(QString::fromUtf8(e.what()));
    }
    if (changes == 0)
        throw Failure(m_name + u": Row cannot be located for updating"_s);

    const int removed = m_current;
    beginRemoveRows({}, removed, removed);
    m_rows.erase(m_rows.begin() + removed);
    endRemoveRows();
    m_current = m_rows.empty() ? -1 : std::min(removed, recordCount() - 1);
    emit dataChange();
}

QString Query::text(const Slice& slice) const {
    if (slice.length <= 0)
        return {};
    return QString::fromUtf8(m_text.constData() + slice.offset, slice.length);
}

Query::Slice Query::append(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return QuerySnapshot::appendText(m_text, utf8.constData(), static_cast<int>(utf8.size()), -1);
}

int Query::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size()) + m_unread;
}

int Query::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant Query::data(const QModelIndex& index, int role) const {
    // A row still being read shows nothing: painting never waits for it.
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size()) ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return text(m_rows[static_cast<size_t>(index.row())].title);
}

QVariant Query::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return m_fields.titleLabel;
    return QString();
}
