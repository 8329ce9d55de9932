#include "catalog/CaseFolding.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstring>

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// Lower-cases eight ASCII bytes at once (every byte below 0x80, so no carry crosses a byte).
std::uint64_t lowerAscii8(std::uint64_t w) {
    const std::uint64_t atLeastA = w + kOnes * (0x80 - 'A');
    const std::uint64_t aboveZ = w + kOnes * (0x80 - 'Z' - 1);
    const std::uint64_t upper = atLeastA & ~aboveZ & (kOnes * 0x80);
    return w | (upper >> 2);
}

} // namespace

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
        out = putUtf8(out, c < 0 ? kReplacementCharacter : foldCodePoint(char32_t(c)));
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
            out.push_back(kReplacementCharacter);
        else if (c < 0x800)
            out.push_back(folds[std::size_t(c)].codePoint);
        else
            out.push_back(foldCodePoint(char32_t(c)));
    }
}

char32_t nextFoldedWide(const unsigned char* text, int& i, int n) {
    UChar32 c;
    U8_NEXT(text, i, n, c);
    return c < 0 ? kReplacementCharacter : foldCodePoint(char32_t(c));
}
