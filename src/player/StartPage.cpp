#include "player/StartPage.h"

#include "base/BrowserView.h"
#include "base/Failure.h"

#include <exception>

using namespace Qt::StringLiterals;

StartPage::StartPage(BrowserView& view, const Site& site, QObject* parent)
    : QObject(parent), m_view(view), m_site(site) {
    m_timer.setObjectName(u"Timer1"_s);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &StartPage::tick);
}

void StartPage::start() {
    // Without a start-up page the view starts blank; the timer runs all the same.
    m_view.navigate(m_site.startPage.isEmpty() ? u"about:blank"_s : m_site.startPage);
    m_counter = 2;
    m_timer.start();
}

void StartPage::tick() {
    --m_counter;
    if (m_counter != 0)
        return;
    // Stopped before navigating, so a failure is reported once only.
    m_timer.stop();
    try {
        m_view.navigate(u"about:blank"_s);
    } catch (const Failure& failure) {
        emit failed(failure.message());
    } catch (const std::exception& error) {
        emit failed(QString::fromUtf8(error.what()));
    }
}
