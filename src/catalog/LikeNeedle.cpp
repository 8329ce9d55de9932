#include "catalog/LikeNeedle.h"

#include <unicode/uset.h>

#include <algorithm>
#include <cstring>

bool LikeNeedle::prepare(std::u32string folded) {
    m_folded = std::move(folded);
    const char32_t first = m_folded.front();
    if (first == kReplacementCharacter)
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

bool LikeNeedle::foundIn(const unsigned char* text, int n) const {
#if defined(__SSE2__)
    const auto hits = [this](const unsigned char* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i hit = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, m_lastByteVectors[0]), _mm_cmpeq_epi8(v, m_lastByteVectors[1])),
            _mm_or_si128(_mm_cmpeq_epi8(v, m_lastByteVectors[2]), _mm_cmpeq_epi8(v, m_lastByteVectors[3])));
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

// text[last] may end a spelling of the first letter: then the rest must follow it.
bool LikeNeedle::matchesAt(const unsigned char* text, int n, int last) const {
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
