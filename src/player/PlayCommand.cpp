#include "player/PlayCommand.h"

#include "base/ConnectionGuard.h"
#include "catalog/Holders.h"

#include "base/CutBetween.h"
#include "base/Dialogs.h"
#include "base/PageSource.h"
#include "player/PlayerPage.h"
#include "player/VideoPlayerFallback.h"

using namespace Qt::StringLiterals;

PlayCommand::PlayCommand(PageSource& source, PlayerPage& page, Dialogs& dialogs)
    : m_source(source), m_page(page), m_dialogs(dialogs) {}

void PlayCommand::playVideo(const QString& address) {
    guarded([&] {
        const QString objectStart = u"<object id=\""_s;
        const FetchedPage downloaded = m_source.fetch(address);
        // Pages that still embed an object keep their classic page. Today's sites
        // name their player in oEmbed or meta tags instead.
        QString player;
        if (!downloaded.text.contains(objectStart))
            player = VideoPlayerFallback(m_source).find(downloaded.text, downloaded.address);
        if (player.isEmpty()) {
            m_memo2.setText(cutBetween(downloaded.text, objectStart, u"</object>"_s));
            // The fragment is taken back from Memo2, so it carries CR LF line breaks.
            m_memo1.setText(PlayerPage::videoPage(m_memo2.text()));
        } else {
            m_memo2.setText(player);
            m_memo1.setText(VideoPlayerFallback::page(m_memo2.text()));
        }
        m_page.writeAndShow(m_memo1.text());
    });
}

void PlayCommand::playCurrent(MediaKind kind, const MainHolders& holders) {
    switch (kind) {
    case MediaKind::Video:
        playVideo(holders.DBEdit1.text());
        break;
    case MediaKind::Tv:
        playTv(holders.DBMemo1.text());
        break;
    case MediaKind::Radio:
        playRadio(holders.RadioDBEdit.text(), holders.RadioNameDBEdit.text());
        break;
    }
}

void PlayCommand::playTv(const QString& fragment) {
    guarded([&] { m_page.writeAndShow(fragment); });
}

void PlayCommand::playRadio(const QString& address, const QString& name) {
    guarded([&] {
        m_radioMemo.setText(PlayerPage::radioPage(address, name));
        m_page.writeAndShow(m_radioMemo.text());
    });
}

void PlayCommand::guarded(const std::function<void()>& work) {
    guardConnection(m_dialogs, work);
}
