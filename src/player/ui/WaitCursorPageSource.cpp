#include "player/ui/WaitCursorPageSource.h"

#include <QGuiApplication>

QString WaitCursorPageSource::get(const QString& address) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    return m_inner.get(address);
}
