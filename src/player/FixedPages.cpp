#include "player/FixedPages.h"

#include "base/BrowserView.h"
#include "base/ConnectionGuard.h"
#include "base/Dialogs.h"

using namespace Qt::StringLiterals;

FixedPages::FixedPages(BrowserView& player, BrowserView& guide, Dialogs& dialogs, const Site& site)
    : m_player(player), m_guide(guide), m_dialogs(dialogs), m_site(site) {}

void FixedPages::showTales() {
    guardConnection(m_dialogs, [this] { m_player.navigate(m_site.tales()); });
}

void FixedPages::showTvGuide() {
    m_guide.navigate(m_site.tvGuide());
}
