#include "catalog/RussianCollator.h"

#include "base/Failure.h"

#include <unicode/ucol.h>

using namespace Qt::StringLiterals;

namespace {

int sign(UCollationResult result) {
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

const UChar* utf16(const QString& text) {
    static_assert(sizeof(UChar) == sizeof(char16_t));
    return reinterpret_cast<const UChar*>(text.utf16());
}

} // namespace

void RussianCollator::Closer::operator()(UCollator* collator) const {
    ucol_close(collator);
}

RussianCollator::RussianCollator() {
    UErrorCode status = U_ZERO_ERROR;
    m_collator.reset(ucol_open("ru", &status));
    if (U_FAILURE(status))
        throw Failure(u"Russian collation is not available: "_s + QString::fromLatin1(u_errorName(status)));
    // Secondary strength: letters and accents count (Ё stays after Е among equal words), case does not.
    ucol_setStrength(m_collator.get(), UCOL_SECONDARY);
}

RussianCollator::~RussianCollator() = default;
RussianCollator::RussianCollator(RussianCollator&&) noexcept = default;
RussianCollator& RussianCollator::operator=(RussianCollator&&) noexcept = default;

int RussianCollator::compare(const QString& a, const QString& b) const {
    // Checked first: text made only of ignorable characters would otherwise tie with empty text.
    if (a.isEmpty() || b.isEmpty())
        return int(!a.isEmpty()) - int(!b.isEmpty());
    return sign(ucol_strcoll(m_collator.get(), utf16(a), int32_t(a.size()), utf16(b), int32_t(b.size())));
}

int RussianCollator::compareUtf8(std::string_view a, std::string_view b) const {
    if (a.empty() || b.empty())
        return int(!a.empty()) - int(!b.empty());
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(m_collator.get(), a.data(), int32_t(a.size()), b.data(), int32_t(b.size()), &status);
    if (U_FAILURE(status)) // malformed UTF-8 at worst; keep a total order all the same
        return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return sign(result);
}

QByteArray RussianCollator::sortKey(const QString& text) const {
    if (text.isEmpty())
        return {};
    QByteArray key(64, Qt::Uninitialized);
    for (;;) {
        const int32_t needed = ucol_getSortKey(m_collator.get(), utf16(text), int32_t(text.size()),
                                               reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
        if (needed <= key.size()) {
            // Drop ICU's terminating zero byte; non-empty keys still sort after the empty one.
            key.truncate(needed > 0 ? needed - 1 : 0);
            // A key of only ignorable characters must still follow the empty title.
            key.prepend('\x01');
            return key;
        }
        key.resize(needed);
    }
}
