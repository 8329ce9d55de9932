#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <string_view>

struct UCollator;

// Russian ordering of titles (ICU rules for "ru"): А…Я with Ё beside Е, letter case ignored,
// empty text before everything else. Shared by the in-memory sort and the "RUSSIAN" collation.
class RussianCollator {
public:
    RussianCollator();
    ~RussianCollator();
    RussianCollator(RussianCollator&&) noexcept;
    RussianCollator& operator=(RussianCollator&&) noexcept;

    // Negative, zero or positive like strcmp. Titles equal but for letter case compare equal,
    // so a stable sort keeps their previous order.
    [[nodiscard]] int compare(const QString& a, const QString& b) const;
    [[nodiscard]] int compareUtf8(std::string_view a, std::string_view b) const;

    // Byte strings whose plain comparison (memcmp order) gives the same order as compare();
    // cheaper than compare() when one list is sorted by many comparisons.
    [[nodiscard]] QByteArray sortKey(const QString& text) const;

private:
    struct Closer {
        void operator()(UCollator* collator) const;
    };
    std::unique_ptr<UCollator, Closer> m_collator;
};
