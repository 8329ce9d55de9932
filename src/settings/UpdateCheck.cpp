#include "settings/UpdateCheck.h"

#include "base/ConnectionGuard.h"
#include "base/CutBetween.h"
#include "base/Dialogs.h"
#include "base/PageSource.h"
#include "base/Shell.h"
#include "settings/SiteLinks.h"

#include <exception>

using namespace Qt::StringLiterals;

UpdateCheck::UpdateCheck(PageSource& source, Dialogs& dialogs, Shell& shell, const Site& site,
                         std::function<QString()> ownVersion)
    : m_source(source), m_dialogs(dialogs), m_shell(shell), m_site(site),
      m_ownVersion(std::move(ownVersion)) {}

bool UpdateCheck::upToDate() {
    m_siteVersion = cutBetween(m_source.get(m_site.home()),
                               u"<div style=\"padding:5px;text-align:center;\"><b>"_s, u"</b></div>"_s);
    // Exact comparison: case, blanks and length all count.
    return m_siteVersion == m_ownVersion();
}

void UpdateCheck::atStartup() {
    // Without a site there is nothing to ask: no request, no box.
    if (!m_site.hasHome())
        return;
    bool current = false;
    try {
        current = upToDate();
    } catch (const std::exception&) {
        m_dialogs.message(u"Произошла ошибка при проверке наличия обновлений программы!"_s);
        return;
    }
    if (!current)
        m_dialogs.message(u"На официальном сайте доступны обновления для вашей версии программы! "
                          u"Рекомендуем обновить вашу версию Kvelto"_s);
}

void UpdateCheck::onDemand() {
    if (!m_site.hasHome()) {
        m_dialogs.message(SiteLinks::noSiteMessage.toString());
        return;
    }
    bool current = false;
    if (!guardConnection(m_dialogs, [&] { current = upToDate(); }))
        return;
    if (current)
        m_dialogs.message(u"Вы используете последнюю версию программы Kvelto! "
                          u"Для этой версии программы нет доступных обновлений."_s);
    else
        m_shell.open(m_site.home());
}
