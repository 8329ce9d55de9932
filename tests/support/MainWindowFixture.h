#pragma once

#include "app/ui/Program.h"
#include "app/ui/TMainForm.h"
#include "catalog/TDataModule2.h"
#include "favorites/ui/TFavoriteForm.h"
#include "settings/ui/TForm5.h"
#include "support/FakePorts.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempCatalog.h"

#include <QTemporaryDir>
#include <memory>

// The whole program as main() assembles it, with fake boxes, shell and browser
// views, the catalog in a temporary folder and the maker's site on a loopback server.
class MainWindowFixture {
public:
    static QByteArray homePage(const QString& version);

    explicit MainWindowFixture(const QString& catalogSql = TempCatalog::sampleSql());
    ~MainWindowFixture();

    // Writes Config.ini beside the "executable" before start().
    void writeConfig(const QString& text);
    // Builds the windows and the data component in the program's order.
    void start(bool withDatabase = true);
    [[nodiscard]] QString exeDir() const { return m_exeDir.path(); }
    [[nodiscard]] QString configText() const;
    [[nodiscard]] QByteArray playerPageBytes() const;
    [[nodiscard]] QString siteBase() const;

    // The maker's site is the loopback server unless the test asks for what Config.ini's
    // [Site] names, as main() reads it; readme is the help without a site.
    bool siteFromConfig = false;
    QString readme;

    LoopbackHttpServer server;
    TempCatalog db;
    FakeDialogs dialogs;
    FakeShell shell;
    FakeBrowserView player;
    FakeBrowserView guide;
    // The program as main() assembles it; the pointers below are its parts once started.
    std::unique_ptr<Program> program;
    TMainForm* form = nullptr;
    TDataModule2* data = nullptr;
    TFavoriteForm* favorites = nullptr;
    TForm5* addOns = nullptr;

private:
    QTemporaryDir m_exeDir;
};
