// The cut between markers against a plain search of the same UTF-16 text.
// Input: start marker, line break, end marker, line break, text.
#include "FuzzParts.h"
#include "base/CutBetween.h"

#include <QString>

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzzParts(data, size, 3);
    const auto text = QString::fromUtf8(parts[2].data(), qsizetype(parts[2].size()));
    const auto start = QString::fromUtf8(parts[0].data(), qsizetype(parts[0].size()));
    const auto end = QString::fromUtf8(parts[1].data(), qsizetype(parts[1].size()));

    const QString cut = cutBetween(text, start, end);

    const std::u16string_view t(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
    const std::u16string_view s(reinterpret_cast<const char16_t*>(start.utf16()), std::size_t(start.size()));
    const std::u16string_view e(reinterpret_cast<const char16_t*>(end.utf16()), std::size_t(end.size()));
    std::u16string_view expected;
    if (const std::size_t at = t.find(s); at != std::u16string_view::npos) {
        expected = t.substr(at + s.size());
        expected = expected.substr(0, expected.find(e));
    }
    FUZZ_CHECK(std::size_t(cut.size()) == expected.size());
    FUZZ_CHECK(std::u16string_view(reinterpret_cast<const char16_t*>(cut.utf16()), std::size_t(cut.size())) ==
               expected);
    return 0;
}
