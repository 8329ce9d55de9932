#include "player/ui/WebEngineBrowserView.h"

#include "settings/Shell.h"

#include <QFileInfo>
#include <QWebEngineSettings>

using namespace Qt::StringLiterals;

namespace {

// A window that never shows: its first navigation is handed to the shell, then it goes.
class ForwardingPage : public QWebEnginePage {
public:
    ForwardingPage(Shell& shell, QObject* parent) : QWebEnginePage(parent), m_shell(shell) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (!m_forwarded && url.isValid() && !url.isEmpty()) {
            m_forwarded = true;
            m_shell.open(url.toString());
            deleteLater();
        }
        return false;
    }

private:
    Shell& m_shell;
    bool m_forwarded = false;
};

} // namespace

ShellWindowsPage::ShellWindowsPage(Shell& shell, QObject* parent) : QWebEnginePage(parent), m_shell(shell) {}

QWebEnginePage* ShellWindowsPage::createWindow(WebWindowType) {
    return new ForwardingPage(m_shell, this);
}

WebEngineBrowserView::WebEngineBrowserView(Shell& shell, QWidget* parent) : QWebEngineView(parent) {
    setPage(new ShellWindowsPage(shell, this));
    QWebEngineSettings* s = settings();
    // main.html carries no charset and is written in windows-1251.
    s->setDefaultTextEncoding(u"windows-1251"_s);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
}

void WebEngineBrowserView::navigate(const QString& target) {
    // A plain file path (the player page) or an address ("http://…", "about:blank").
    const bool isPath = QFileInfo(target).isAbsolute() && !target.contains(u"://"_s);
    setUrl(isPath ? QUrl::fromLocalFile(target) : QUrl(target));
}
