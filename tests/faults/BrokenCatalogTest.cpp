// A catalog file that cannot be used as it should: the error box shows the engine's message
// and nothing already stored is lost.
#include "base/ErrorText.h"
#include "base/TextHolder.h"
#include "catalog/TDataModule2.h"
#include "favorites/AddToFavorites.h"
#include "support/ChildProcess.h"
#include "support/FakePorts.h"
#include "support/TempCatalog.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString added = u"message: Запись успешно добавлена!"_s;

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// What the user sees when the program starts on the catalog and then adds a favorite.
QStringList startAndAddAFavorite(const QString& path) {
    TDataModule2 data(path);
    FakeDialogs dialogs;
    data.open(dialogs);
    TextHolder title;
    TextHolder address;
    title.setText(u"Новый фильм"_s);
    address.setText(u"http://f.example/new"_s);
    dialogs.answers.enqueue(true);
    reportingFailures(dialogs, [&] { addToFavorites(dialogs, data.FavoriteVideoQuery, title, address); });
    dialogs.shown.removeAll(u"question: Вы действительно хотите добавить запись в Избранное?"_s);
    return dialogs.shown;
}

// The same in a child process of a user who may not write where root could.
QStringList startAndAddAFavoriteAsAnotherUser(const QString& path) {
    const QByteArray shown = inChildProcess([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(2);
        return startAndAddAFavorite(path).join(u'\n').toUtf8();
    });
    return QString::fromUtf8(shown).split(u'\n');
}

// The connection and each of the six lists fail to open, then the favorite finds its list closed.
QStringList failedStart(const QString& box) {
    return QStringList(7, box)
           << u"error: FavoriteVideoQuery: Cannot perform this operation on a closed dataset."_s;
}

} // namespace

TEST(BrokenCatalog, AFileThatIsNoSoundDatabaseShowsTheEnginesMessageAndIsNotTouched) {
    const TempCatalog sample;
    const QByteArray whole = contentsOf(sample.path());
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList shown;
    } cases[] = {
        {"not a database", QByteArray(4096, 'x'), failedStart(u"error: file is not a database."_s)},
        {"truncated", whole.left(whole.size() / 2),
         failedStart(u"error: database disk image is malformed."_s)},
    };
    for (const auto& broken : cases) {
        SCOPED_TRACE(broken.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"bdv.db"_s);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(broken.bytes);
        }
        EXPECT_EQ(startAndAddAFavorite(path), broken.shown);
        EXPECT_EQ(contentsOf(path), broken.bytes);
    }
}

TEST(BrokenCatalog, AReadOnlyFileOrFolderRefusesTheFavoriteWithTheEnginesMessage) {
    for (const bool readOnlyFolder : {false, true}) {
        SCOPED_TRACE(readOnlyFolder ? "read-only folder" : "read-only bdv.db");
        const TempCatalog db;
        const QString before = db.scalar(u"SELECT count(*) FROM fbdf"_s);
        const QByteArray bytes = contentsOf(db.path());
        ::chmod(QFile::encodeName(db.dir()).constData(), readOnlyFolder ? 0555 : 0777);
        ::chmod(QFile::encodeName(db.path()).constData(), readOnlyFolder ? 0666 : 0444);
        const QStringList shown = startAndAddAFavoriteAsAnotherUser(db.path());
        ::chmod(QFile::encodeName(db.dir()).constData(), 0700);
        // Without room for its journal the engine calls the catalog read-only too.
        EXPECT_EQ(shown, QStringList{u"error: attempt to write a readonly database."_s});
        EXPECT_EQ(contentsOf(db.path()), bytes);
        EXPECT_EQ(db.scalar(u"SELECT count(*) FROM fbdf"_s), before);
    }
}

TEST(BrokenCatalog, ACatalogLockedLongerThanTheBusyTimeOutRefusesTheFavorite) {
    const TempCatalog db;
    const QString before = db.scalar(u"SELECT count(*) FROM fbdf"_s);
    TDataModule2 data(db.path());
    FakeDialogs dialogs;
    data.open(dialogs);
    ASSERT_TRUE(dialogs.shown.isEmpty());

    // Another program holds the catalog in a write transaction for longer than we wait.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(db.path()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM fbdf;", nullptr, nullptr, nullptr),
              SQLITE_OK);
    TextHolder title;
    TextHolder address;
    title.setText(u"Новый фильм"_s);
    dialogs.answers.enqueue(true);
    reportingFailures(dialogs, [&] { addToFavorites(dialogs, data.FavoriteVideoQuery, title, address); });
    EXPECT_EQ(dialogs.shown.last(), u"error: database is locked."_s);
    sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(db.scalar(u"SELECT count(*) FROM fbdf"_s), before);
}
