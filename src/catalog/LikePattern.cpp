#include "catalog/LikePattern.h"

#include "catalog/CaseFolding.h"

#include <unicode/utf8.h>

#include <algorithm>

namespace {

// "_" inside a compiled piece; above every code point, so it never equals a letter.
constexpr char32_t kAnyOne = 0xFFFFFFFFu;

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

} // namespace

LikePattern::LikePattern(std::string_view source, std::optional<std::string_view> escapeText)
    : m_sourceBytes(source.size()), m_escape(escapeText) {
    const std::optional<char32_t> escapeChar = escapeText ? escapeCharacter(*escapeText) : std::nullopt;
    const bool withEscape = escapeChar.has_value();
    const char32_t escape = escapeChar.value_or(0);
    m_pieces.emplace_back();
    const auto* s = reinterpret_cast<const unsigned char*>(source.data());
    const int n = int(source.size());
    int i = 0;
    while (i < n) {
        UChar32 c;
        U8_NEXT(s, i, n, c);
        const char32_t cp = c < 0 ? kReplacementCharacter : char32_t(c);
        if (withEscape && cp == escape) { // checked first: an escape of "%" or "_" disables that wildcard
            if (i >= n) {
                m_neverMatches = true;
                break;
            }
            U8_NEXT(s, i, n, c);
            m_pieces.back().push_back(c < 0 ? kReplacementCharacter : foldCodePoint(char32_t(c)));
        } else if (cp == U'%') {
            m_pieces.emplace_back();
        } else if (cp == U'_') {
            m_pieces.back().push_back(kAnyOne);
            m_hasAnyOne = true;
        } else {
            m_pieces.back().push_back(foldCodePoint(cp));
        }
    }
    m_matchesAll = m_pieces.size() > 1 && std::all_of(m_pieces.begin(), m_pieces.end(),
                                                      [](const auto& piece) { return piece.empty(); });
    if (!m_hasAnyOne && m_pieces.size() == 3 && m_pieces[0].empty() && !m_pieces[1].empty() &&
        m_pieces[2].empty())
        m_useNeedle = m_needle.prepare(m_pieces[1]);
    if (!m_hasAnyOne) {
        for (const auto& piece : m_pieces) {
            std::string utf8(piece.size() * 4, '\0');
            char* end = utf8.data();
            for (const char32_t c : piece)
                end = putUtf8(end, c);
            utf8.resize(std::size_t(end - utf8.data()));
            m_utf8Pieces.push_back(std::move(utf8));
        }
    }
}

std::optional<char32_t> LikePattern::escapeCharacter(std::string_view escape) {
    const auto* e = reinterpret_cast<const unsigned char*>(escape.data());
    const int n = int(escape.size());
    if (n == 0)
        return std::nullopt;
    int i = 0;
    UChar32 c = -1;
    U8_NEXT(e, i, n, c);
    if (i != n)
        return std::nullopt;
    return c < 0 ? kReplacementCharacter : char32_t(c);
}

bool LikePattern::builtFrom(std::string_view source, std::optional<std::string_view> escape) const {
    return m_sourceBytes == source.size() && m_escape.has_value() == escape.has_value() &&
           (!escape || *m_escape == *escape);
}

bool LikePattern::matches(const unsigned char* text, int bytes) const {
    if (m_neverMatches)
        return false;
    if (m_matchesAll)
        return true;
    if (m_useNeedle)
        return m_needle.foundIn(text, bytes);
    if (!m_hasAnyOne) {
        thread_local std::vector<char> folded;
        if (folded.size() < std::size_t(bytes) * 3 + 8)
            folded.resize(std::size_t(bytes) * 3 + 8);
        const char* end = foldUtf8(text, bytes, folded.data());
        return matchBytes(std::string_view(folded.data(), std::size_t(end - folded.data())), m_utf8Pieces);
    }
    thread_local std::u32string folded;
    foldCodePoints(text, bytes, folded);
    return matchCodePoints(folded, m_pieces);
}
