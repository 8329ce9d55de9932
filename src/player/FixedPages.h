#pragma once

#include "base/Site.h"

class BrowserView;
class Dialogs;

// The fixed pages of the maker's site shown in the two browser views.
class FixedPages {
public:
    FixedPages(BrowserView& player, BrowserView& guide, Dialogs& dialogs, const Site& site);

    // The audio tales page in the player view; a refusal gives the connection message.
    void showTales();
    // The TV guide in the guide view, on every showing of its tab. Unguarded: a
    // refusal throws Failure for the caller's error box.
    void showTvGuide();

private:
    BrowserView& m_player;
    BrowserView& m_guide;
    Dialogs& m_dialogs;
    Site m_site;
};
