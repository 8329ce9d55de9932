#include "player/ui/WaitCursorPageSource.h"

#include <QCursor>
#include <QGuiApplication>

QString WaitCursorPageSource::get(const QString& address) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    return m_inner.get(address);
}
