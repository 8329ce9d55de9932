#pragma once

#include "base/Site.h"

class Dialogs;
class Shell;

// The commands that open a page of the maker's site in the user's browser. Without a site
// they say so in a message box; help then shows the README shipped with the program.
class SiteLinks {
public:
    static constexpr QStringView noSiteMessage = u"Адрес сайта программы не задан.";

    SiteLinks(Shell& shell, Dialogs& dialogs, Site site);

    void help();
    void feedback();
    void site();
    void agreement();
    void iptvGuide();

private:
    void openOnSite(const QString& address);

    Shell& m_shell;
    Dialogs& m_dialogs;
    Site m_site;
};
