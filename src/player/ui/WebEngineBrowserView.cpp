#include "player/ui/WebEngineBrowserView.h"

#include "base/Shell.h"
#include "player/PopupGate.h"
#include "player/ui/PlayerMediaProxy.h"

#include <QFile>
#include <QFileInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

using namespace Qt::StringLiterals;

namespace {

// One gate for both views: together they open at most one page a second.
PopupGate& popupGate() {
    static PopupGate gate;
    return gate;
}

} // namespace

ShellWindowsPage::ShellWindowsPage(Shell& shell, QObject* parent) : QWebEnginePage(parent), m_shell(shell) {
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (popupGate().admit(request.requestedUrl(), request.isUserInitiated()))
            m_shell.open(request.requestedUrl().toString(QUrl::FullyEncoded));
    });
}

QWebEnginePage* ShellWindowsPage::createWindow(WebWindowType) {
    return nullptr;
}

namespace {

QString resourceText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QWebEngineScript playerScript(const QString& name, const QString& source) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

} // namespace

WebEngineBrowserView::WebEngineBrowserView(Shell& shell, QWidget* parent) : QWebEngineView(parent) {
    setPage(new ShellWindowsPage(shell, this));
    QWebEngineSettings* s = settings();
    // main.html carries no charset and is written in windows-1251.
    s->setDefaultTextEncoding(u"windows-1251"_s);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    // The engine itself refuses window.open without the user's gesture, and never hands
    // a scheme it does not know (mailto:, a custom handler's) to the desktop.
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
}

void WebEngineBrowserView::makePlayerView() {
    Q_INIT_RESOURCE(gui);
    Q_INIT_RESOURCE(hlsjs);
    settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    PlayerMediaProxy::installIn(page()->profile());
    // hls.js is only evaluated when a page meets an HLS stream, and only on local pages:
    // defining a function costs a quick pre-parse, not a full compile.
    const QString hls = resourceText(u":/hlsjs/hls.min.js"_s);
    QWebEngineScriptCollection& scripts = page()->scripts();
    scripts.insert(playerScript(u"kvelto-hls"_s, u"if (location.protocol === 'file:') {\n"
                                                 u"window.__kveltoLoadHls = function () {\n"
                                                 u"var exports, module, define;\n"_s +
                                                     hls + u"\n};\n}\n"_s));
    scripts.insert(
        playerScript(u"kvelto-player"_s, resourceText(u":/gui/player/playerview.js"_s)
                                             .replace(u"@KVELTO_PROXY_KEY@"_s, PlayerMediaProxy::key())));
}

void WebEngineBrowserView::navigate(const QString& target) {
    // A plain file path (the player page) or an address ("http://…", "about:blank").
    const bool isPath = QFileInfo(target).isAbsolute() && !target.contains(u"://"_s);
    setUrl(isPath ? QUrl::fromLocalFile(target) : QUrl(target));
}

BrowserFactory WebEngineBrowserView::factory(Shell& shell) {
    return [&shell](QWidget* parent, const char* name) {
        auto* view = new WebEngineBrowserView(shell, parent);
        view->setObjectName(QString::fromLatin1(name));
        if (qstrcmp(name, "WebBrowser1") == 0)
            view->makePlayerView();
        return BrowserWidget{view, view};
    };
}
