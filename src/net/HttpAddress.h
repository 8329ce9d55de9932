#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// An absolute http or https address taken apart into what goes on the wire.
// Non-ASCII parts are made sendable: the host in its IDNA form, the path and
// query percent-encoded as UTF-8, as are blanks, control characters and the
// marks " < > \ ^ ` { | }; everything else, "%" included, stays as written.
class HttpAddress {
public:
    // Throws Failure with a readable message for an empty address, one without
    // a host or with characters a host may not hold, another scheme or a port that is
    // not a number from 0 to 65535.
    static HttpAddress parse(const QString& address);

    [[nodiscard]] bool isTls() const { return m_tls; }
    [[nodiscard]] const QByteArray& scheme() const { return m_scheme; }
    // Without brackets, ready for name resolution and certificate checks.
    [[nodiscard]] const QByteArray& host() const { return m_host; }
    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] bool isDefaultPort() const { return m_port == (m_tls ? 443 : 80); }
    // Path and query, as the request target of a direct request.
    [[nodiscard]] const QByteArray& target() const { return m_target; }
    // The value of the Host header.
    [[nodiscard]] QByteArray hostHeader() const;
    // host:port, as CONNECT wants it.
    [[nodiscard]] QByteArray authority() const;
    // The request target through a plain proxy.
    [[nodiscard]] QByteArray absoluteTarget() const;
    // The address as the cookie store matches it.
    [[nodiscard]] QUrl url() const;

    // Whether an ASCII host (as wireHost gives it) is a host name or an IPv4 address:
    // letters, digits, "-", "." and "_" only.
    [[nodiscard]] static bool isHostName(const QByteArray& host);

    // A host name as it goes on the wire: ASCII as written, anything else in its IDNA
    // form; empty when the name has no IDNA form.
    [[nodiscard]] static QByteArray wireHost(const QString& host);

private:
    [[nodiscard]] QByteArray hostForHeader() const;

    bool m_tls = false;
    QByteArray m_scheme;
    QByteArray m_host;
    int m_port = 80;
    QByteArray m_target;
};
