#include "catalog/QuerySnapshot.h"

#include "base/Failure.h"
#include "catalog/CaseFolding.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>
#include <sys/mman.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// (A plain scan: it runs for every list read, on the readers' threads too, and needs no shared
// pattern object.)
int declaredLength(const char* declType) {
    if (!declType)
        return -1;
    const std::string_view type(declType);
    for (std::size_t open = type.find('('); open != std::string_view::npos; open = type.find('(', open + 1)) {
        std::size_t at = type.find_first_not_of(" \t\n\v\f\r", open + 1);
        const std::size_t digits = at;
        long long value = 0;
        while (at < type.size() && type[at] >= '0' && type[at] <= '9' && value <= INT_MAX)
            value = value * 10 + (type[at++] - '0');
        if (at == digits || at == std::string_view::npos || value > INT_MAX)
            continue;
        at = type.find_first_not_of(" \t\n\v\f\r", at);
        if (at != std::string_view::npos && type[at] == ')')
            return static_cast<int>(value);
    }
    return -1;
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

// The first place of needle (two bytes or more) in [from, end), or nullptr. Blocks of 16 places
// are tested at once for the needle's first and last bytes together, which in folded Cyrillic text
// (where half the bytes are the same two lead bytes) leaves few places to compare in full.
const char* findBytes(const char* from, const char* end, std::string_view needle) {
    const std::size_t k = needle.size();
    if (k == 1)
        return static_cast<const char*>(std::memchr(from, needle[0], std::size_t(end - from)));
    if (std::size_t(end - from) < k)
        return nullptr;
    const char* const last = end - k; // the last place the needle may start
    const char* at = from;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i final = _mm_set1_epi8(needle.back());
    for (; at + 16 <= last + 1; at += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k - 1));
        unsigned bits =
            unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
        for (; bits != 0; bits &= bits - 1) {
            const char* place = at + __builtin_ctz(bits);
            if (std::memcmp(place + 1, needle.data() + 1, k - 2) == 0)
                return place;
        }
    }
#endif
    for (; at <= last; ++at) {
        if (at[0] == needle.front() && at[k - 1] == needle.back() &&
            std::memcmp(at + 1, needle.data() + 1, k - 2) == 0)
            return at;
    }
    return nullptr;
}

