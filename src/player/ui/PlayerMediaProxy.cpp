#include "player/ui/PlayerMediaProxy.h"

#include <QBuffer>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRandomGenerator>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

using namespace Qt::StringLiterals;

namespace {

constexpr char httpScheme[] = "kvelto-http";
constexpr char httpsScheme[] = "kvelto-https";
constexpr qint64 bodyLimit = 64 * 1024 * 1024;

// The address the proxied one stands for; empty when it is not one of ours.
QUrl realAddress(const QUrl& proxied) {
    QUrl real = proxied;
    real.setUserInfo(QString());
    if (proxied.scheme() == QLatin1StringView(httpScheme))
        real.setScheme(u"http"_s);
    else if (proxied.scheme() == QLatin1StringView(httpsScheme))
        real.setScheme(u"https"_s);
    else
        return {};
    return real;
}

} // namespace

void PlayerMediaProxy::registerSchemes() {
    for (const auto& [name, port] : {std::pair{httpScheme, 80}, std::pair{httpsScheme, 443}}) {
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::HostPortAndUserInformation);
        scheme.setDefaultPort(port);
        scheme.setFlags(QWebEngineUrlScheme::CorsEnabled);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

QString PlayerMediaProxy::key() {
    static const QString value = []() -> QString {
        QString hex;
        for (int i = 0; i < 4; ++i)
            hex += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, u'0');
        return u"k"_s + hex;
    }();
    return value;
}

void PlayerMediaProxy::installIn(QWebEngineProfile* profile) {
    if (profile->urlSchemeHandler(httpScheme))
        return;
    auto* proxy = new PlayerMediaProxy(profile);
    profile->installUrlSchemeHandler(httpScheme, proxy);
    profile->installUrlSchemeHandler(httpsScheme, proxy);
}

PlayerMediaProxy::PlayerMediaProxy(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void PlayerMediaProxy::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl real = realAddress(job->requestUrl());
    // A local page's origin is opaque, like a sandboxed frame's, so the origin cannot tell who
    // asks: the key that only the player page's own script knows does.
    if (job->requestUrl().userName() != key() || job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (!real.isValid() || real.host().isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    QNetworkRequest request(real);
    const auto headers = job->requestHeaders();
    for (const char* name : {"Range", "Accept"})
        if (const auto it = headers.constFind(QByteArray(name)); it != headers.constEnd())
            request.setRawHeader(QByteArray(name), it.value());
    QNetworkReply* reply = m_network.get(request);
    // The job may go (the page navigated away) before the answer comes; the reply goes with it.
    connect(job, &QObject::destroyed, reply, [reply] {
        reply->abort();
        reply->deleteLater();
    });
    QPointer<QWebEngineUrlRequestJob> guard(job);
    // A script that only wants the start of an answer (to tell a playlist from a stream, which
    // never ends) asks for a range; servers of live streams ignore it, so it is kept here.
    qint64 wanted = 0;
    if (const QByteArray range = headers.value("Range"); range.startsWith("bytes=0-")) {
        bool ok = false;
        const qint64 last = range.mid(8).toLongLong(&ok);
        if (ok && last >= 0)
            wanted = std::min(bodyLimit, last + 1);
    }
    auto answered = std::make_shared<bool>(false);
    const auto answer = [guard, reply, wanted, answered] {
        if (*answered || !guard)
            return;
        *answered = true;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool failed = reply->isFinished() && reply->error() != QNetworkReply::NoError;
        if (failed || status >= 400) {
            guard->fail(status >= 400 ? QWebEngineUrlRequestJob::UrlNotFound
                                      : QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
        // The engine reads a finished buffer reliably, a network reply it would have to wait
        // on less so: the answer is handed over whole.
        auto* body = new QBuffer(guard);
        body->setData(wanted > 0 ? reply->read(wanted) : reply->readAll());
        body->open(QIODevice::ReadOnly);
        guard->reply(reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), body);
    };
    connect(reply, &QNetworkReply::readyRead, this, [reply, wanted, answer] {
        if (wanted > 0 && reply->bytesAvailable() >= wanted) {
            answer();
            reply->abort();
        } else if (reply->bytesAvailable() > bodyLimit) {
            reply->abort(); // no playlist or segment is this large
        }
    });
    connect(reply, &QNetworkReply::finished, this, [reply, answer] {
        answer();
        reply->deleteLater();
    });
}
