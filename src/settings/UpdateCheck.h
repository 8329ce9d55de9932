#pragma once

#include "base/Site.h"

#include <QString>
#include <functional>

class Dialogs;
class PageSource;
class Shell;

// Compares the version text on the maker's home page with our own version label.
// Any difference, however small, counts as an available update.
class UpdateCheck {
public:
    UpdateCheck(PageSource& source, Dialogs& dialogs, Shell& shell, const Site& site,
                std::function<QString()> ownVersion);

    // Says so only when an update exists or the check fails; without a site it does nothing.
    void atStartup();
    // Opens the site when an update exists, otherwise says we are up to date; without a
    // site it says that there is none.
    void onDemand();

    // The hidden version holder: the text cut by the last check that got a page.
    [[nodiscard]] const QString& siteVersion() const { return m_siteVersion; }

private:
    // Throws whatever the download throws.
    [[nodiscard]] bool upToDate();

    PageSource& m_source;
    Dialogs& m_dialogs;
    Shell& m_shell;
    Site m_site;
    std::function<QString()> m_ownVersion;
    QString m_siteVersion;
};
