#pragma once

#include "catalog/CaseFolding.h"

#include <array>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The search text of the usual "%text%" pattern, found without folding whole titles: the title's
// raw bytes are scanned for the last byte of any spelling of the first letter (н, Н; е, Е, ё, Ё …),
// and only there the rest is folded and compared.
class LikeNeedle {
public:
    // folded: the folded search text, not empty, without "_". False when the first letter has too
    // many spellings for the byte scan (or is no letter at all).
    bool prepare(std::u32string folded);

    // Whether the UTF-8 text [text, text + n) contains the search text, ignoring case.
    [[nodiscard]] bool foundIn(const unsigned char* text, int n) const;

private:
    struct Spelling {
        unsigned char bytes[4] = {};
        int length = 0;
        [[nodiscard]] unsigned char last() const { return bytes[length - 1]; }
    };

    [[nodiscard]] bool matchesAt(const unsigned char* text, int n, int last) const;

    const std::array<SmallFold, 0x800>* m_folds = &smallFolds();
    std::u32string m_folded;
    std::vector<Spelling> m_spellings;
    std::array<unsigned char, 4> m_lastBytes{};
#if defined(__SSE2__)
    __m128i m_lastByteVectors[4]{};
#endif
};
