#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString addQuestion = u"question: Вы действительно хотите добавить запись в Избранное?"_s;
const QString added = u"message: Запись успешно добавлена!"_s;
const QString deleteQuestion = u"question: Вы действительно хотите удалить запись?"_s;
const QString cannotDelete = u"message: Нет возможности удалить запись!"_s;
} // namespace

TEST(AddToFavorites, StoresTheActiveListsItemOnYesOnly) {
    MainWindowFixture app;
    app.start();
    const struct {
        Qt::Key listKey;
        const char16_t* table;
        const char16_t* title;
        const char16_t* address;
    } kinds[] = {
        {Qt::Key_F6, u"fbdf", u"Ночь живых мертвецов (1968)",
         u"http://archive.org/details/night_of_the_living_dead"},
        {Qt::Key_F7, u"fbdtv", u"NASA TV", nullptr},
        {Qt::Key_F8, u"fbdr", u"Радио Рекорд", u"http://radiorecord.hostingradio.ru/rr_main96.aacp"},
    };
    for (const auto& kind : kinds) {
        const QString table = QString::fromUtf16(kind.table);
        const QString countSql = u"SELECT count(*) FROM "_s + table;
        const QString before = app.db.scalar(countSql);
        const QString titleColumn = table == u"fbdr"_s    ? u"radio"_s
                                    : table == u"fbdtv"_s ? u"tv"_s
                                                          : u"films"_s;
        const QString sameTitleSql = u"SELECT count(*) FROM %1 WHERE %2 = '%3'"_s.arg(
            table, titleColumn, QString::fromUtf16(kind.title));
        const int sameTitleBefore = app.db.scalar(sameTitleSql).toInt();
        QTest::keyClick(app.form, kind.listKey);
        app.dialogs.shown.clear();
        app.dialogs.answers.enqueue(false);
        QTest::keyClick(app.form, Qt::Key_Insert);
        EXPECT_EQ(app.db.scalar(countSql), before);
        app.dialogs.answers.enqueue(true);
        MainFormWidgets(app.form).AddToFavoritesBitBtn->click();
        app.dialogs.answers.enqueue(true);
        QTest::keyClick(app.form, Qt::Key_Insert); // the same item twice: two rows
        EXPECT_EQ(app.dialogs.shown, (QStringList{addQuestion, addQuestion, added, addQuestion, added}));
        EXPECT_EQ(app.db.scalar(countSql).toInt(), before.toInt() + 2) << table.toStdString();
        EXPECT_EQ(app.db.scalar(sameTitleSql).toInt(), sameTitleBefore + 2);
        if (kind.address) {
            EXPECT_EQ(app.db.scalar(u"SELECT http FROM %1 ORDER BY key DESC"_s.arg(table)),
                      QString::fromUtf16(kind.address));
        }
    }
    // The new row is the current favorite of its list; the window's tab is untouched.
    EXPECT_EQ(app.favorites->holders().FavoritRadioDBEdit.text(), u"Радио Рекорд"_s);
    EXPECT_EQ(app.favorites->activeList(), MediaKind::Video);
}

TEST(AddToFavorites, EmptyHoldersStoreNothingAndSayNothing) {
    MainWindowFixture app;
    app.start();
    QTest::keyClicks(MainFormWidgets(app.form).FindEdit, u"no such title"_s);
    app.dialogs.shown.clear();
    app.dialogs.answers.enqueue(true);
    QTest::keyClick(app.form, Qt::Key_Insert);
    EXPECT_EQ(app.dialogs.shown, QStringList{addQuestion});
    EXPECT_EQ(app.db.scalar(u"SELECT count(*) FROM fbdf"_s), u"1"_s);
}

TEST(AddToFavorites, ARefusedInsertShowsTheEngineMessageAndStoresNothing) {
    MainWindowFixture app;
    app.start();
    // Another process holds a write lock longer than the busy time-out.
    QProcess locker;
    locker.start(u"sqlite3"_s, {app.db.path()});
    locker.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
    ASSERT_TRUE(locker.waitForReadyRead(10000));
    app.dialogs.shown.clear();
    app.dialogs.answers.enqueue(true);
    QTest::keyClick(app.form, Qt::Key_Insert);
    locker.write("ROLLBACK;\n.quit\n");
    locker.waitForFinished();
    EXPECT_EQ(app.dialogs.shown, (QStringList{addQuestion, u"error: database is locked."_s}));
    EXPECT_EQ(app.db.scalar(u"SELECT count(*) FROM fbdf"_s), u"1"_s);
    EXPECT_EQ(app.data->FavoriteVideoQuery.recordCount(), 1);
}

