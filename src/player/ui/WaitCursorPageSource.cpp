#include "player/ui/WaitCursorPageSource.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

QString WaitCursorPageSource::get(const QString& address) {
    const WaitCursor cursor;
    return m_inner.get(address);
}

FetchedPage WaitCursorPageSource::fetch(const QString& address) {
    const WaitCursor cursor;
    return m_inner.fetch(address);
}
