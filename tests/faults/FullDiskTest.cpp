// A disk that fills up while the player page or the settings file is written: the error box
// says so, the old file stays as it was and no partial file is left.
#include "base/ErrorText.h"
#include "player/PlayerPage.h"
#include "settings/IniFile.h"
#include "support/ChildProcess.h"
#include "support/FakePorts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr rlim_t diskRoom = 64 * 1024; // what the "disk" takes per file

// Runs step in a child process that may write no file beyond diskRoom bytes, as if the disk
// were full, and returns what its error box showed.
QString errorBoxWithFullDisk(const std::function<void(Dialogs&)>& step) {
    return QString::fromUtf8(inChildProcess([&] {
        const rlimit limit{diskRoom, diskRoom};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
        FakeDialogs dialogs;
        reportingFailures(dialogs, [&] { step(dialogs); });
        return dialogs.shown.join(u'\n').toUtf8();
    }));
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(FullDisk, ThePlayerPageAndTheSettingsFileKeepTheirOldContents) {
    QTemporaryDir dir;
    const QString page = dir.filePath(u"main.html"_s);
    const QString config = dir.filePath(u"Config.ini"_s);
    const QByteArray oldPage = "<html><body>old page</body></html>";
    QByteArray oldConfig = "[Main]\r\nValue=old\r\n";
    while (oldConfig.size() < qsizetype(diskRoom) - 100)
        oldConfig += "Filler=" + QByteArray(60, 'f') + "\r\n";
    put(page, oldPage);
    put(config, oldConfig);

    FakeBrowserView view;
    const QString pageBox = errorBoxWithFullDisk([&](Dialogs&) {
        PlayerPage(dir.path(), view).writeAndShow(PlayerPage::videoPage(QString(100'000, u'ф')));
    });
    EXPECT_EQ(pageBox, u"error: Cannot write file \"%1\". File too large."_s.arg(page));
    EXPECT_EQ(contentsOf(page), oldPage);

    const QString configBox = errorBoxWithFullDisk(
        [&](Dialogs&) { IniFile(config).WriteString(u"Main"_s, u"Value"_s, QString(200, u'n')); });
    EXPECT_EQ(configBox, u"error: Unable to write to %1."_s.arg(config));
    EXPECT_EQ(contentsOf(config), oldConfig);

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({u"Config.ini"_s, u"main.html"_s}))
        << "no partial file is left";

    // With room on the disk the same writes succeed.
    PlayerPage(dir.path(), view).writeAndShow(PlayerPage::videoPage(u"new"_s));
    EXPECT_TRUE(contentsOf(page).contains("new"));
    IniFile(config).WriteString(u"Main"_s, u"Value"_s, u"new"_s);
    EXPECT_TRUE(contentsOf(config).startsWith("[Main]\r\nValue=new\r\n"));
}