TEST(AddToFavorites, AStoredFavoriteSurvivesAKilledProcess) {
    // The child adds a favorite and is killed right after the success message.
    if (qEnvironmentVariableIsSet("KVELTO_ADD_AND_DIE")) {
        MainWindowFixture app;
        app.start();
        app.dialogs.answers.enqueue(true);
        QTest::keyClick(app.form, Qt::Key_Insert);
        QFile out(qEnvironmentVariable("KVELTO_ADD_AND_DIE"));
        if (out.open(QIODevice::WriteOnly))
            out.write(app.db.path().toUtf8() + '\n' + app.dialogs.shown.last().toUtf8());
        out.close();
        std::_Exit(9); // no destructors, no flushing: like a killed process
    }
    QTemporaryDir dir;
    const QString report = dir.filePath(u"report"_s);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"KVELTO_ADD_AND_DIE"_s, report);
    env.insert(u"TMPDIR"_s, dir.path()); // what the killed child leaves goes with our folder
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {u"--gtest_filter=AddToFavorites.AStoredFavoriteSurvivesAKilledProcess"_s});
    child.waitForFinished(60000);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(QString::fromUtf8(lines[1]), added);
    // The temporary folder of the killed child is still there: read its catalog.
    TDataModule2 data(QString::fromUtf8(lines[0]));
    FakeDialogs dialogs;
    data.open(dialogs);
    EXPECT_EQ(data.FavoriteVideoQuery.recordCount(), 2);
}

TEST(FavoritesWindow, DeletesAfterTheQuestionAndSaysWhenItCannot) {
    MainWindowFixture app(TempCatalog::sampleSql() +
                          u"INSERT INTO fbdr (radio, http) VALUES ('Третья', 'c');"_s);
    app.start();
    const FavoriteFormWidgets ui(app.favorites);
    QTest::keyClick(app.form, Qt::Key_A, Qt::ControlModifier);
    ui.sPageControl1->setCurrentWidget(ui.sTabSheet3);
    Query& radio = app.data->FavoriteRadioQuery;
    radio.setCurrentRow(2); // the last row
    app.dialogs.shown.clear();

    app.dialogs.answers.enqueue(false);
    QTest::keyClick(ui.sDBGrid3, Qt::Key_Escape); // Escape runs delete
    EXPECT_EQ(radio.recordCount(), 3);
    app.dialogs.answers.enqueue(true);
    QTest::keyClick(ui.sDBGrid3, Qt::Key_Escape);
    EXPECT_EQ(radio.recordCount(), 2);
    EXPECT_EQ(radio.currentTitle(), u"Радио Маяк"_s); // the new last row
    EXPECT_EQ(app.favorites->holders().FavoritRadioDBEdit.text(), u"Радио Маяк"_s);
    EXPECT_EQ(app.db.scalar(u"SELECT count(*) FROM fbdr"_s), u"2"_s);
    EXPECT_EQ(app.dialogs.shown, (QStringList{deleteQuestion, deleteQuestion}));

    // Down to the empty list, then once more: the question, then the refusal.
    for (int i = 0; i < 3; ++i) {
        app.dialogs.answers.enqueue(true);
        ui.DelsBitBtn->click();
    }
    EXPECT_EQ(radio.recordCount(), 0);
    EXPECT_EQ(app.dialogs.shown.mid(2),
              (QStringList{deleteQuestion, deleteQuestion, deleteQuestion, cannotDelete}));
    // The video favorites were not touched.
    EXPECT_EQ(app.data->FavoriteVideoQuery.recordCount(), 1);
}

