#pragma once

#include <QByteArray>
#include <QString>

// Turns an answer's body into text by the charset its Content-Type names.
// Names are looked up among ICU's converter names and aliases, without regard
// to letter case; without a usable charset the body is read as windows-1251
// (JSON as UTF-8, its only encoding).
// Nothing inside the body is consulted.
class CharsetDecoder {
public:
    static constexpr char fallbackCharset[] = "windows-1251";

    [[nodiscard]] static QString decode(const QByteArray& body, const QByteArray& contentType);
    // The charset parameter of a Content-Type value, unquoted; empty when absent.
    [[nodiscard]] static QByteArray charsetOf(const QByteArray& contentType);
};
