#include "player/PopupGate.h"

using namespace Qt::StringLiterals;

bool PopupGate::admit(const QUrl& url, bool userInitiated, Clock::time_point now) {
    if (!userInitiated || !url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() != u"http"_s && url.scheme() != u"https"_s)
        return false;
    if (m_last && now - *m_last < interval)
        return false;
    m_last = now;
    return true;
}
