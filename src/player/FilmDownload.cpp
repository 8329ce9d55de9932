#include "player/FilmDownload.h"

#include "base/ConnectionGuard.h"
#include "base/CutBetween.h"
#include "base/Dialogs.h"
#include "base/PageSource.h"
#include "player/PlayerPage.h"

using namespace Qt::StringLiterals;

FilmDownload::FilmDownload(PageSource& source, PlayerPage& page, Dialogs& dialogs)
    : m_source(source), m_page(page), m_dialogs(dialogs) {}

void FilmDownload::run(const std::function<QString()>& address, const std::function<QString()>& title) {
    QString objectId;
    if (!guardConnection(
            m_dialogs, [&] { objectId = cutBetween(m_source.get(address()), u"<object id=\""_s, u"\""_s); }))
        return;
    if (objectId != u"videoplayer4655"_s) {
        m_dialogs.message(u"Простите, но выбранное вами видео скачать нельзя!"_s);
        return;
    }
    // Nothing is kept from the check: the page is downloaded again for the link.
    const QString link = cutBetween(m_source.get(address()), u"file=http://"_s, u".flv\""_s);
    m_linkMemo.setText(PlayerPage::filmDownloadPage(title(), link));
    m_page.writeAndShow(m_linkMemo.text());
}
