#pragma once

#include "catalog/QueryFields.h"

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// A statement's whole result, fetched and not yet shown: key, title and address of every row. Row
// texts live in one UTF-8 buffer with offsets, so a fetch of 100,000 rows costs a few allocations,
// not hundreds of thousands.
struct QuerySnapshot {
    struct Slice {
        qint32 offset = 0;
        qint32 length = -1; // -1: NULL
    };
    struct Row {
        qint64 key = 0;
        Slice title;
        Slice address;
    };

    // The folds of the full titles (before any cut), one after another, each followed by 0xFF, a
    // byte no folded UTF-8 holds; starts[i] is where row i's fold begins.
    struct FoldedTitles {
        std::string bytes;
        std::vector<qint32> starts;
    };

    std::vector<Row> rows;
    QByteArray text;
    int titleLimit = -1; // the declared length of the title column ("TEXT(255)"), or -1
    int addressLimit = -1;

    // Runs a statement on a connection and reads its whole result. The fields are found among the
    // result's columns by name; a missing one, or a title or address column declared as a number,
    // throws Failure naming the query; a refusal of the engine throws its message. Texts longer than
    // their column's declared length are cut to it. The hints size the buffers (the query's last
    // result); several statements may be read at once, each on its own connection. With `folded`,
    // the titles' folds are written there as well. At most maxRows rows are read.
    [[nodiscard]] static QuerySnapshot read(sqlite3* connection, const QString& statement,
                                            const QStringList& parameters, const QString& queryName,
                                            const QueryFields& fields, std::size_t rowsHint,
                                            qsizetype textHint, FoldedTitles* folded = nullptr,
                                            std::size_t maxRows = SIZE_MAX);

    // The rows, in order, whose folded title contains foldedNeedle (every row with a title when it
    // is empty): what "title LIKE '%text%'" keeps, for a text without wildcards, since our LIKE
    // compares folded characters. The text buffer is shared, not copied.
    [[nodiscard]] QuerySnapshot matching(const FoldedTitles& folded, std::string_view foldedNeedle) const;

    // Appends a UTF-8 text, cut to its first maxChars UTF-16 units unless maxChars is -1.
    static Slice appendText(QByteArray& buffer, const char* utf8, int bytes, int maxChars);
};
