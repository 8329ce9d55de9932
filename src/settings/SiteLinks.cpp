#include "settings/SiteLinks.h"

#include "base/Dialogs.h"
#include "base/Shell.h"

SiteLinks::SiteLinks(Shell& shell, Dialogs& dialogs, Site site)
    : m_shell(shell), m_dialogs(dialogs), m_site(std::move(site)) {}

void SiteLinks::help() {
    if (!m_site.hasHome() && !m_site.readme.isEmpty())
        m_shell.openDocument(m_site.readme);
    else
        openOnSite(m_site.help());
}

void SiteLinks::feedback() {
    openOnSite(m_site.feedback());
}

void SiteLinks::site() {
    openOnSite(m_site.home());
}

void SiteLinks::agreement() {
    openOnSite(m_site.agreement());
}

void SiteLinks::iptvGuide() {
    openOnSite(m_site.vlcGuide());
}

void SiteLinks::openOnSite(const QString& address) {
    if (m_site.hasHome())
        m_shell.open(address);
    else
        m_dialogs.message(noSiteMessage.toString());
}
