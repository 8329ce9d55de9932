#include "base/ProgramPlaces.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The user's XDG folders pointed into a temporary folder for the test's life.
class UserFolders : public testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u"config"_s)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
    }
    void TearDown() override {
        QDir::setCurrent(startDir);
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }

    QTemporaryDir home;
    QTemporaryDir executable;
    const QString startDir = QDir::currentPath();
};

TEST_F(UserFolders, AWritableExecutableFolderKeepsBothFilesItsUsersFoldersOtherwise) {
    const ProgramPlaces beside = ProgramPlaces::forExecutable(executable.path(), true);
    EXPECT_EQ(beside.configDir, executable.path());
    EXPECT_EQ(beside.pageDir, executable.path());

    const ProgramPlaces installed = ProgramPlaces::forExecutable(executable.path(), false);
    EXPECT_EQ(installed.configDir, home.filePath(u"config/kvelto"_s));
    EXPECT_EQ(installed.pageDir, home.filePath(u"data/kvelto"_s));
    EXPECT_TRUE(QDir(installed.configDir).exists());
    EXPECT_TRUE(QDir(installed.pageDir).exists());

    // The real question is asked of the kernel: a folder without write permission counts as
    // not writable (root may write anywhere, so this part needs an ordinary user).
    if (::geteuid() != 0) {
        QFile::setPermissions(executable.path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(ProgramPlaces::forExecutable(executable.path()).configDir,
                  home.filePath(u"config/kvelto"_s));
        QFile::setPermissions(executable.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_EQ(ProgramPlaces::forExecutable(executable.path()).configDir,
              ::access(QFile::encodeName(executable.path()).constData(), W_OK) == 0 ? executable.path()
                                                                                    : installed.configDir);
}

TEST_F(UserFolders, TheDesktopStartWorksInTheDataFolderWithTheSampleCatalogCopiedOnce) {
    QDir(executable.path()).mkpath(u"share/kvelto"_s);
    QFile sample(QDir(executable.path()).filePath(u"share/kvelto/bdv.db"_s));
    ASSERT_TRUE(sample.open(QIODevice::WriteOnly));
    sample.write("sample");
    sample.close();
    sample.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther); // as installed

    ASSERT_TRUE(ProgramPlaces::enterUserDataDir(executable.path()));
    EXPECT_EQ(QDir::currentPath(), home.filePath(u"data/kvelto"_s));
    QFile copy(u"bdv.db"_s);
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite)); // the user's own copy may be written
    EXPECT_EQ(copy.readAll(), "sample");
    copy.write(" and the user's rows");
    copy.close();

    // Later starts keep what the user has.
    ASSERT_TRUE(ProgramPlaces::enterUserDataDir(executable.path()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "sample and the user's rows");
}

} // namespace
