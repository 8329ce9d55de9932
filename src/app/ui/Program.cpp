#include "app/ui/Program.h"

#include "app/ui/ListCompletion.h"
#include "app/ui/TMainForm.h"
#include "base/AppInfo.h"
#include "base/Dialogs.h"
#include "base/ErrorText.h"
#include "base/ui/ProgramFonts.h"
#include "catalog/TDataModule2.h"
#include "favorites/ui/TFavoriteForm.h"
#include "player/FilmDownload.h"
#include "player/FixedPages.h"
#include "player/PlayCommand.h"
#include "player/PlayerPage.h"
#include "player/StartPage.h"
#include "player/ui/FilmDownloads.h"
#include "settings/UpdateCheck.h"
#include "settings/ui/TForm5.h"
#include "settings/ui/ThemeApplier.h"

#include <QGuiApplication>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

Program::Program(const Setup& setup) {
    ProgramFonts::install();
    // Only the main window and the boxes are called "Kvelto 7": an empty display name keeps
    // the platform from adding the program's name to the other windows' titles.
    QGuiApplication::setApplicationDisplayName(QString());
    // The start-up update check downloads from inside the main window's creation.
    m_fetcher.setTimeouts(setup.connectTimeout, setup.silenceTimeout);
    m_fetcher.setTotalTimeout(setup.totalTimeout);
    // The views are made here and laid out by the main window, which then owns them.
    m_player = setup.makeBrowser(nullptr, "WebBrowser1");
    m_guide = setup.makeBrowser(nullptr, "WebBrowser2");
    // The catalog's rows are counted in the background while the windows are built (the data
    // component opens nothing before its turn). Counting while the views start slowed them down.
    m_data = std::make_unique<TDataModule2>(setup.catalogPath);
    m_data->startCounting();
    m_page = std::make_unique<PlayerPage>(setup.places.pageDir, *m_player.view);
    m_play = std::make_unique<PlayCommand>(m_download, *m_page, setup.dialogs);
    m_filmDownload = std::make_unique<FilmDownload>(m_download, *m_page, setup.dialogs);
    m_fixedPages = std::make_unique<FixedPages>(*m_player.view, *m_guide.view, setup.dialogs, setup.site);
    m_startPage = std::make_unique<StartPage>(*m_player.view, setup.site);
    Dialogs& dialogs = setup.dialogs;
    QObject::connect(m_startPage.get(), &StartPage::failed,
                     [&dialogs](const QString& message) { dialogs.error(errorBoxText(message)); });
    // The about panel shows the same version text (it has one source, the build).
    m_updateCheck = std::make_unique<UpdateCheck>(m_download, setup.dialogs, setup.shell, setup.site,
                                                  [] { return AppInfo::versionLabel; });
    m_themes = std::make_unique<ThemeApplier>();

    m_mainForm =
        std::make_unique<TMainForm>(MainFormPorts{setup.dialogs, setup.shell, setup.site,
                                                  setup.places.configDir, setup.catalogPath, m_fetcher},
                                    MainFormServices{m_player, m_guide, *m_page, *m_play, *m_filmDownload,
                                                     *m_fixedPages, *m_startPage, *m_updateCheck, *m_themes});
    m_mainForm->bindData(*m_data);
    m_data->open(setup.dialogs);
    m_favorites = std::make_unique<TFavoriteForm>(*m_data, m_mainForm->holders(), m_mainForm->playCommand(),
                                                  setup.dialogs);
    m_addOns = std::make_unique<TForm5>(setup.shell, setup.dialogs, setup.site, m_mainForm.get());
    m_mainForm->setOtherWindows(m_favorites.get(), m_addOns.get());
    // Long lists showed their first rows; the rest follow the main window's first paint.
    m_listCompletion = std::make_unique<ListCompletion>(*m_mainForm, *m_data);
    for (QWidget* window :
         std::initializer_list<QWidget*>{m_mainForm.get(), m_favorites.get(), m_addOns.get()})
        ProgramFonts::spreadWindowFont(*window);

    // What a page in the player view downloads (the film link) goes to the download folder.
    if (auto* player = m_mainForm->findChild<QWebEngineView*>(u"WebBrowser1"_s)) {
        m_filmDownloads = std::make_unique<FilmDownloads>(*player->page(), setup.dialogs, setup.downloadDir);
        QObject::connect(m_filmDownloads.get(), &FilmDownloads::progress, m_mainForm.get(),
                         &TMainForm::showStatus);
        QObject::connect(m_filmDownloads.get(), &FilmDownloads::ended, m_mainForm.get(),
                         &TMainForm::restoreStatus);
        QObject::connect(m_mainForm.get(), &TMainForm::closing, m_filmDownloads.get(),
                         &FilmDownloads::cancelAll);
    }
}

Program::~Program() {
    // Reverse order of creation, spelled out: the windows and the data component (the main
    // window last of them), then the services they used.
    m_filmDownloads.reset();
    m_listCompletion.reset();
    m_addOns.reset();
    m_favorites.reset();
    m_data.reset();
    m_mainForm.reset(); // and with it the two views it laid out
    m_themes.reset();
    m_updateCheck.reset();
    m_startPage.reset();
    m_fixedPages.reset();
    m_filmDownload.reset();
    m_play.reset();
    m_page.reset();
}
