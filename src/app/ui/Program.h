#pragma once

#include "base/ProgramPlaces.h"
#include "base/Site.h"
#include "net/PageFetcher.h"
#include "player/ui/BrowserWidget.h"
#include "player/ui/WaitCursorPageSource.h"

#include <QString>
#include <chrono>
#include <memory>

class Dialogs;
class FilmDownload;
class FilmDownloads;
class FixedPages;
class ListCompletion;
class PlayCommand;
class PlayerPage;
class StartPage;
class ThemeApplier;
class UpdateCheck;
class Shell;
class TDataModule2;
class TFavoriteForm;
class TForm5;
class TMainForm;

// The one place where the program is put together, for main() and for the window tests
// alike: the page fetcher, the two browser views and the services the main window's commands
// use, then the main window, the data component, the favorites window, the add-ons window
// and the film downloads of the player view, in this order; they are destroyed in the
// reverse order (the order of the members below).
class Program {
public:
    struct Setup {
        Dialogs& dialogs;
        Shell& shell;
        BrowserFactory makeBrowser;
        Site site;
        ProgramPlaces places; // where Config.ini and main.html live
        QString catalogPath;  // bdv.db
        QString downloadDir;  // where films the player view downloads are saved
        std::chrono::milliseconds connectTimeout = PageFetcher::defaultConnectTimeout;
        std::chrono::milliseconds silenceTimeout = PageFetcher::defaultSilenceTimeout;
        std::chrono::milliseconds totalTimeout = PageFetcher::defaultTotalTimeout;
    };

    explicit Program(const Setup& setup);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    [[nodiscard]] TMainForm& mainForm() { return *m_mainForm; }
    [[nodiscard]] TDataModule2& data() { return *m_data; }
    [[nodiscard]] TFavoriteForm& favorites() { return *m_favorites; }
    [[nodiscard]] TForm5& addOns() { return *m_addOns; }

private:
    PageFetcher m_fetcher;
    WaitCursorPageSource m_download{m_fetcher};
    BrowserWidget m_player; // laid out (and owned) by the main window
    BrowserWidget m_guide;
    std::unique_ptr<PlayerPage> m_page;
    std::unique_ptr<PlayCommand> m_play;
    std::unique_ptr<FilmDownload> m_filmDownload;
    std::unique_ptr<FixedPages> m_fixedPages;
    std::unique_ptr<StartPage> m_startPage;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    std::unique_ptr<ThemeApplier> m_themes;
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<TFavoriteForm> m_favorites;
    std::unique_ptr<TForm5> m_addOns;
    std::unique_ptr<ListCompletion> m_listCompletion;
    std::unique_ptr<FilmDownloads> m_filmDownloads;
};
