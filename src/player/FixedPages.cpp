#include "player/FixedPages.h"

#include "base/BrowserView.h"
#include "base/Dialogs.h"

#include <exception>

using namespace Qt::StringLiterals;

FixedPages::FixedPages(BrowserView& player, BrowserView& guide, Dialogs& dialogs, const Site& site)
    : m_player(player), m_guide(guide), m_dialogs(dialogs), m_site(site) {}

void FixedPages::showTales() {
    try {
        m_player.navigate(m_site.tales());
    } catch (const std::exception&) {
        m_dialogs.message(u"Произошла ошибка подключения!"_s);
    }
}

void FixedPages::showTvGuide() {
    m_guide.navigate(m_site.tvGuide());
}
