#pragma once

#include "base/TextHolder.h"

#include <QString>
#include <functional>

class Dialogs;
class PageSource;
class PlayerPage;

// Offers a direct .flv link for videos whose page embeds the one player that
// carries it. The holders are read through getters at the moment of use.
class FilmDownload {
public:
    FilmDownload(PageSource& source, PlayerPage& page, Dialogs& dialogs);

    // The check runs for the current video whatever list is active, and a failed
    // check ends the command. The link step is not guarded: its Failure reaches
    // the caller.
    void run(const std::function<QString()>& address, const std::function<QString()>& title);

    [[nodiscard]] TextHolder& linkMemo() { return m_linkMemo; }

private:
    PageSource& m_source;
    PlayerPage& m_page;
    Dialogs& m_dialogs;
    TextHolder m_linkMemo;
};
