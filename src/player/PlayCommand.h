#pragma once

#include "base/MediaKind.h"
#include "base/TextHolder.h"

#include <QString>
#include <functional>

class Dialogs;
struct MainHolders;
class PageSource;
class PlayerPage;

// The three ways of playing a catalog item in the player view. Each branch guards
// its own work: any failure ends it with the connection message and undoes nothing.
class PlayCommand {
public:
    PlayCommand(PageSource& source, PlayerPage& page, Dialogs& dialogs);

    // Downloads the video's web page and shows its first embedded object; a page
    // without one shows the player its oEmbed or meta tags name, when they name one.
    void playVideo(const QString& address);
    // The current item of a kind, as the main window's holders hold it: the one place
    // where the kind decides how an item is played.
    void playCurrent(MediaKind kind, const MainHolders& holders);
    // The channel's stored fragment is the page, written exactly as held.
    void playTv(const QString& fragment);
    // A Windows Media Player page for the stream.
    void playRadio(const QString& address, const QString& name);

    // The page text holders, kept between plays.
    [[nodiscard]] TextHolder& memo1() { return m_memo1; }
    [[nodiscard]] TextHolder& memo2() { return m_memo2; }
    [[nodiscard]] TextHolder& radioMemo() { return m_radioMemo; }

private:
    void guarded(const std::function<void()>& work);

    PageSource& m_source;
    PlayerPage& m_page;
    Dialogs& m_dialogs;
    TextHolder m_memo1;
    TextHolder m_memo2;
    TextHolder m_radioMemo;
};
