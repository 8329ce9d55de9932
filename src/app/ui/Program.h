#pragma once

#include "base/Site.h"
#include "net/PageFetcher.h"
#include "player/ui/BrowserWidget.h"

#include <QString>
#include <chrono>
#include <memory>

class Dialogs;
class FilmDownloads;
class Shell;
class TDataModule2;
class TFavoriteForm;
class TForm5;
class TMainForm;

// The one place where the program is put together, for main() and for the window tests
// alike: the page fetcher, then the main window, the data component, the favorites window,
// the add-ons window and the film downloads of the player view, in this order; they are
// destroyed in the reverse order (the order of the members below).
class Program {
public:
    struct Setup {
        Dialogs& dialogs;
        Shell& shell;
        BrowserFactory makeBrowser;
        Site site;
        QString executableDir; // where Config.ini and main.html live
        QString catalogPath;   // bdv.db
        QString downloadDir;   // where films the player view downloads are saved
        std::chrono::milliseconds connectTimeout = PageFetcher::defaultConnectTimeout;
        std::chrono::milliseconds silenceTimeout = PageFetcher::defaultSilenceTimeout;
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
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TDataModule2> m_data;
    std::unique_ptr<TFavoriteForm> m_favorites;
    std::unique_ptr<TForm5> m_addOns;
    std::unique_ptr<FilmDownloads> m_filmDownloads;
};
