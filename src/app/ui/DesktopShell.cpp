#include "app/ui/DesktopShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

using namespace Qt::StringLiterals;

void DesktopShell::open(const QString& address) {
    // Only web pages leave the program: a file or a custom handler's scheme could start
    // something on the desktop.
    const QUrl url(address);
    if (url.isValid() && (url.scheme() == u"http"_s || url.scheme() == u"https"_s) && !url.host().isEmpty())
        QDesktopServices::openUrl(url);
}

void DesktopShell::openDocument(const QString& markdownPath) {
    QFile source(markdownPath);
    if (!source.open(QIODevice::ReadOnly))
        return;
    QTextDocument document;
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    QString html = document.toHtml();
    const QString base =
        u"<base href=\""_s +
        QUrl::fromLocalFile(QFileInfo(markdownPath).absolutePath() + u'/').toString(QUrl::FullyEncoded) +
        u"\">"_s;
    if (const qsizetype head = html.indexOf(u"<head>"_s); head >= 0)
        html.insert(head + 6, base);

    const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return;
    QSaveFile page(QDir(dir).filePath(QFileInfo(markdownPath).completeBaseName() + u".html"_s));
    if (!page.open(QIODevice::WriteOnly))
        return;
    page.write(html.toUtf8());
    if (page.commit())
        QDesktopServices::openUrl(QUrl::fromLocalFile(page.fileName()));
}
