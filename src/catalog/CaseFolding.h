#pragma once

#include <array>
#include <cstdint>
#include <string>

// Unicode simple case folding on UTF-8, with ё read as е: what our LIKE compares. A malformed
// UTF-8 byte reads as U+FFFD.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The fold of one code point (ё and Ё give е).
[[nodiscard]] char32_t foldCodePoint(char32_t c);

// Writes c as UTF-8 (one to four bytes) and returns the end of the output.
char* putUtf8(char* out, char32_t c);

// The fold of a code point below U+0800 and its UTF-8.
struct SmallFold {
    char32_t codePoint;
    std::uint8_t length;
    char bytes[3];
};

// Folds of every code point below U+0800 (Latin, Greek, Cyrillic …), so the common scripts never
// call ICU per character.
[[nodiscard]] const std::array<SmallFold, 0x800>& smallFolds();

// Writes the folded UTF-8 of [s, s + n) to out, which holds at least 3 * n bytes (a malformed byte
// becomes U+FFFD; no fold grows a character by more than that). Returns the end of the output.
char* foldUtf8(const unsigned char* s, int n, char* out);

// The folded code points of [s, s + n), replacing what out held.
void foldCodePoints(const unsigned char* s, int n, std::u32string& out);

// nextFolded beyond two-byte characters.
[[nodiscard]] char32_t nextFoldedWide(const unsigned char* text, int& i, int n);

// Reads the character at text[i], advances i and returns its fold. Inline: it runs per character
// of a search.
[[nodiscard]] inline char32_t nextFolded(const std::array<SmallFold, 0x800>& folds, const unsigned char* text,
                                         int& i, int n) {
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
    return nextFoldedWide(text, i, n);
}
