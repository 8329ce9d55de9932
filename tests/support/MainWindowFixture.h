#pragma once

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
    template <class T> T* child(const char* name) const {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    LoopbackHttpServer server;
    TempCatalog db;
    FakeDialogs dialogs;
    FakeShell shell;
    FakeBrowserView player;
    FakeBrowserView guide;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TDataModule2> data;
    std::unique_ptr<TFavoriteForm> favorites;
    std::unique_ptr<TForm5> addOns;

private:
    QTemporaryDir m_exeDir;
};
