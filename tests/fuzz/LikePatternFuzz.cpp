// Our LIKE against a plain matcher built from its definition: every character folded
// (ICU's simple case folding, ё read as е, a malformed UTF-8 byte as U+FFFD), "%" any run,
// "_" any one character, the escape character taking the next one literally, a lone escape
// at the end matching nothing. Input: pattern, line break, escape (empty: none), line
// break, text.
#include "FuzzParts.h"
#include "catalog/CaseFolding.h"
#include "catalog/LikePattern.h"

#include <unicode/utf8.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::u32string folded(std::string_view utf8) {
    std::u32string out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const int n = int(utf8.size());
    int i = 0;
    while (i < n) {
        UChar32 c;
        U8_NEXT(s, i, n, c);
        out.push_back(c < 0 ? kReplacementCharacter : foldCodePoint(char32_t(c)));
    }
    return out;
}

struct Token {
    enum Kind { Literal, AnyOne, AnyRun } kind;
    char32_t c = 0;
};

bool referenceMatch(std::string_view pattern, std::optional<char32_t> escape, std::string_view textUtf8) {
    std::vector<Token> tokens;
    // The escape is compared before folding, as the character the user typed.
    std::u32string raw;
    {
        const auto* s = reinterpret_cast<const unsigned char*>(pattern.data());
        const int n = int(pattern.size());
        int i = 0;
        while (i < n) {
            UChar32 c;
            U8_NEXT(s, i, n, c);
            raw.push_back(c < 0 ? kReplacementCharacter : char32_t(c));
        }
    }
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char32_t c = raw[i];
        if (escape && c == *escape) {
            if (i + 1 == raw.size())
                return false;
            const char32_t next = raw[++i];
            tokens.push_back({Token::Literal, next == kReplacementCharacter ? next : foldCodePoint(next)});
        } else if (c == U'%') {
            tokens.push_back({Token::AnyRun});
        } else if (c == U'_') {
            tokens.push_back({Token::AnyOne});
        } else {
            tokens.push_back({Token::Literal, foldCodePoint(c)});
        }
    }
    const std::u32string text = folded(textUtf8);
    // matched[j]: the tokens so far match the first j characters of the text.
    std::vector<char> matched(text.size() + 1, 0);
    matched[0] = 1;
    for (const Token& token : tokens) {
        std::vector<char> next(text.size() + 1, 0);
        for (std::size_t j = 0; j <= text.size(); ++j) {
            if (token.kind == Token::AnyRun)
                next[j] = char(matched[j] || (j > 0 && next[j - 1]));
            else if (j > 0 && matched[j - 1])
                next[j] = char(token.kind == Token::AnyOne || text[j - 1] == token.c);
        }
        matched = std::move(next);
    }
    return matched[text.size()] != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2048) // the plain matcher is quadratic
        return 0;
    const auto parts = fuzzParts(data, size, 3);
    std::optional<std::string_view> escapeText;
    std::optional<char32_t> escape;
    if (!parts[1].empty()) {
        escape = LikePattern::escapeCharacter(parts[1]);
        if (!escape) // SQLite refuses the statement before any pattern is built
            return 0;
        escapeText = parts[1];
    }
    const LikePattern pattern(parts[0], escapeText);
    FUZZ_CHECK(pattern.builtFrom(parts[0], escapeText));
    // SQLite hands over an empty text as "", never as a null pointer.
    const std::string text(parts[2]);
    const bool ours = pattern.matches(reinterpret_cast<const unsigned char*>(text.c_str()), int(text.size()));
    FUZZ_CHECK(ours == referenceMatch(parts[0], escape, parts[2]));
    return 0;
}
