#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QPair>
#include <QUrl>

// The fetcher's cookies, in memory for the run. Qt's jar does the domain and
// path rules; this adds how answers feed it and how requests carry it.
class CookieStore : public QNetworkCookieJar {
public:
    using Header = QPair<QByteArray, QByteArray>;

    // Takes every Set-Cookie and Set-Cookie2 line of one answer to a request for
    // url. A Set-Cookie2 cookie wins over a Set-Cookie one of the same name.
    void storeFromAnswer(const QList<Header>& headers, const QUrl& url);
    // "a=1; b=2" for the cookies that match url; empty when none do.
    [[nodiscard]] QByteArray cookieHeader(const QUrl& url) const;
};
