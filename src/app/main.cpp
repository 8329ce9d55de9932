#include "app/ui/DesktopShell.h"
#include "app/ui/MessageBoxDialogs.h"
#include "app/ui/TMainForm.h"
#include "base/AppInfo.h"
#include "catalog/TDataModule2.h"
#include "favorites/ui/TFavoriteForm.h"
#include "player/ui/FilmDownloads.h"
#include "player/ui/PlayerMediaProxy.h"
#include "player/ui/WebEngineBrowserView.h"
#include "settings/ui/TForm5.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int signalPipe[2] = {-1, -1};
QPointer<QWidget> mainWindow;

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the program like the close button does (main.html removed,
// windows destroyed in order), also while a box is open or start-up is still going on.
void onTermination(const std::function<void()>& end) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [end] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        end();
    });
    std::signal(SIGTERM, onTerminate);
    std::signal(SIGINT, onTerminate);
}

} // namespace

int main(int argc, char** argv) {
    // Chromium's sandbox cannot run as root; the view is useless without this.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    PlayerMediaProxy::registerSchemes();
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title);
    QApplication::setApplicationDisplayName(AppInfo::title);
    app.setQuitOnLastWindowClosed(false);

    MessageBoxDialogs dialogs;
    bool terminated = false;
    onTermination([&] {
        terminated = true;
        dialogs.stop();
        if (mainWindow)
            mainWindow->close();
    });
    DesktopShell shell;
    const Site site;
    const auto makeBrowser = [&shell](QWidget* parent, const char* name) {
        auto* view = new WebEngineBrowserView(shell, parent);
        view->setObjectName(QString::fromLatin1(name));
        if (qstrcmp(name, "WebBrowser1") == 0)
            view->makePlayerView();
        return BrowserWidget{view, view};
    };

    // Created in this order and destroyed in the reverse one.
    auto mainForm = std::make_unique<TMainForm>(
        MainFormPorts{dialogs, shell, makeBrowser, site, QCoreApplication::applicationDirPath()});
    mainWindow = mainForm.get();
    auto dataModule = std::make_unique<TDataModule2>(u"bdv.db"_s);
    mainForm->bindData(*dataModule);
    dataModule->open(dialogs);
    auto favoriteForm =
        std::make_unique<TFavoriteForm>(*dataModule, mainForm->holders(), mainForm->playCommand(), dialogs);
    auto form5 = std::make_unique<TForm5>(shell, site, mainForm.get());
    mainForm->setOtherWindows(favoriteForm.get(), form5.get());
    // What a page in the player view downloads (the film link) goes to the user's download folder.
    std::unique_ptr<FilmDownloads> filmDownloads;
    if (auto* player = mainForm->findChild<QWebEngineView*>(u"WebBrowser1"_s)) {
        filmDownloads = std::make_unique<FilmDownloads>(
            *player->page(), dialogs, QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
        QObject::connect(filmDownloads.get(), &FilmDownloads::progress, mainForm.get(),
                         &TMainForm::showStatus);
        QObject::connect(filmDownloads.get(), &FilmDownloads::ended, mainForm.get(),
                         &TMainForm::restoreStatus);
        QObject::connect(mainForm.get(), &TMainForm::closing, filmDownloads.get(), &FilmDownloads::cancelAll);
    }

    if (QScreen* screen = QGuiApplication::primaryScreen())
        mainForm->move(screen->availableGeometry().center() - mainForm->rect().center());
    int code = 0;
    if (!terminated) {
        mainForm->show();
        code = QApplication::exec();
    }

    filmDownloads.reset();
    form5.reset();
    favoriteForm.reset();
    dataModule.reset();
    mainForm.reset();
    return code;
}
