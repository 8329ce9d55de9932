#include "player/FreeFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

using namespace Qt::StringLiterals;

QString freeFileName(const QString& suggested, const std::function<bool(const QString&)>& taken) {
    QString name = suggested.section(u'/', -1).section(u'\\', -1).trimmed();
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        name = u"download"_s;
    if (!taken(name))
        return name;
    // A leading dot starts a name, not an extension.
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int number = 1;; ++number) {
        QString candidate = stem + u" ("_s + QString::number(number) + u')' + extension;
        if (!taken(candidate))
            return candidate;
    }
}

QString freeFileName(const QString& directory, const QString& suggested) {
    const QDir dir(directory);
    return freeFileName(suggested,
                        [&](const QString& name) { return QFileInfo::exists(dir.filePath(name)); });
}

QString downloadProgressText(qint64 received, qint64 total, qint64 elapsedMs) {
    QLocale russian(QLocale::Russian);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    constexpr double megabyte = 1024.0 * 1024.0;
    const double speed = elapsedMs > 0 ? received / megabyte / (elapsedMs / 1000.0) : 0.0;
    const QString done = total > 0
                             ? QString::number(std::clamp<qint64>(received * 100 / total, 0, 100)) + u" %"_s
                             : russian.toString(received / megabyte, 'f', 1) + u" МБ"_s;
    return u"Скачивание фильма: "_s + done + u" ("_s + russian.toString(speed, 'f', 1) + u" МБ/с)"_s;
}
