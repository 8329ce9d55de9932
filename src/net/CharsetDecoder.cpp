#include "net/CharsetDecoder.h"

#include "base/IcuConverter.h"

#include <QList>

#include <optional>

namespace {

// The body in the named code page, or nothing when ICU does not know the name
// or cannot convert.
std::optional<QString> converted(const QByteArray& body, const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    const IcuConverter converter(ucnv_open(name, &status));
    if (U_FAILURE(status) || !converter)
        return std::nullopt;

    // One byte never gives more than two UTF-16 units in the charsets we meet;
    // if some converter needs more, the exact size is asked for below.
    QString text(body.size() * 2 + 1, Qt::Uninitialized);
    status = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()),
                                   static_cast<int32_t>(text.size()), body.constData(),
                                   static_cast<int32_t>(body.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        text.resize(length + 1);
        status = U_ZERO_ERROR;
        length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(text.data()),
                               static_cast<int32_t>(text.size()), body.constData(),
                               static_cast<int32_t>(body.size()), &status);
    }
    if (U_FAILURE(status))
        return std::nullopt;
    text.resize(length);
    return text;
}

bool isJson(const QByteArray& contentType) {
    // application/json, text/json, application/json+oembed, application/ld+json …
    const QByteArray type = contentType.split(';').constFirst().trimmed().toLower();
    const QByteArray subtype = type.mid(type.indexOf('/') + 1);
    return type.contains('/') && (subtype.startsWith("json") || subtype.endsWith("+json"));
}

} // namespace

QByteArray CharsetDecoder::charsetOf(const QByteArray& contentType) {
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray& part = parts[i];
        const qsizetype equals = part.indexOf('=');
        if (equals < 0 || part.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = part.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2).trimmed();
        return value;
    }
    return {};
}

QString CharsetDecoder::decode(const QByteArray& body, const QByteArray& contentType) {
    if (body.isEmpty())
        return {};
    // ICU opens its default converter for an empty name, which is not what an
    // answer without a charset means.
    const QByteArray name = charsetOf(contentType);
    if (!name.isEmpty())
        if (std::optional<QString> text = converted(body, name.constData()))
            return *std::move(text);
    // JSON is UTF-8 by definition (RFC 8259) and is served without a charset (oEmbed answers).
    if (isJson(contentType))
        if (std::optional<QString> text = converted(body, "UTF-8"))
            return *std::move(text);
    // The pages we download are Russian; the browser view reads them the same way.
    if (std::optional<QString> text = converted(body, fallbackCharset))
        return *std::move(text);
    return QString::fromLatin1(body);
}
