#pragma once

#include "base/Site.h"

#include <QObject>
#include <QString>
#include <QTimer>

class BrowserView;

// Shows the start-up page in the player view and blanks the view at the second
// tick of a one-second timer; the timer then stays off for the rest of the run.
class StartPage : public QObject {
    Q_OBJECT
public:
    StartPage(BrowserView& view, const Site& site, QObject* parent = nullptr);

    // Navigates to the start-up page, then arms the timer. A refused navigation
    // throws Failure and leaves the timer off.
    void start();
    // The timer's tick; a refused navigation is reported through failed().
    void tick();

    [[nodiscard]] qint32 counter() const { return m_counter; }
    [[nodiscard]] QTimer& timer() { return m_timer; }

signals:
    // A tick failed; the message is the failure's own, for the error box.
    void failed(const QString& message);

private:
    BrowserView& m_view;
    Site m_site;
    qint32 m_counter = 0;
    QTimer m_timer;
};
