#include "catalog/CaseFolding.h"
#include "support/QtPrinters.h"

#include <QString>
#include <gtest/gtest.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Texts of every length up to 24 characters over the letters around the ASCII upper-case range and
// a few wider ones, each at every offset, so the eight-byte runs meet both edges of A-Z and a
// non-ASCII byte everywhere. The three foldings must agree with Qt's, ё read as е.
TEST(CaseFolding, AgreesWithQtAtEveryOffset) {
    const QString ascii = u"@AZ[`az{09 "_s;
    const QStringList others{u"Ё"_s, u"Ω"_s, u"\u212A"_s, u"\U0001041C"_s, u""_s};
    std::vector<char> out;
    for (int length = 0; length <= 24; ++length) {
        for (int at = 0; at <= length; ++at) {
            for (const QString& other : others) {
                QString text;
                for (int k = 0; k < length; ++k)
                    text += ascii[(k * 7 + length) % ascii.size()];
                text.insert(at, other);
                const QString expected = text.toCaseFolded().replace(u'ё', u'е');
                const QByteArray utf8 = text.toUtf8();
                const auto* s = reinterpret_cast<const unsigned char*>(utf8.constData());
                const int n = int(utf8.size());

                out.assign(std::size_t(n) * 3 + 8, '\0');
                const char* end = foldUtf8(s, n, out.data());
                EXPECT_EQ(QString::fromUtf8(out.data(), end - out.data()), expected) << text.toStdString();

                std::u32string codePoints;
                foldCodePoints(s, n, codePoints);
                EXPECT_EQ(QString::fromUcs4(codePoints.data(), qsizetype(codePoints.size())), expected);

                std::u32string oneByOne;
                for (int i = 0; i < n;)
                    oneByOne.push_back(nextFolded(smallFolds(), s, i, n));
                EXPECT_EQ(oneByOne, codePoints) << text.toStdString();
            }
        }
    }
}

TEST(CaseFolding, MalformedBytesFoldToTheReplacementCharacter) {
    const QByteArray text = "A\xFF\xD0 \xE2\x84";
    const auto* s = reinterpret_cast<const unsigned char*>(text.constData());
    std::u32string codePoints;
    foldCodePoints(s, int(text.size()), codePoints);
    EXPECT_EQ(codePoints, (std::u32string{U'a', 0xFFFD, 0xFFFD, U' ', 0xFFFD}));
    std::vector<char> out(std::size_t(text.size()) * 3 + 8);
    const char* end = foldUtf8(s, int(text.size()), out.data());
    EXPECT_EQ(QString::fromUtf8(out.data(), end - out.data()), u"a\uFFFD\uFFFD \uFFFD"_s);
}

} // namespace
