#include "net/HttpAddress.h"

#include "base/Failure.h"

#include <string_view>

using namespace Qt::StringLiterals;

namespace {

// Bytes an address may not hold are encoded: non-ASCII (as UTF-8), control
// characters, which would break the head apart, and blanks and the few marks
// that servers answer with 400. "%" stays, so an encoded address is sent as is.
// What may stand between the brackets of an IPv6 host: hex digits, ":" and a dotted tail.
bool isIpv6Literal(const QByteArray& host) {
    if (!host.contains(':'))
        return false;
    for (const char c : host) {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                             c == ':' || c == '.';
        if (!allowed)
            return false;
    }
    return true;
}

bool mustEncode(unsigned char b) {
    if (b >= 0x80 || b <= 0x20 || b == 0x7F)
        return true;
    static constexpr std::string_view unsafe = "\"<>\\^`{|}";
    return unsafe.find(static_cast<char>(b)) != std::string_view::npos;
}

QByteArray encodeTarget(const QString& text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (mustEncode(b)) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

HttpAddress HttpAddress::parse(const QString& address) {
    const QString text = address.trimmed();
    const qsizetype schemeEnd = text.indexOf(u"://"_s);
    if (text.isEmpty())
        throw Failure(u"The web address is empty."_s);
    if (schemeEnd <= 0)
        throw Failure(u"\"%1\" is not an absolute web address (http:// or https://)."_s.arg(address));

    HttpAddress result;
    const QString scheme = text.left(schemeEnd).toLower();
    if (scheme == u"http"_s)
        result.m_tls = false;
    else if (scheme == u"https"_s)
        result.m_tls = true;
    else
        throw Failure(
            u"The scheme \"%1\" is not supported: only http and https addresses can be downloaded."_s.arg(
                text.left(schemeEnd)));
    result.m_scheme = scheme.toLatin1();
    result.m_port = result.m_tls ? 443 : 80;

    QString rest = text.mid(schemeEnd + 3);
    // A fragment only matters to a browser; it is never sent.
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0)
        rest.truncate(hash);
    qsizetype authorityEnd = rest.size();
    for (const QChar stop : {u'/', u'?'})
        if (const qsizetype at = rest.indexOf(stop); at >= 0 && at < authorityEnd)
            authorityEnd = at;
    QString authority = rest.left(authorityEnd);
    QString target = rest.mid(authorityEnd);
    // User name and password are never offered to anybody, so they are dropped.
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0)
        authority = authority.mid(at + 1);

    QString host = authority;
    QString port;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0)
            throw Failure(u"The web address \"%1\" has a malformed host."_s.arg(address));
        host = authority.mid(1, close - 1);
        const QString after = authority.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                throw Failure(u"The web address \"%1\" has a malformed host."_s.arg(address));
            port = after.mid(1);
        }
    } else if (const qsizetype colon = authority.lastIndexOf(u':'); colon >= 0) {
        host = authority.left(colon);
        port = authority.mid(colon + 1);
    }
    if (host.isEmpty())
        throw Failure(u"The web address \"%1\" has no host."_s.arg(address));
    if (!port.isEmpty()) {
        bool ok = false;
        const int number = port.toInt(&ok);
        if (!ok || number < 0 || number > 65535 || !port.front().isDigit())
            throw Failure(u"The web address \"%1\" has an invalid port."_s.arg(address));
        result.m_port = number;
    }
    result.m_host = wireHost(host);
    const bool bracketed = authority.startsWith(u'[');
    if (result.m_host.isEmpty() || (bracketed ? !isIpv6Literal(result.m_host) : !isHostName(result.m_host)))
        throw Failure(u"The web address \"%1\" has an invalid host name."_s.arg(address));
    if (!target.startsWith(u'/'))
        target.prepend(u'/');
    result.m_target = encodeTarget(target);
    return result;
}

bool HttpAddress::isHostName(const QByteArray& host) {
    // A DNS name or an IPv4 address; "_" is not in DNS names but in use. A blank, a line
    // break or a ":" here would end up inside the Host header or the proxy's address.
    if (host.isEmpty())
        return false;
    for (const char c : host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '-' || c == '.' || c == '_';
        if (!allowed)
            return false;
    }
    return true;
}

QByteArray HttpAddress::wireHost(const QString& host) {
    for (const QChar c : host)
        if (c.unicode() >= 0x80)
            return QUrl::toAce(host);
    return host.toLatin1();
}

QByteArray HttpAddress::hostForHeader() const {
    return m_host.contains(':') ? '[' + m_host + ']' : m_host;
}

QByteArray HttpAddress::hostHeader() const {
    if (isDefaultPort())
        return hostForHeader();
    return hostForHeader() + ':' + QByteArray::number(m_port);
}

QByteArray HttpAddress::authority() const {
    return hostForHeader() + ':' + QByteArray::number(m_port);
}

QByteArray HttpAddress::absoluteTarget() const {
    return m_scheme + "://" + hostHeader() + m_target;
}

QUrl HttpAddress::url() const {
    return QUrl::fromEncoded(m_scheme + "://" + authority() + m_target, QUrl::TolerantMode);
}
