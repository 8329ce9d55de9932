#include "catalog/UnicodeText.h"

#include "base/Failure.h"
#include "catalog/RussianCollator.h"

#include <sqlite3.h>
#include <unicode/uchar.h>
#include <unicode/uset.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// "_" inside a compiled pattern; above every code point, so it never equals a letter.
constexpr char32_t kAnyOne = 0xFFFFFFFFu;
constexpr char32_t kReplacement = 0xFFFD;

char32_t foldCodePoint(char32_t c) {
    const auto folded = static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    return folded == 0x451 ? 0x435 : folded; // ё (and Ё, already folded to ё) is searched as е
}

char* putUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

// Folds of every code point below U+0800 (Latin, Greek, Cyrillic …), so the common scripts never
// call ICU per character.
struct SmallFold {
    char32_t codePoint;
    std::uint8_t length;
    char bytes[3];
};

const std::array<SmallFold, 0x800>& smallFolds() {
    static const auto table = [] {
        std::array<SmallFold, 0x800> folds{};
        for (char32_t c = 0; c < 0x800; ++c) {
            SmallFold& f = folds[c];
            f.codePoint = foldCodePoint(c);
            f.length = std::uint8_t(putUtf8(f.bytes, f.codePoint) - f.bytes);
        }
        return folds;
    }();
    return table;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// Lower-cases eight ASCII bytes at once (every byte below 0x80, so no carry crosses a byte).
std::uint64_t lowerAscii8(std::uint64_t w) {
    const std::uint64_t atLeastA = w + kOnes * (0x80 - 'A');
    const std::uint64_t aboveZ = w + kOnes * (0x80 - 'Z' - 1);
    const std::uint64_t upper = atLeastA & ~aboveZ & (kOnes * 0x80);
    return w | (upper >> 2);
}

// Writes the folded UTF-8 of [s, s + n) to out, which holds at least 3 * n bytes (a malformed byte
// becomes U+FFFD; no fold grows a character by more than that). Returns the end of the output.
char* foldUtf8(const unsigned char* s, int n, char* out) {
    const auto& folds = smallFolds();
    int i = 0;
    while (i < n) {
        if (n - i >= 8) {
            std::uint64_t w;
            std::memcpy(&w, s + i, 8);
            if ((w & (kOnes * 0x80)) == 0) {
                w = lowerAscii8(w);
                std::memcpy(out, &w, 8);
                out += 8;
                i += 8;
                continue;
            }
        }
        const unsigned char b = s[i];
        if (b < 0x80) {
            *out++ = char(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
            ++i;
            continue;
        }
        if (b >= 0xC2 && b < 0xE0 && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            const SmallFold& f = folds[((b & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu)];
            std::memcpy(out, f.bytes, 3);
            out += f.length;
            i += 2;
            continue;
        }
        UChar32 c;
        U8_NEXT(s, i, n, c);
        out = putUtf8(out, c < 0 ? kReplacement : foldCodePoint(char32_t(c)));
    }
    return out;
}

void foldCodePoints(const unsigned char* s, int n, std::u32string& out) {
    const auto& folds = smallFolds();
    out.clear();
    int i = 0;
    while (i < n) {
        UChar32 c;
        U8_NEXT(s, i, n, c);
        if (c < 0)
            out.push_back(kReplacement);
        else if (c < 0x800)
            out.push_back(folds[std::size_t(c)].codePoint);
        else
            out.push_back(foldCodePoint(char32_t(c)));
    }
}

// Reads the character at text[i], advances i and returns its fold.
char32_t nextFolded(const std::array<SmallFold, 0x800>& folds, const unsigned char* text, int& i, int n) {
    const unsigned char b = text[i];
    if (b < 0x80) {
        ++i;
        return b >= 'A' && b <= 'Z' ? b + 0x20u : b;
    }
    if (b >= 0xC2 && b < 0xE0 && i + 1 < n && (text[i + 1] & 0xC0) == 0x80) {
        const char32_t c = ((b & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu);
        i += 2;
        return folds[c].codePoint;
    }
    UChar32 c;
    U8_NEXT(text, i, n, c);
    return c < 0 ? kReplacement : foldCodePoint(char32_t(c));
}

// The search text of the usual "%text%" pattern, found without folding whole titles: the title's
// raw bytes are scanned for the last byte of any spelling of the first letter (н, Н; е, Е, ё, Ё …),
// and only there the rest is folded and compared.
class Needle {
public:
    // False when the first letter has too many spellings for the byte scan.
    bool prepare(std::u32string folded) {
        m_folded = std::move(folded);
        const char32_t first = m_folded.front();
        if (first == kReplacement || first == kAnyOne)
            return false;
        USet* set = uset_openEmpty();
        uset_add(set, UChar32(first));
        if (first == 0x435)
            uset_add(set, 0x451);
        uset_closeOver(set, USET_CASE_INSENSITIVE);
        for (int32_t k = 0, items = uset_getItemCount(set); k < items; ++k) {
            UChar32 from = 0;
            UChar32 to = -1;
            UErrorCode status = U_ZERO_ERROR;
            if (uset_getItem(set, k, &from, &to, nullptr, 0, &status) != 0) // strings: not single letters
                continue;
            for (UChar32 c = from; c <= to; ++c) {
                if (foldCodePoint(char32_t(c)) != first)
                    continue;
                Spelling spelling;
                spelling.length = int(putUtf8(reinterpret_cast<char*>(spelling.bytes), char32_t(c)) -
                                      reinterpret_cast<char*>(spelling.bytes));
                m_spellings.push_back(spelling);
            }
        }
        uset_close(set);
        std::array<unsigned char, 4> lastBytes{};
        int count = 0;
        for (const Spelling& spelling : m_spellings) {
            const unsigned char last = spelling.last();
            if (std::find(lastBytes.begin(), lastBytes.begin() + count, last) != lastBytes.begin() + count)
                continue;
            if (count == int(lastBytes.size()))
                return false;
            lastBytes[std::size_t(count++)] = last;
        }
        if (count == 0)
            return false;
        for (int k = count; k < int(lastBytes.size()); ++k)
            lastBytes[std::size_t(k)] = lastBytes[0];
        m_lastBytes = lastBytes;
#if defined(__SSE2__)
        for (std::size_t k = 0; k < lastBytes.size(); ++k)
            m_lastByteVectors[k] = _mm_set1_epi8(char(lastBytes[k]));
#endif
        return true;
    }

    [[nodiscard]] bool foundIn(const unsigned char* text, int n) const {
#if defined(__SSE2__)
        const auto hits = [this](const unsigned char* at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, m_lastByteVectors[0]),
                                                          _mm_cmpeq_epi8(v, m_lastByteVectors[1])),
                                             _mm_or_si128(_mm_cmpeq_epi8(v, m_lastByteVectors[2]),
                                                          _mm_cmpeq_epi8(v, m_lastByteVectors[3])));
            return unsigned(_mm_movemask_epi8(hit));
        };
        const auto anyAt = [&](int base, unsigned bits) {
            for (; bits != 0; bits &= bits - 1) {
                if (matchesAt(text, n, base + __builtin_ctz(bits)))
                    return true;
            }
            return false;
        };
        if (n < 16) { // short title: scanned from a padded copy, never reading past its end
            alignas(16) unsigned char padded[16] = {};
            std::memcpy(padded, text, std::size_t(n));
            return anyAt(0, hits(padded) & ((1u << n) - 1));
        }
        int j = 0;
        for (; j + 16 <= n; j += 16) {
            if (anyAt(j, hits(text + j)))
                return true;
        }
        // The last block overlaps the one before; bytes already scanned are masked out.
        return j < n && anyAt(n - 16, hits(text + n - 16) & ~((1u << (16 - (n - j))) - 1));
#else
        for (int j = 0; j < n; ++j) {
            const unsigned char b = text[j];
            if ((b == m_lastBytes[0] || b == m_lastBytes[1] || b == m_lastBytes[2] || b == m_lastBytes[3]) &&
                matchesAt(text, n, j))
                return true;
        }
        return false;
#endif
    }

private:
    struct Spelling {
        unsigned char bytes[4] = {};
        int length = 0;
        [[nodiscard]] unsigned char last() const { return bytes[length - 1]; }
    };

    // text[last] may end a spelling of the first letter: then the rest must follow it.
    [[nodiscard]] bool matchesAt(const unsigned char* text, int n, int last) const {
        for (const Spelling& spelling : m_spellings) {
            if (spelling.last() != text[last] || last + 1 < spelling.length)
                continue;
            bool same = true;
            for (int k = 1; k < spelling.length; ++k)
                same = same && spelling.bytes[spelling.length - 1 - k] == text[last - k];
            if (!same)
                continue;
            int i = last + 1;
            std::size_t k = 1;
            while (k < m_folded.size() && i < n && nextFolded(*m_folds, text, i, n) == m_folded[k])
                ++k;
            if (k == m_folded.size())
                return true;
        }
        return false;
    }

    const std::array<SmallFold, 0x800>* m_folds = &smallFolds();
    std::u32string m_folded;
    std::vector<Spelling> m_spellings;
    std::array<unsigned char, 4> m_lastBytes{};
#if defined(__SSE2__)
    __m128i m_lastByteVectors[4]{};
#endif
};

// A LIKE pattern split at its "%" signs. The text must start with the first piece and end with the
// last; the pieces between are found left to right, each as early as possible (enough, because every
// piece has a fixed length in characters).
struct Pattern {
    std::string source;
    std::string escape;
    bool hasEscape = false;
    bool neverMatches = false; // ends in a lone escape character, as SQLite treats it
    bool matchesAll = false;   // only "%" signs: every text matches
    bool hasAnyOne = false;
    bool useNeedle = false; // "%text%": searched with needle
    Needle needle;
    std::vector<std::u32string> pieces;
    std::vector<std::string> utf8Pieces; // folded UTF-8 of the pieces, used when there is no "_"

    [[nodiscard]] bool builtFrom(std::string_view pattern, bool withEscape, std::string_view esc) const {
        return source.size() == pattern.size() && hasEscape == withEscape && escape == esc;
    }
};

Pattern compile(std::string_view source, bool withEscape, std::string_view escapeText, char32_t escape) {
    Pattern p;
    p.source = source;
    p.hasEscape = withEscape;
    p.escape = escapeText;
    p.pieces.emplace_back();
    const auto* s = reinterpret_cast<const unsigned char*>(source.data());
    const int n = int(source.size());
    int i = 0;
    while (i < n) {
        UChar32 c;
        U8_NEXT(s, i, n, c);
        const char32_t cp = c < 0 ? kReplacement : char32_t(c);
        if (withEscape && cp == escape) { // checked first: an escape of "%" or "_" disables that wildcard
            if (i >= n) {
                p.neverMatches = true;
                break;
            }
            U8_NEXT(s, i, n, c);
            p.pieces.back().push_back(c < 0 ? kReplacement : foldCodePoint(char32_t(c)));
        } else if (cp == U'%') {
            p.pieces.emplace_back();
        } else if (cp == U'_') {
            p.pieces.back().push_back(kAnyOne);
            p.hasAnyOne = true;
        } else {
            p.pieces.back().push_back(foldCodePoint(cp));
        }
    }
    p.matchesAll = p.pieces.size() > 1 && std::all_of(p.pieces.begin(), p.pieces.end(),
                                                      [](const auto& piece) { return piece.empty(); });
    if (!p.hasAnyOne && p.pieces.size() == 3 && p.pieces[0].empty() && !p.pieces[1].empty() &&
        p.pieces[2].empty())
        p.useNeedle = p.needle.prepare(p.pieces[1]);
    if (!p.hasAnyOne) {
        for (const auto& piece : p.pieces) {
            std::string utf8(piece.size() * 4, '\0');
            char* end = utf8.data();
            for (const char32_t c : piece)
                end = putUtf8(end, c);
            utf8.resize(std::size_t(end - utf8.data()));
            p.utf8Pieces.push_back(std::move(utf8));
        }
    }
    return p;
}

// Pieces without "_" on folded UTF-8: a plain byte search finds them.
bool matchBytes(std::string_view text, const std::vector<std::string>& pieces) {
    if (pieces.size() == 1)
        return text == pieces.front();
    if (!text.starts_with(pieces.front()))
        return false;
    std::size_t pos = pieces.front().size();
    const std::size_t last = pieces.size() - 1;
    for (std::size_t k = 1; k < last; ++k) {
        const std::string& piece = pieces[k];
        if (piece.empty())
            continue;
        const std::size_t hit = text.find(piece, pos);
        if (hit == std::string_view::npos)
            return false;
        pos = hit + piece.size();
    }
    return text.size() - pos >= pieces[last].size() && text.ends_with(pieces[last]);
}

bool pieceAt(std::u32string_view text, std::size_t pos, std::u32string_view piece) {
    for (std::size_t k = 0; k < piece.size(); ++k) {
        if (piece[k] != kAnyOne && piece[k] != text[pos + k])
            return false;
    }
    return true;
}

bool matchCodePoints(std::u32string_view text, const std::vector<std::u32string>& pieces) {
    if (pieces.size() == 1)
        return text.size() == pieces.front().size() && pieceAt(text, 0, pieces.front());
    const std::u32string& first = pieces.front();
    const std::u32string& lastPiece = pieces.back();
    if (text.size() < first.size() || !pieceAt(text, 0, first))
        return false;
    std::size_t pos = first.size();
    for (std::size_t k = 1; k + 1 < pieces.size(); ++k) {
        const std::u32string& piece = pieces[k];
        for (;;) {
            if (text.size() - pos < piece.size())
                return false;
            if (pieceAt(text, pos, piece))
                break;
            ++pos;
        }
        pos += piece.size();
    }
    return text.size() - pos >= lastPiece.size() && pieceAt(text, text.size() - lastPiece.size(), lastPiece);
}

bool matches(const Pattern& p, const unsigned char* text, int bytes) {
    if (p.neverMatches)
        return false;
    if (p.matchesAll)
        return true;
    if (p.useNeedle)
        return p.needle.foundIn(text, bytes);
    if (!p.hasAnyOne) {
        thread_local std::vector<char> folded;
        if (folded.size() < std::size_t(bytes) * 3 + 8)
            folded.resize(std::size_t(bytes) * 3 + 8);
        const char* end = foldUtf8(text, bytes, folded.data());
        return matchBytes(std::string_view(folded.data(), std::size_t(end - folded.data())), p.utf8Pieces);
    }
    thread_local std::u32string folded;
    foldCodePoints(text, bytes, folded);
    return matchCodePoints(folded, p.pieces);
}

void deletePattern(void* p) {
    delete static_cast<Pattern*>(p);
}

// like(pattern, text [, escape]): NULL when an operand is NULL, as SQLite's own.
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    // SQLite drops a function's cached data as soon as that argument changes, so a cached pattern
    // needs no comparison with the text; the escape is another argument and is compared.
    auto* cached = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
    if (cached && argc == 2) {
        if (const auto* text = sqlite3_value_text(argv[1]))
            sqlite3_result_int(ctx, matches(*cached, text, sqlite3_value_bytes(argv[1])) ? 1 : 0);
        return;
    }
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string_view patternText(pattern ? pattern : "", std::size_t(sqlite3_value_bytes(argv[0])));
    std::string_view escapeText;
    if (argc == 3) {
        const auto* esc = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
        if (!esc)
            return;
        escapeText = std::string_view(esc, std::size_t(sqlite3_value_bytes(argv[2])));
    }
    std::unique_ptr<Pattern> fresh;
    if (!cached || !cached->builtFrom(patternText, argc == 3, escapeText)) {
        if (int(patternText.size()) >
            sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
            sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
            return;
        }
        char32_t escape = 0;
        if (argc == 3) {
            const auto* e = reinterpret_cast<const unsigned char*>(escapeText.data());
            const int n = int(escapeText.size());
            int i = 0;
            UChar32 c = -1;
            if (n > 0)
                U8_NEXT(e, i, n, c);
            if (n == 0 || i != n) {
                sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
                return;
            }
            escape = c < 0 ? kReplacement : char32_t(c);
        }
        if (!pattern)
            return;
        fresh = std::make_unique<Pattern>(compile(patternText, argc == 3, escapeText, escape));
        cached = fresh.get();
    }
    const auto* text = sqlite3_value_text(argv[1]);
    if (text) {
        const int bytes = sqlite3_value_bytes(argv[1]);
        sqlite3_result_int(ctx, matches(*cached, text, bytes) ? 1 : 0);
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
