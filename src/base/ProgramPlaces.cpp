#include "base/ProgramPlaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

using namespace Qt::StringLiterals;

ProgramPlaces ProgramPlaces::forExecutable(const QString& executableDir) {
    // access() asks the kernel, so a read-only file system counts too.
    return forExecutable(executableDir, ::access(QFile::encodeName(executableDir).constData(), W_OK) == 0);
}

ProgramPlaces ProgramPlaces::forExecutable(const QString& executableDir, bool executableDirWritable) {
    if (executableDirWritable)
        return {executableDir, executableDir};
    ProgramPlaces places{userConfigDir(), userDataDir()};
    QDir().mkpath(places.configDir);
    QDir().mkpath(places.pageDir);
    return places;
}

bool ProgramPlaces::enterUserDataDir(const QString& executableDir) {
    const QString dir = userDataDir();
    if (!QDir().mkpath(dir) || !QDir::setCurrent(dir))
        return false;
    const QString catalog = QDir(dir).filePath(u"bdv.db"_s);
    if (QFile::exists(catalog))
        return true;
    QStringList samples{QDir(executableDir).filePath(u"../share/kvelto/bdv.db"_s),
                        QDir(executableDir).filePath(u"share/kvelto/bdv.db"_s)}; // installed; build folder
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        samples.append(QDir(data).filePath(u"kvelto/bdv.db"_s));
    for (const QString& sample : samples) {
        if (QFileInfo(sample).isFile() &&
            QFileInfo(sample).canonicalFilePath() != QFileInfo(catalog).canonicalFilePath() &&
            QFile::copy(sample, catalog)) {
            QFile::setPermissions(catalog,
                                  QFile::permissions(catalog) | QFile::WriteOwner | QFile::ReadOwner);
            break;
        }
    }
    return true;
}

QString ProgramPlaces::userConfigDir() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(u"kvelto"_s);
}

QString ProgramPlaces::userDataDir() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(u"kvelto"_s);
}
