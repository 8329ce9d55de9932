// kill -9 at any moment of a write leaves the catalog sound and the settings file whole.
#include "catalog/TDataModule2.h"
#include "settings/IniFile.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Moments to kill at, spread over the first few tenths of a second of the work.
constexpr int kills = 16;
std::chrono::milliseconds killMoment(int round) {
    return std::chrono::milliseconds((round * 37) % 150 + 1);
}

// Runs work over and over in a child process and kills it with SIGKILL after delay.
template <class Work> void killDuring(Work&& work, std::chrono::milliseconds delay) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            for (;;)
                work();
        } catch (...) {
        }
        std::_Exit(3); // never back into the test runner
    }
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself";
}

// Opens the catalog as the next start of the program would (which rolls back what a killed
// writer left half done) and has the engine check it.
QString checkedAsTheProgramOpensIt(const TempCatalog& db) {
    {
        TDataModule2 data(db.path());
        FakeDialogs dialogs;
        data.open(dialogs);
        if (!dialogs.shown.isEmpty())
            return dialogs.shown.join(u'\n');
    }
    return db.scalar(u"PRAGMA integrity_check"_s);
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

} // namespace

TEST(KilledProcess, AddingFavoritesLeavesASoundCatalogWithEverythingStoredBefore) {
    TempCatalog db;
    const QString before = db.scalar(u"SELECT group_concat(films || http, '|') FROM fbdf"_s);
    for (int round = 0; round < kills; ++round) {
        killDuring(
            [&] {
                TDataModule2 data(db.path());
                FakeDialogs dialogs;
                data.open(dialogs);
                for (;;)
                    data.FavoriteVideoQuery.insertRecord(u"Фильм"_s, u"http://f.example/"_s);
            },
            killMoment(round));
        ASSERT_EQ(checkedAsTheProgramOpensIt(db), u"ok"_s) << "after kill " << round;
    }
    EXPECT_TRUE(db.scalar(u"SELECT group_concat(films || http, '|') FROM fbdf"_s).startsWith(before));
    EXPECT_GT(db.scalar(u"SELECT count(*) FROM fbdf"_s).toInt(), 1) << "the children did store favorites";
}

TEST(KilledProcess, SavingSettingsLeavesTheOldOrTheNewFileNeverHalf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Config.ini"_s);
    // A large hand-kept file, so that each save takes a while to write.
    QByteArray original = "; hand-written\r\n[Main]\r\nValue=start\r\n[Other]\r\n";
    for (int i = 0; i < 20000; ++i)
        original +=
            "Key" + QByteArray::number(i) + "=\xcf\xf0\xe8\xe2\xe5\xf2 " + QByteArray::number(i) + "\r\n";
    QFile(path).remove();
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    IniFile ini(path);
    ini.WriteString(u"Main"_s, u"Value"_s, u"new"_s);
    const QByteArray newFile = contentsOf(path);
    ini.WriteString(u"Main"_s, u"Value"_s, u"old"_s);
    const QByteArray oldFile = contentsOf(path);
    ASSERT_NE(oldFile, newFile);

    for (int round = 0; round < kills; ++round) {
        killDuring(
            [&] {
                IniFile child(path);
                for (;;) {
                    child.WriteString(u"Main"_s, u"Value"_s, u"new"_s);
                    child.WriteString(u"Main"_s, u"Value"_s, u"old"_s);
                }
            },
            killMoment(round));
        const QByteArray now = contentsOf(path);
        ASSERT_TRUE(now == oldFile || now == newFile)
            << "after kill " << round << ": " << now.size() << " bytes";
    }
    // The killed saves leave their unfinished temporary files beside it, never in its place.
    std::printf("temporary files left beside Config.ini: %lld\n",
                static_cast<long long>(QDir(dir.path()).entryList(QDir::Files).size() - 1));
}

#ifdef KVELTO_CATALOG_TOOL
TEST(KilledProcess, AnImportLeavesASoundCatalogWithAllOrNoneOfTheList) {
    QTemporaryDir dir;
    const QString list = dir.filePath(u"big.m3u"_s);
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray text = "#EXTM3U\n";
        for (int i = 0; i < 100'000; ++i)
            text += "#EXTINF:-1,Канал " + QByteArray::number(i) + "\nhttp://tv.example/" +
                    QByteArray::number(i) + ".m3u8\n";
        file.write(text);
    }
    QSet<QString> counts;
    for (int round = 0; round < kills; ++round) {
        const TempCatalog db;
        const int before = db.scalar(u"SELECT count(*) FROM bdtv"_s).toInt();
        QProcess tool;
        tool.start(QStringLiteral(KVELTO_CATALOG_TOOL), {u"--db"_s, db.path(), u"import"_s, u"tv"_s, list});
        ASSERT_TRUE(tool.waitForStarted());
        std::this_thread::sleep_for(killMoment(round) * 4);
        ::kill(static_cast<pid_t>(tool.processId()), SIGKILL);
        tool.waitForFinished();
        ASSERT_EQ(checkedAsTheProgramOpensIt(db), u"ok"_s) << "after kill " << round;
        // An import adds its whole list or nothing.
        const int added = db.scalar(u"SELECT count(*) FROM bdtv"_s).toInt() - before;
        EXPECT_TRUE(added == 0 || added == 100'000) << "after kill " << round << ": " << added;
        counts << QString::number(added);
    }
    std::printf("rows added by the killed imports: %s\n", qPrintable(counts.values().join(u' ')));
}
#endif
