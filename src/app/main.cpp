#include "app/ui/DesktopShell.h"
#include "app/ui/MessageBoxDialogs.h"
#include "app/ui/Program.h"
#include "app/ui/TMainForm.h"
#include "base/AppInfo.h"
#include "base/LargeHeapPages.h"
#include "base/ProgramPlaces.h"
#include "player/ui/PlayerMediaProxy.h"
#include "player/ui/WebEngineBrowserView.h"
#include "settings/SiteSettings.h"

#include <QApplication>
#include <QDir>
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
    // Before anything is allocated: start-up is then a good deal quicker (see the header).
    LargeHeapPages::enable();
    // Chromium's sandbox cannot run as root; the view is useless without this.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    PlayerMediaProxy::registerSchemes();
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title);
    app.setQuitOnLastWindowClosed(false);

    MessageBoxDialogs dialogs;
    bool terminated = false;
    onTermination([&] {
        terminated = true;
        dialogs.stop();
        if (mainWindow)
            mainWindow->close();
    });
    // The desktop menu starts the program with --desktop: it then works in the user's data
    // folder (a shell start keeps the current folder, where bdv.db is looked for).
    const QString executableDir = QCoreApplication::applicationDirPath();
    if (QCoreApplication::arguments().contains(u"--desktop"_s))
        ProgramPlaces::enterUserDataDir(executableDir);
    const ProgramPlaces places = ProgramPlaces::forExecutable(executableDir);
    DesktopShell shell;
    // The maker's site and the start-up page, when Config.ini names them; help falls back on
    // the README shipped with the program.
    Site site = SiteSettings::read(QDir(places.configDir).filePath(u"Config.ini"_s));
    site.readme = SiteSettings::shippedReadme(executableDir);
    const BrowserFactory makeBrowser = WebEngineBrowserView::factory(shell);

    // A termination request during start-up (while its boxes are up) ends the program
    // before the main window is shown.
    Program program({dialogs, shell, makeBrowser, site, places, u"bdv.db"_s,
                     QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)});
    TMainForm& mainForm = program.mainForm();
    mainWindow = &mainForm;

    if (QScreen* screen = QGuiApplication::primaryScreen())
        mainForm.move(screen->availableGeometry().center() - mainForm.rect().center());
    int code = 0;
    if (!terminated) {
        mainForm.show();
        code = QApplication::exec();
    }

    return code;
}
