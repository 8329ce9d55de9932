#include "player/ui/WebEngineBrowserView.h"

#include <QFileInfo>
#include <QWebEngineSettings>

using namespace Qt::StringLiterals;

WebEngineBrowserView::WebEngineBrowserView(QWidget* parent) : QWebEngineView(parent) {
    QWebEngineSettings* s = settings();
    // main.html carries no charset and is written in windows-1251.
    s->setDefaultTextEncoding(u"windows-1251"_s);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
}

void WebEngineBrowserView::navigate(const QString& target) {
    // A plain file path (the player page) or an address ("http://…", "about:blank").
    const bool isPath = target.startsWith(u'/') || QFileInfo(target).isAbsolute();
    setUrl(isPath ? QUrl::fromLocalFile(target) : QUrl(target));
}
