#pragma once

#include "base/BrowserView.h"
#include "player/ui/BrowserWidget.h"

#include <QWebEnginePage>
#include <QWebEngineView>

class Shell;

// The page behind a view: what a page wants to open in a new window (a pop-up, a link with
// a target) goes to the user's own browser instead, when PopupGate lets it (a web page, the
// user's own gesture, one a second for all views together); the rest is dropped.
class ShellWindowsPage : public QWebEnginePage {
    Q_OBJECT
public:
    ShellWindowsPage(Shell& shell, QObject* parent);

protected:
    // No window is ever made here.
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    Shell& m_shell;
};

// The embedded browser: a Chromium view that loads what it is told and returns at once.
// The player page is a local file with content from the network in it, so local pages may
// load remote content but never read other local files.
class WebEngineBrowserView : public QWebEngineView, public BrowserView {
    Q_OBJECT
public:
    WebEngineBrowserView(Shell& shell, QWidget* parent = nullptr);
    void navigate(const QString& target) override;

    // Makes this the player view: media start without a user gesture, and the program's own
    // player pages are adapted to what the engine plays (HTML5 audio for the radio object,
    // playlists opened, HLS through hls.js). Other sites' pages and frames are left alone.
    void makePlayerView();

    // The program's two views: the one named "WebBrowser1" is the player view.
    [[nodiscard]] static BrowserFactory factory(Shell& shell);
};
