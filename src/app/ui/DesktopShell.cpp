#include "app/ui/DesktopShell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

void DesktopShell::open(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

void DesktopShell::start(const QString& program, const QString& parameter) {
    QProcess::startDetached(program, {parameter});
}