// A buffer of many megabytes is filled from start to end: in pages of 2 MiB, where the system has
// them, it costs a few page faults instead of one per 4 KiB.
void adviseLargePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t large = std::uintptr_t(2) << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + large - 1) & ~(large - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(large - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

constexpr char foldEnd = '\xFF';

void appendFold(QuerySnapshot::FoldedTitles& folded, const unsigned char* utf8, int bytes) {
    std::string& out = folded.bytes;
    const std::size_t start = out.size();
    folded.starts.push_back(static_cast<qint32>(start));
    if (utf8) {
        out.resize(start + 3 * std::size_t(bytes));
        out.resize(std::size_t(foldUtf8(utf8, bytes, out.data() + start) - out.data()));
    }
    out.push_back(foldEnd);
}

} // namespace

// Raw SQLite on purpose, not SQLiteCpp: the statement runs on whichever connection the caller hands
// over (a search reads three at once, each on its own connection), and the row loop reads every
// text with one call that also tells NULL apart, where SQLiteCpp's Column copies a shared pointer
// per cell and reads NULL as empty text; a keystroke may read 100,000 rows.
QuerySnapshot QuerySnapshot::read(sqlite3* db, const QString& statement, const QStringList& parameters,
                                  const QString& queryName, const QueryFields& fields, std::size_t rowsHint,
                                  qsizetype textHint, FoldedTitles* folded, std::size_t maxRows) {
    Statement st;
    const QByteArray utf8 = statement.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &st.stmt, nullptr) !=
        SQLITE_OK)
        throw Failure(engineMessage(db));
    for (int i = 0; i < parameters.size(); ++i) {
        const QByteArray value = parameters[i].toUtf8();
        sqlite3_bind_text(st.stmt, i + 1, value.constData(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }

    // The first step comes before the columns are read: a statement prepared before another
    // connection changed the tables is prepared again there, and only then are its columns those
    // of the rows it gives.
    int rc = sqlite3_step(st.stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw Failure(engineMessage(db));

    // Match the declared fields to the result's columns by name and kind.
    int keyColumn = -1, titleColumn = -1, addressColumn = -1;
    for (int c = 0; c < sqlite3_column_count(st.stmt); ++c) {
        const QString column = QString::fromUtf8(sqlite3_column_name(st.stmt, c));
        if (keyColumn < 0 && column.compare(fields.key, Qt::CaseInsensitive) == 0)
            keyColumn = c;
        else if (titleColumn < 0 && column.compare(fields.title, Qt::CaseInsensitive) == 0)
            titleColumn = c;
        else if (addressColumn < 0 && column.compare(fields.address, Qt::CaseInsensitive) == 0)
            addressColumn = c;
    }
    const std::pair<int, const QString*> wanted[] = {
        {keyColumn, &fields.key}, {titleColumn, &fields.title}, {addressColumn, &fields.address}};
    for (const auto& [column, field] : wanted) {
        if (column < 0)
            throw Failure(u"%1: Field '%2' not found"_s.arg(queryName, *field));
    }
    for (int column : {titleColumn, addressColumn}) {
        if (declaredAsNumber(sqlite3_column_decltype(st.stmt, column)))
            throw Failure(u"%1: Type mismatch for field '%2', expecting: WideString"_s.arg(
                queryName, QString::fromUtf8(sqlite3_column_name(st.stmt, column))));
    }

    QuerySnapshot snapshot;
    snapshot.titleLimit = declaredLength(sqlite3_column_decltype(st.stmt, titleColumn));
    snapshot.addressLimit = declaredLength(sqlite3_column_decltype(st.stmt, addressColumn));
    snapshot.rows.reserve(rowsHint);
    snapshot.text.reserve(textHint);
    adviseLargePages(snapshot.rows.data(), snapshot.rows.capacity() * sizeof(Row));
    adviseLargePages(snapshot.text.data(), std::size_t(snapshot.text.capacity()));
    for (; rc == SQLITE_ROW && snapshot.rows.size() < maxRows; rc = sqlite3_step(st.stmt)) {
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
        if (folded)
            appendFold(*folded, sqlite3_column_text(st.stmt, titleColumn),
                       sqlite3_column_bytes(st.stmt, titleColumn));
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw Failure(engineMessage(db));
    // Kept for as long as the list shows it: no room left from growing.
    snapshot.text.squeeze();
    snapshot.rows.shrink_to_fit();
    if (folded) {
        folded->bytes.shrink_to_fit();
        folded->starts.shrink_to_fit();
    }
    return snapshot;
}

QuerySnapshot::Slice QuerySnapshot::appendText(QByteArray& buffer, const char* utf8, int bytes,
                                               int maxChars) {
    if (maxChars >= 0 && bytes > maxChars)
        bytes = utf8PrefixBytes(utf8, bytes, maxChars);
    Slice slice{static_cast<qint32>(buffer.size()), bytes};
    buffer.append(utf8, bytes);
    return slice;
}

QuerySnapshot QuerySnapshot::matching(const FoldedTitles& folded, std::string_view foldedNeedle) const {
    QuerySnapshot out;
    out.text = text;
    out.titleLimit = titleLimit;
    out.addressLimit = addressLimit;
    const auto keep = [&](std::size_t row) {
        if (rows[row].title.length >= 0) // NULL LIKE anything is NULL
            out.rows.push_back(rows[row]);
    };
    if (foldedNeedle.empty()) {
        out.rows.reserve(rows.size());
        for (std::size_t row = 0; row < rows.size(); ++row)
            keep(row);
        return out;
    }
    // One search over all titles at once; a hit never spans two titles, as the needle holds no 0xFF.
    const char* const all = folded.bytes.data();
    const char* const end = all + folded.bytes.size();
    const char* from = all;
    std::size_t row = 0;
    while (const char* hit = findBytes(from, end, foldedNeedle)) {
        const auto at = static_cast<qint32>(hit - all);
        // Hits come in order: the row is found by walking on, not by a search.
        while (row + 1 < folded.starts.size() && folded.starts[row + 1] <= at)
            ++row;
        keep(row);
        if (++row >= folded.starts.size())
            break;
        from = all + folded.starts[row];
    }
    return out;
}