TEST(FavoritesWindow, KeepsItsTabPositionAndSortAcrossClosing) {
    MainWindowFixture app(TempCatalog::sampleSql() + u"INSERT INTO fbdtv (tv, http) VALUES ('Арт', 'x');"_s);
    app.start();
    const FavoriteFormWidgets ui(app.favorites);
    MainFormWidgets(app.form).FavoritesBitBtn->click();
    ASSERT_TRUE(app.favorites->isVisible());
    ui.sPageControl1->setCurrentWidget(ui.sTabSheet2);
    ui.ABCsBitBtn->click();
    EXPECT_EQ(app.data->FavoriteTVQuery.title(0), u"Арт"_s);
    EXPECT_EQ(app.data->FavoriteRadioQuery.title(0), u"Radio Paradise"_s); // other lists keep their order
    app.favorites->move(40, 50);
    const QPoint where = app.favorites->pos();
    ui.ClosesBitBtn->click();
    EXPECT_FALSE(app.favorites->isVisible());
    QTest::keyClick(app.form, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(app.favorites->isVisible());
    EXPECT_EQ(app.favorites->pos(), where);
    EXPECT_EQ(app.favorites->activeList(), MediaKind::Tv);
    EXPECT_EQ(app.data->FavoriteTVQuery.title(0), u"Арт"_s);
}

TEST(FavoritesWindow, PlayingAFavoriteMakesItTheMainWindowsCurrentItem) {
    MainWindowFixture app;
    app.start();
    const FavoriteFormWidgets ui(app.favorites);
    MainFormWidgets(app.form).FavoritesBitBtn->click();
    MainHolders& main = app.form->holders();

    // Video: the holders take the favorite even when its page cannot be downloaded.
    ui.StartsBitBtn->click();
    EXPECT_EQ(main.DBEdit1.text(), u"http://archive.org/details/TheGeneral"_s);
    EXPECT_EQ(main.VideoNameDBEdit.text(), u"Генерал (1926)"_s);
    EXPECT_EQ(app.dialogs.shown.last(), u"message: Произошла ошибка подключения!"_s);
    EXPECT_EQ(app.form->statusText(), u"Ночь живых мертвецов (1968)"_s);

    // TV: only DBMemo1 takes the fragment, with CR LF line breaks.
    app.db.exec(u"UPDATE fbdtv SET http = 'a\nb'"_s);
    app.favorites->holders().FavoritTVDBEdit2.bind(u"a\nb"_s);
    ui.sPageControl1->setCurrentWidget(ui.sTabSheet2);
    ui.StartsBitBtn->click();
    EXPECT_EQ(main.DBMemo1.text(), u"a\r\nb"_s);
    EXPECT_EQ(app.playerPageBytes(), QByteArray("a\r\nb"));
    EXPECT_TRUE(main.TVLinkDBEdit.text().startsWith(u"<iframe"_s));

    // Radio, by a double-click on the favorite.
    ui.sPageControl1->setCurrentWidget(ui.sTabSheet3);
    app.data->FavoriteRadioQuery.setCurrentRow(1);
    QTest::mouseDClick(ui.sDBGrid3->viewport(), Qt::LeftButton, {},
                       ui.sDBGrid3->visualRect(ui.sDBGrid3->currentIndex()).center());
    EXPECT_EQ(main.RadioNameDBEdit.text(), u"Радио Маяк"_s);
    EXPECT_TRUE(
        app.playerPageBytes().contains("value=\"http://icecast-vgtrk.cdnvideo.ru/mayakfm_mp3_192kbps\""));

    // Insert now stores the favorite again; moving in the main list restores the catalog item.
    QTest::keyClick(app.form, Qt::Key_F8);
    app.dialogs.answers.enqueue(true);
    QTest::keyClick(app.favorites, Qt::Key_Insert);
    EXPECT_EQ(app.db.scalar(u"SELECT count(*) FROM fbdr WHERE radio = 'Радио Маяк'"_s), u"2"_s);
    app.data->ADOQuery3.setCurrentRow(1);
    EXPECT_EQ(main.RadioNameDBEdit.text(), u"Европа Плюс"_s);
}

TEST(FavoritesWindow, WithoutDatabaseEveryCommandReportsTheClosedList) {
    MainWindowFixture app;
    app.start(false);
    app.dialogs.shown.clear();
    app.dialogs.answers.enqueue(true);
    QTest::keyClick(app.form, Qt::Key_Insert);
    const FavoriteFormWidgets ui(app.favorites);
    ui.ABCsBitBtn->click();
    app.dialogs.answers.enqueue(true);
    ui.DelsBitBtn->click();
    EXPECT_EQ(app.dialogs.shown,
              (QStringList{addQuestion,
                           u"error: FavoriteVideoQuery: Cannot perform this operation on a closed dataset."_s,
                           u"error: FavoriteVideoQuery: Cannot perform this operation on a closed dataset."_s,
                           deleteQuestion, cannotDelete}));
}
