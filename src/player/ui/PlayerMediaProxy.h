#pragma once

#include <QNetworkAccessManager>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

// The player page is a local file, and the engine refuses a local page's scripts to read
// other sites' answers (playlists, HLS segments) without CORS headers, which radio and TV
// servers rarely send. Scripts of the player page read them through this handler instead:
// "kvelto-http://KEY@host/path" stands for "http://host/path" (and kvelto-https for https),
// downloaded here and handed back with the CORS headers the engine adds for such schemes.
// Only requests that carry this run's key as their user name are served: the key lives in the
// player page's script alone, so web sites cannot use the handler to read others.
class PlayerMediaProxy : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    // Must run before the QApplication is made.
    static void registerSchemes();
    // Serves the two schemes in the profile (once per profile; later calls do nothing).
    static void installIn(QWebEngineProfile* profile);
    // This run's key (random, letters and digits).
    [[nodiscard]] static QString key();

    explicit PlayerMediaProxy(QObject* parent = nullptr);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QNetworkAccessManager m_network;
};
