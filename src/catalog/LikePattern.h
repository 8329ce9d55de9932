#pragma once

#include "catalog/LikeNeedle.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A LIKE pattern compiled for our LIKE, which ignores letter case in every alphabet and reads ё as
// е. The pattern is split at its "%" signs: the text must start with the first piece and end with
// the last; the pieces between are found left to right, each as early as possible (enough, because
// every piece has a fixed length in characters).
class LikePattern {
public:
    // source: the pattern's UTF-8; escape: the ESCAPE operand's UTF-8, one character (see
    // escapeCharacter), when the LIKE has one.
    LikePattern(std::string_view source, std::optional<std::string_view> escape);

    // The character of an ESCAPE operand, or nothing when it is not exactly one character.
    [[nodiscard]] static std::optional<char32_t> escapeCharacter(std::string_view escape);

    // Whether this pattern was compiled from these operands. The pattern text is compared by its
    // length only: SQLite drops a cached pattern as soon as that argument changes.
    [[nodiscard]] bool builtFrom(std::string_view source, std::optional<std::string_view> escape) const;

    // Whether the UTF-8 text [text, text + bytes) matches.
    [[nodiscard]] bool matches(const unsigned char* text, int bytes) const;

private:
    std::size_t m_sourceBytes = 0;
    std::optional<std::string> m_escape;
    bool m_neverMatches = false; // ends in a lone escape character, as SQLite treats it
    bool m_matchesAll = false;   // only "%" signs: every text matches
    bool m_hasAnyOne = false;
    bool m_useNeedle = false; // "%text%": searched with the needle
    LikeNeedle m_needle;
    std::vector<std::u32string> m_pieces;
    std::vector<std::string> m_utf8Pieces; // folded UTF-8 of the pieces, used when there is no "_"
};
