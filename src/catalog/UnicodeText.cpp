#include "catalog/UnicodeText.h"

#include "base/Failure.h"
#include "catalog/LikePattern.h"
#include "catalog/RussianCollator.h"

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

void deletePattern(void* p) {
    delete static_cast<LikePattern*>(p);
}

// like(pattern, text [, escape]): NULL when an operand is NULL, as SQLite's own.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // SQLite drops a function's cached data as soon as that argument changes, so a cached pattern
    // needs no comparison with the text; the escape is another argument and is compared.
    auto* cached = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    if (cached && argc == 2) {
        if (const auto* text = sqlite3_value_text(argv[1]))
            sqlite3_result_int(ctx, cached->matches(text, sqlite3_value_bytes(argv[1])) ? 1 : 0);
        return;
    }
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string_view patternText(pattern ? pattern : "", std::size_t(sqlite3_value_bytes(argv[0])));
    std::optional<std::string_view> escape;
    if (argc == 3) {
        const auto* esc = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
        if (!esc)
            return;
        escape = std::string_view(esc, std::size_t(sqlite3_value_bytes(argv[2])));
    }
    std::unique_ptr<LikePattern> fresh;
    if (!cached || !cached->builtFrom(patternText, escape)) {
        if (int(patternText.size()) >
            sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
            sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
            return;
        }
        if (escape && !LikePattern::escapeCharacter(*escape)) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        if (!pattern)
            return;
        fresh = std::make_unique<LikePattern>(patternText, escape);
        cached = fresh.get();
    }
    const auto* text = sqlite3_value_text(argv[1]);
    if (text) {
        const int bytes = sqlite3_value_bytes(argv[1]);
        sqlite3_result_int(ctx, cached->matches(text, bytes) ? 1 : 0);
    }
    // Handed over last: SQLite may free it inside this call.
    if (fresh)
        sqlite3_set_auxdata(ctx, 0, fresh.release(), deletePattern);
}

int russianCollation(void* collator, int n1, const void* s1, int n2, const void* s2) {
    return static_cast<const RussianCollator*>(collator)->compareUtf8(
        std::string_view(static_cast<const char*>(s1), std::size_t(n1)),
        std::string_view(static_cast<const char*>(s2), std::size_t(n2)));
}

void deleteCollator(void* collator) {
    delete static_cast<RussianCollator*>(collator);
}

void check(sqlite3* db, int rc, const QString& what) {
    if (rc != SQLITE_OK)
        throw Failure(what + u": "_s + QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

void installUnicodeText(sqlite3* db) {
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    check(db,
          sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr),
          u"like"_s);
    check(db,
          sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr),
          u"like"_s);
    auto collator = std::make_unique<RussianCollator>();
    // SQLite owns the collator only once the call succeeded.
    check(db,
          sqlite3_create_collation_v2(db, "RUSSIAN", SQLITE_UTF8, collator.get(), russianCollation,
                                      deleteCollator),
          u"RUSSIAN"_s);
    static_cast<void>(collator.release());
}
