#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <unicode/ucnv.h>

// Reads main.html back: its raw bytes, or its text decoded from windows-1251 (a
// code page in which every byte but 0x98 stands for exactly one character).
inline QByteArray pageBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

inline QString pageText(const QString& path) {
    const QByteArray bytes = pageBytes(path);
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1251", &status);
    QString text(bytes.size(), Qt::Uninitialized);
    const int32_t length =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()),
                      bytes.constData(), static_cast<int32_t>(bytes.size()), &status);
    ucnv_close(converter);
    text.truncate(length);
    return text;
}
