#include "net/CookieStore.h"

#include <QNetworkCookie>

#include <algorithm>

namespace {

// Set-Cookie2 quotes its attribute values; the jar expects them bare.
QString unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

void CookieStore::storeFromAnswer(const QList<Header>& headers, const QUrl& url) {
    QList<QNetworkCookie> plain;
    QList<QNetworkCookie> version2;
    for (const auto& [name, value] : headers) {
        const QByteArray lower = name.toLower();
        if (lower == "set-cookie") {
            plain += QNetworkCookie::parseCookies(value);
        } else if (lower == "set-cookie2") {
            for (QNetworkCookie cookie : QNetworkCookie::parseCookies(value)) {
                cookie.setPath(unquoted(cookie.path()));
                cookie.setDomain(unquoted(cookie.domain()));
                version2 += cookie;
            }
        }
    }
    QList<QNetworkCookie> cookies;
    for (const QNetworkCookie& cookie : plain) {
        const bool replaced = std::any_of(version2.cbegin(), version2.cend(),
                                          [&](const QNetworkCookie& c) { return c.name() == cookie.name(); });
        if (!replaced)
            cookies += cookie;
    }
    cookies += version2;
    if (!cookies.isEmpty())
        setCookiesFromUrl(cookies, url);
}

QByteArray CookieStore::cookieHeader(const QUrl& url) const {
    QByteArray header;
    for (const QNetworkCookie& cookie : cookiesForUrl(url)) {
        if (!header.isEmpty())
            header += "; ";
        header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
    }
    return header;
}
