#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString playlist(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(ImportCommand, CtrlOImportsChosenPlaylistsIntoTheActiveListAndShowsThem) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    QTemporaryDir dir;
    QTest::keyClick(app.form, Qt::Key_F8); // the radio list
    ui.FindEdit->setText(u"нет такого"_s);
    ASSERT_EQ(ui.sDBGrid1->model()->rowCount(), 0);
    app.dialogs.shown.clear();

    app.dialogs.chosenFiles = {
        playlist(dir, u"a.pls"_s, "[playlist]\nFile1=http://r.example/1\nTitle1=Станция 1\n"),
        playlist(dir, u"b.m3u"_s, "#EXTINF:-1,Станция 2\nhttp://r.example/2\n")};
    QTest::keyClick(ui.FindEdit, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(app.dialogs.shown,
              (QStringList{u"files: Импорт списка"_s, u"information: Добавлено записей: 2"_s}));
    EXPECT_EQ(ui.FindEdit->text(), QString());
    EXPECT_EQ(ui.sDBGrid1->model()->rowCount(), 13);
    EXPECT_EQ(ui.sDBGrid3->model()->rowCount(), 5); // the video list is read again as it was

    // Cancelling the dialog does nothing.
    app.dialogs.shown.clear();
    app.dialogs.chosenFiles.clear();
    QTest::keyClick(app.form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(app.dialogs.shown, QStringList{u"files: Импорт списка"_s});
}

TEST(ImportCommand, ARefusedImportShowsItsFirstProblemAndStoresNothing) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    QTemporaryDir dir;
    QTest::keyClick(app.form, Qt::Key_F7); // the TV list
    const QByteArray before = bytesOf(app.db.path());
    app.dialogs.shown.clear();

    const QString bad = playlist(dir, u"tv.m3u"_s, "http://tv.example/1.m3u8\nканал/2.m3u8\nftp:/x\n");
    app.dialogs.chosenFiles = {bad};
    QTest::keyClick(app.form, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(app.dialogs.shown.size(), 2);
    EXPECT_EQ(app.dialogs.shown[1],
              u"error: "_s + bad +
                  u":2: неверный адрес «канал/2.m3u8»: нужен полный адрес со схемой и узлом, "
                  u"например http://example.com/stream."_s);
    EXPECT_EQ(ui.sDBGrid2->model()->rowCount(), 5);
    EXPECT_EQ(bytesOf(app.db.path()), before);
}

TEST(ImportCommand, DroppedPlaylistFilesAreImportedIntoTheActiveList) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    QTemporaryDir dir;
    QTest::keyClick(app.form, Qt::Key_F7);
    app.dialogs.shown.clear();

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(playlist(dir, u"tv.csv"_s, "Канал,http://tv.example/1.m3u8\n"))});
    const QPoint at = app.form->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app.form, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app.form, &drop);
    QTRY_COMPARE(app.dialogs.shown, QStringList{u"information: Добавлено записей: 1"_s});
    EXPECT_EQ(ui.sDBGrid2->model()->rowCount(), 6);
    EXPECT_EQ(app.db.scalar(u"SELECT http FROM bdtv ORDER BY key DESC"_s),
              u"<video controls autoplay src=\"http://tv.example/1.m3u8\"></video>"_s);
}
