#include "app/ui/Program.h"

#include "app/ui/TMainForm.h"
#include "catalog/TDataModule2.h"
#include "favorites/ui/TFavoriteForm.h"
#include "player/ui/FilmDownloads.h"
#include "settings/ui/TForm5.h"

#include <QWebEngineView>

using namespace Qt::StringLiterals;

Program::Program(const Setup& setup) {
    // The start-up update check downloads from inside the main window's creation.
    m_fetcher.setTimeouts(setup.connectTimeout, setup.silenceTimeout);
    m_mainForm = std::make_unique<TMainForm>(MainFormPorts{setup.dialogs, setup.shell, setup.makeBrowser,
                                                           setup.site, setup.executableDir, m_fetcher});
    m_data = std::make_unique<TDataModule2>(setup.catalogPath);
    m_mainForm->bindData(*m_data);
    m_data->open(setup.dialogs);
    m_favorites = std::make_unique<TFavoriteForm>(*m_data, m_mainForm->holders(), m_mainForm->playCommand(),
                                                  setup.dialogs);
    m_addOns = std::make_unique<TForm5>(setup.shell, setup.site, m_mainForm.get());
    m_mainForm->setOtherWindows(m_favorites.get(), m_addOns.get());

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
    // Reverse order of creation, spelled out: the main window goes last.
    m_filmDownloads.reset();
    m_addOns.reset();
    m_favorites.reset();
    m_data.reset();
    m_mainForm.reset();
}
