#include "catalog/LikePattern.h"
#include "support/QtPrinters.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

bool likeMatches(const QByteArray& pattern, const QByteArray& text,
                 std::optional<std::string_view> escape = std::nullopt) {
    const LikePattern compiled(std::string_view(pattern.constData(), std::size_t(pattern.size())), escape);
    return compiled.matches(reinterpret_cast<const unsigned char*>(text.constData()), int(text.size()));
}

QString folded(const QString& s) {
    return s.toCaseFolded().replace(u'ё', u'е');
}

// The same LIKE as a regular expression over Qt's case folding ("_" one code point, no escape).
bool referenceMatches(const QString& pattern, const QString& text) {
    QString expression;
    for (const QChar c : folded(pattern))
        expression += c == u'%' ? u".*"_s : c == u'_' ? u"."_s : QRegularExpression::escape(QString(c));
    const QRegularExpression re(QRegularExpression::anchoredPattern(expression),
                                QRegularExpression::DotMatchesEverythingOption);
    return re.match(folded(text)).hasMatch();
}

// Every pattern form (the "%word%" byte scan, folded bytes, code points with "_") on texts of
// every length up to 40 bytes with the word at every position, spelt in other cases, in ASCII and
// two-byte surroundings, so the scan's 16-byte blocks and the folding's 8-byte runs meet the word
// at every offset. ѽ shares its last UTF-8 byte with н, and the Kelvin sign folds to k.
TEST(LikePattern, AgreesWithFoldedMatchingAtEveryOffset) {
    const struct {
        QString word;
        QStringList spellings; // in the texts; the last one differs in its last letter
    } words[] = {
        {u"нов"_s, {u"НОВ"_s, u"нОв"_s, u"нох"_s}},
        {u"ёл"_s, {u"ЕЛ"_s, u"Ёл"_s, u"ея"_s}},
        {u"Rock"_s, {u"rOCK"_s, u"roc\u212A"_s, u"roc"_s}},
        {u"k"_s, {u"\u212A"_s, u"K"_s, u"x"_s}},
    };
    const QStringList fillers{u"x"_s, u"Я"_s, u"ѽ"_s};
    const QStringList forms{u"%@%"_s, u"%%@%"_s, u"%@"_s, u"@%"_s, u"%_@%"_s, u"%@%_"_s};
    for (const auto& [word, spellings] : words) {
        for (const QString& form : forms) {
            const QString pattern = QString(form).replace(u'@', word);
            for (const QString& filler : fillers) {
                for (int count = 0; count <= 18; ++count) {
                    for (int at = 0; at <= count; ++at) {
                        for (const QString& spelling : spellings) {
                            const QString text = filler.repeated(at) + spelling + filler.repeated(count - at);
                            ASSERT_EQ(likeMatches(pattern.toUtf8(), text.toUtf8()),
                                      referenceMatches(pattern, text))
                                << pattern.toStdString() << " on " << text.toStdString();
                        }
                    }
                }
            }
        }
    }
}

TEST(LikePattern, EscapesAndMalformedText) {
    const std::optional<std::string_view> none;
    const struct {
        QByteArray pattern;
        std::optional<std::string_view> escape;
        QByteArray text;
        bool matches;
    } cases[] = {
        {"a_b", none,
         "a\xFF"
         "b",
         true},                                                     // a malformed byte is one character
        {"%\xD0\xBD\xD0\xBE%", none, "\xD0\xD0\xBD\xD0\xBE", true}, // a stray lead byte before "но"
        {"%\xD0\xBD\xD0\xBE%", none, "\xD1\xBD\xD0\xBE", false},    // "ѽо": same last byte as "н"
        {"%a%", none, "", false},
        {"%%", none, "", true},
        {"!%%", "!", "%x", true},
        {"!%%", "!", "x%", false},
        {"%!_", "!", "ab_", true},
        {"%!_", "!", "abc", false},
        {"a!", "!", "a!", false}, // a lone escape at the end never matches
        {"%", "%", "%", false},   // "%" as the escape is no longer a wildcard
        {"\xD0\x81\xD0\x81%", "\xD0\x81", "\xD1\x91x",
         true}, // "ЁЁ%" with escape Ё: an escaped Ё still ignores case
    };
    for (const auto& c : cases)
        EXPECT_EQ(likeMatches(c.pattern, c.text, c.escape), c.matches)
            << c.pattern.toStdString() << " / " << c.text.toStdString();
}

TEST(LikePattern, EscapeIsExactlyOneCharacter) {
    const struct {
        std::string_view escape;
        std::optional<char32_t> character;
    } cases[] = {
        {"", std::nullopt}, {"\\", U'\\'},    {"\xD0\x81", U'Ё'},          {"ab", std::nullopt},
        {"\xFF", 0xFFFD},   {"\xD0", 0xFFFD}, {"\xD0\x81x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LikePattern::escapeCharacter(c.escape), c.character) << c.escape;
}

} // namespace
