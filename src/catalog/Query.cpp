#include "catalog/Query.h"

#include "base/Failure.h"
#include "catalog/Database.h"
#include "catalog/RussianCollator.h"

#include <QRegularExpression>
#include <SQLiteCpp/Database.h>
#include <algorithm>
#include <numeric>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// Closes the statement on every way out.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

QString engineMessage(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

bool declaredAsNumber(const char* declType) {
    if (!declType)
        return false;
    const QString type = QString::fromUtf8(declType).toUpper();
    if (type.contains(u"CHAR"_s) || type.contains(u"TEXT"_s) || type.contains(u"CLOB"_s))
        return false;
    static const char16_t* const numeric[] = {u"INT", u"REAL", u"FLOA", u"DOUB",
                                              u"NUM", u"DEC",  u"BOOL", u"DATE"};
    return std::any_of(std::begin(numeric), std::end(numeric),
                       [&](const char16_t* word) { return type.contains(QStringView(word)); });
}

// The length a text column is declared with ("TEXT(255)", "VARCHAR(40)"), or -1.
int declaredLength(const char* declType) {
    if (!declType)
        return -1;
    static const QRegularExpression length(u"\\(\\s*(\\d+)\\s*\\)"_s);
    const auto match = length.match(QString::fromUtf8(declType));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Number of bytes of the first maxChars UTF-16 units of a UTF-8 text.
int utf8PrefixBytes(const char* utf8, int bytes, int maxChars) {
    int units = 0;
    int i = 0;
    while (i < bytes) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const int width = length == 4 ? 2 : 1;
        if (units + width > maxChars)
            break;
        units += width;
        i = std::min(bytes, i + length);
    }
    return i;
}

} // namespace

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

Query::Snapshot Query::fetch(sqlite3* db, const QStringList& sql, const QStringList& parameters) const {
    Statement st;
    const QByteArray utf8 = joinedLines(sql).toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &st.stmt, nullptr) !=
        SQLITE_OK)
        throw Failure(engineMessage(db));
    for (int i = 0; i < parameters.size(); ++i) {
        const QByteArray value = parameters[i].toUtf8();
        sqlite3_bind_text(st.stmt, i + 1, value.constData(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }

    // Match the declared fields to the result's columns by name and kind.
    int keyColumn = -1, titleColumn = -1, addressColumn = -1;
    for (int c = 0; c < sqlite3_column_count(st.stmt); ++c) {
        const QString column = QString::fromUtf8(sqlite3_column_name(st.stmt, c));
        if (keyColumn < 0 && column.compare(m_fields.key, Qt::CaseInsensitive) == 0)
            keyColumn = c;
        else if (titleColumn < 0 && column.compare(m_fields.title, Qt::CaseInsensitive) == 0)
            titleColumn = c;
        else if (addressColumn < 0 && column.compare(m_fields.address, Qt::CaseInsensitive) == 0)
            addressColumn = c;
    }
    const std::pair<int, const QString*> wanted[] = {
        {keyColumn, &m_fields.key}, {titleColumn, &m_fields.title}, {addressColumn, &m_fields.address}};
    for (const auto& [column, field] : wanted) {
        if (column < 0)
            throw Failure(u"%1: Field '%2' not found"_s.arg(m_name, *field));
    }
    for (int column : {titleColumn, addressColumn}) {
        if (declaredAsNumber(sqlite3_column_decltype(st.stmt, column)))
            throw Failure(u"%1: Type mismatch for field '%2', expecting: WideString"_s.arg(
                m_name, QString::fromUtf8(sqlite3_column_name(st.stmt, column))));
    }

    Snapshot snapshot;
    snapshot.titleLimit = declaredLength(sqlite3_column_decltype(st.stmt, titleColumn));
    snapshot.addressLimit = declaredLength(sqlite3_column_decltype(st.stmt, addressColumn));
    snapshot.rows.reserve(m_rows.size());
    snapshot.text.reserve(m_text.capacity());
    int rc;
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
        Row row;
        row.key = sqlite3_column_int64(st.stmt, keyColumn);
        // sqlite3_column_text gives no pointer for NULL: no separate type test per column.
        const auto column = [&](int index, int limit) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, index));
            return value ? appendText(snapshot.text, value, sqlite3_column_bytes(st.stmt, index), limit)
                         : Slice{};
        };
        row.title = column(titleColumn, snapshot.titleLimit);
        row.address = column(addressColumn, snapshot.addressLimit);
        snapshot.rows.push_back(row);
    }
    if (rc != SQLITE_DONE)
        throw Failure(engineMessage(db));
    return snapshot;
}

void Query::apply(Snapshot&& snapshot) {
    beginResetModel();
    m_rows = std::move(snapshot.rows);
    m_text = std::move(snapshot.text);
    m_titleLimit = snapshot.titleLimit;
    m_addressLimit = snapshot.addressLimit;
    m_active = true;
    m_current = m_rows.empty() ? -1 : 0;
    endResetModel();
    emit dataChange();
}

void Query::close() {
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
    if (row < 0 || row >= recordCount() || row == m_current)
        return;
    m_current = row;
    emit dataChange();
}

QString Query::title(int row) const {
    return text(m_rows.at(static_cast<size_t>(row)).title);
}

QString Query::address(int row) const {
    return text(m_rows.at(static_cast<size_t>(row)).address);
}

bool Query::titleIsNull(int row) const {
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
    sqlite3* db = m_db.handle().getHandle();
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
    Statement st;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &st.stmt, nullptr) !=
        SQLITE_OK)
        throw Failure(engineMessage(db));
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray value = values[i].toUtf8();
        sqlite3_bind_text(st.stmt, i + 1, value.constData(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }
    if (sqlite3_step(st.stmt) != SQLITE_DONE)
        throw Failure(engineMessage(db));

    Row row;
    row.key = sqlite3_last_insert_rowid(db);
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
    if (m_current < 0)
        throw Failure(m_name + u": No current record"_s);
    sqlite3* db = m_db.handle().getHandle();
    Statement st;
    const QByteArray sql = u"DELETE FROM %1 WHERE %2 = ?"_s.arg(m_table, m_fields.key).toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &st.stmt, nullptr) != SQLITE_OK)
        throw Failure(engineMessage(db));
    sqlite3_bind_int64(st.stmt, 1, m_rows[size_t(m_current)].key);
    if (sqlite3_step(st.stmt) != SQLITE_DONE)
        throw Failure(engineMessage(db));
    if (sqlite3_changes(db) == 0)
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

Query::Slice Query::appendText(QByteArray& buffer, const char* utf8, int bytes, int maxChars) {
    if (maxChars >= 0 && bytes > maxChars)
        bytes = utf8PrefixBytes(utf8, bytes, maxChars);
    Slice slice{static_cast<qint32>(buffer.size()), bytes};
    buffer.append(utf8, bytes);
    return slice;
}

Query::Slice Query::append(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return appendText(m_text, utf8.constData(), static_cast<int>(utf8.size()), -1);
}

int Query::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : recordCount();
}

int Query::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant Query::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= recordCount() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return title(index.row());
}

QVariant Query::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return m_fields.titleLabel;
    return QString();
}
