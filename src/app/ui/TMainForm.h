#pragma once

#include "app/ui/HiddenMenu.h"
#include "base/MediaKind.h"
#include "base/Site.h"
#include "catalog/Holders.h"
#include "net/PageFetcher.h"
#include "player/ui/BrowserWidget.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TMainForm;
}
struct KindLists;
class Dialogs;
class FilmDownload;
class FixedPages;
class PlayCommand;
class PlayerPage;
class Query;
class QLabel;
class QTableView;
class SettingsTab;
class Shell;
class StartPage;
class TDataModule2;
class TFavoriteForm;
class TForm5;
class PlaylistImport;
class ThemeApplier;
class UpdateCheck;

// What the main window needs from the platform; main.cpp passes the real ones,
// tests pass fakes.
struct MainFormPorts {
    Dialogs& dialogs;
    Shell& shell;
    Site site;
    QString configDir;    // where Config.ini lives
    QString catalogPath;  // bdv.db, which the playlist import adds to
    PageFetcher& fetcher; // the program's one HTTP client
};

// What the main window's commands work with, built once by the assembly (Program), which
// also makes the two browser views that the window lays out on its tabs.
struct MainFormServices {
    BrowserWidget player; // WebBrowser1, on the player tab
    BrowserWidget guide;  // WebBrowser2, on the TV guide tab
    PlayerPage& page;
    PlayCommand& play;
    FilmDownload& filmDownload;
    FixedPages& fixedPages;
    StartPage& startPage;
    UpdateCheck& updateCheck;
    ThemeApplier& themes;
};

// The main window: the player and TV guide views, the settings tab, the three
// catalog lists and the command map of buttons, tabs and hidden menu keys.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    TMainForm(MainFormPorts ports, MainFormServices services, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Binds the lists, holders and status line to the data component; called once it
    // exists and before its queries open.
    void bindData(TDataModule2& data);
    // The windows created after the main window.
    void setOtherWindows(TFavoriteForm* favorites, TForm5* addOns);

    // Runs one command: a failure it does not catch goes to the error box.
    void run(const std::function<void()>& command);

    [[nodiscard]] MediaKind activeList() const;
    [[nodiscard]] MainHolders& holders() { return m_holders; }
    [[nodiscard]] PlayCommand& playCommand() { return m_services.play; }
    [[nodiscard]] PageFetcher& IdHTTP1() { return m_ports.fetcher; }
    [[nodiscard]] StartPage* startPage() { return &m_services.startPage; }
    [[nodiscard]] QString statusText() const;
    // A passing text on the status line (a download's progress) until restoreStatus(),
    // which shows the active list's current title again; list changes meanwhile wait.
    void showStatus(const QString& text);
    void restoreStatus();
    [[nodiscard]] QString playerPagePath() const;

    // Commands of the command map, named after their triggers.
    void sBitBtn2Click();             // play (also F2)
    void sBitBtn6Click();             // film download page (also F3)
    void sBitBtn8Click();             // audio tales (also F4)
    void SortBitBtnClick();           // sort the active list (also F5)
    void N4Click();                   // end after a question (F10)
    void sBitBtn1Click();             // end at once
    void FavoritesBitBtnClick();      // favorites window (also Ctrl+A)
    void AddToFavoritesBitBtnClick(); // add to favorites (also Insert)
    void sBitBtn4Click();             // help (also F1)
    void sBitBtn5Click();             // feedback
    void sBitBtn3Click();             // update check
    void sBitBtn9Click();             // add-ons window
    void sButton1Click();             // save proxy settings
    void sLabel12Click();             // maker's site
    void sLabel15Click();             // user agreement
    void N8Click();                   // show the video list (F6)
    void N6Click();                   // show the online TV list (F7)
    void N7Click();                   // show the radio list (F8)
    void N12Click();                  // show the player view (F9)
    void N10Click();                  // show the settings tab (F11)
    void N16Click();                  // show the TV guide (F12)
    void ImportMenuItemClick();       // import playlists into the active list (Ctrl+O)

signals:
    // The window is closing and the program ends: running work stops now (film downloads).
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FindEditChange();
    void sPageControl2Change();
    void sComboBox1Change();
    void dataSourceChange(MediaKind kind);
    void play(MediaKind kind);
    void playGrid(MediaKind kind);
    void showPage(QWidget* page);
    void rereadActiveList();
    // The hidden menu's keys and the commands they run.
    std::vector<HiddenMenu::Item> menuItems();
    // The three catalog lists with their tab pages.
    [[nodiscard]] KindLists lists() const;

    std::unique_ptr<Ui::TMainForm> m_ui;
    MainFormPorts m_ports;
    MainFormServices m_services;
    MainHolders m_holders;
    std::unique_ptr<SettingsTab> m_settingsTab; // holds the settings file from start to the end
    QLabel* m_statusPanel = nullptr;
    QString m_listStatus;         // what the status line shows when no passing text is up
    bool m_passingStatus = false; // showStatus() text is up
    TDataModule2* m_data = nullptr;
    TFavoriteForm* m_favorites = nullptr;
    TForm5* m_addOns = nullptr;
    bool m_selectingByProgram = false;
    bool m_favoritesShownBefore = false;
    std::unique_ptr<HiddenMenu> m_menu;
    std::unique_ptr<PlaylistImport> m_import; // Ctrl+O and files dropped onto the window
};
