#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include "player/StartPage.h"

#include <QFile>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString current(const QTabWidget* tabs) {
    return tabs->currentWidget()->objectName();
}

void clickTab(QTabWidget* tabs, int index) {
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

} // namespace

TEST(MainWindow, StartsWithItsLayoutTheFirstVideoAndTheStartPage) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    EXPECT_EQ(app.form->windowTitle(), u"Kvelto 7"_s);
    EXPECT_EQ(app.form->size(), QSize(799, 531));
    EXPECT_EQ(ui.sPageControl1->geometry(), QRect(5, 15, 580, 430));
    EXPECT_EQ(ui.sPageControl2->geometry(), QRect(592, 15, 200, 410));
    EXPECT_EQ(ui.sBitBtn1->geometry(), QRect(595, 472, 200, 35));
    EXPECT_EQ(current(ui.sPageControl1), u"sTabSheet1"_s);
    EXPECT_EQ(current(ui.sPageControl2), u"sTabSheet3"_s);
    EXPECT_TRUE(app.dialogs.shown.isEmpty()) << app.dialogs.shown.join(u" | "_s).toStdString();
    EXPECT_EQ(app.form->statusText(), u"Ночь живых мертвецов (1968)"_s);
    EXPECT_EQ(app.player.targets, QStringList{app.siteBase() + u"/popup.php"_s});
    EXPECT_EQ(app.server.requests().size(), 1); // the update check
    EXPECT_TRUE(app.form->startPage()->timer().isActive());
    EXPECT_EQ(ui.sDBGrid2->model()->rowCount(), 5);
    EXPECT_EQ(ui.sDBGrid1->model()->rowCount(), 11);
    EXPECT_EQ(ui.sComboBox1->currentIndex(), -1);
    EXPECT_EQ(ui.sEdit1->text(), u"0"_s);
    EXPECT_EQ(ui.sEdit2->text(), u"0"_s);
    EXPECT_FALSE(ui.sCheckBox1->isChecked());
    EXPECT_EQ(app.configText(), u"<none>"_s); // reading creates nothing
}

TEST(MainWindow, WithoutDatabaseShowsSevenBoxesThenEmptyLists) {
    MainWindowFixture app;
    app.start(false);
    ASSERT_EQ(app.dialogs.shown.size(), 7);
    EXPECT_TRUE(app.dialogs.shown.front().startsWith(u"error: unable to open database file"_s));
    const MainFormWidgets ui(app.form);
    for (QTableView* grid : {ui.sDBGrid1, ui.sDBGrid2, ui.sDBGrid3})
        EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_EQ(app.form->statusText(), QString());
    app.dialogs.shown.clear();
    QTest::keyClick(app.form, Qt::Key_F5);
    EXPECT_EQ(app.dialogs.shown,
              QStringList{u"error: ADOQuery1: Cannot perform this operation on a closed dataset."_s});
}

TEST(MainWindow, EveryMenuKeyReachesItsCommand) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    const QString base = app.siteBase();

    QTest::keyClick(app.form, Qt::Key_F7);
    EXPECT_EQ(current(ui.sPageControl2), u"sTabSheet4"_s);
    QTest::keyClick(app.form, Qt::Key_F8);
    EXPECT_EQ(current(ui.sPageControl2), u"sTabSheet5"_s);
    QTest::keyClick(app.form, Qt::Key_F6);
    EXPECT_EQ(current(ui.sPageControl2), u"sTabSheet3"_s);
    QTest::keyClick(app.form, Qt::Key_F11);
    EXPECT_EQ(current(ui.sPageControl1), u"sTabSheet2"_s);

    // The TV guide loads on each showing of its page, and only then.
    QTest::keyClick(app.form, Qt::Key_F12);
    QTest::keyClick(app.form, Qt::Key_F12);
    EXPECT_EQ(app.guide.targets, QStringList{base + u"/channels/tvprogramm.html"_s});
    QTest::keyClick(app.form, Qt::Key_F9);
    EXPECT_EQ(current(ui.sPageControl1), u"sTabSheet1"_s);
    clickTab(ui.sPageControl1, 1);
    EXPECT_EQ(app.guide.targets.size(), 2);

    QTest::keyClick(app.form, Qt::Key_F1);
    QTest::keyClick(app.form, Qt::Key_F4);
    EXPECT_EQ(app.shell.opened, QStringList{base + u"/index/kvelto_rukovodstvo_polzovatelja/0-16"_s});
    EXPECT_EQ(app.player.targets.last(), base + u"/player/tales.htm"_s);

    QTest::keyClick(app.form, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(app.favorites->isVisible());

    app.dialogs.shown.clear();
    QTest::keyClick(app.form, Qt::Key_Insert);
    QTest::keyClick(app.form, Qt::Key_F10);
    EXPECT_EQ(app.dialogs.shown,
              (QStringList{u"question: Вы действительно хотите добавить запись в Избранное?"_s,
                           u"question: Вы действительно хотите завершить работу с Kvelto?"_s}));
    EXPECT_TRUE(app.form->isVisible());

    // F2 from the favorites window plays the main window's current video.
    app.server.route("/details", "<object id=\"v\">X</object>");
    app.data->ADOQuery1.setCurrentRow(0);
    app.form->holders().DBEdit1.bind(base + u"/details"_s);
    QTest::keyClick(app.favorites, Qt::Key_F2);
    EXPECT_EQ(
        app.playerPageBytes(),
        QByteArray("<HTML><BODY><div align=\"center\"><object id=\"v\">X</object></div></BODY></HTML>"));

    // A shortcut needs exactly its modifiers.
    const int before = static_cast<int>(app.player.targets.size());
    QTest::keyClick(app.form, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(app.player.targets.size(), before);
}

TEST(MainWindow, MenuKeysTypedInTheSearchBoxDoNotEditIt) {
    MainWindowFixture app;
    app.start();
    QLineEdit* find = MainFormWidgets(app.form).FindEdit;
    find->setFocus();
    QTest::keyClicks(find, u"Ra"_s);
    QTest::keyClick(find, Qt::Key_Insert);
    QTest::keyClick(find, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(find->text(), u"Ra"_s);
    EXPECT_FALSE(find->hasSelectedText());
    EXPECT_TRUE(
        app.dialogs.shown.contains(u"question: Вы действительно хотите добавить запись в Избранное?"_s));
    EXPECT_TRUE(app.favorites->isVisible());
}

TEST(MainWindow, ShowKeysKeepTheSearchTextWhileTabClicksClearIt) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    QTest::keyClicks(ui.FindEdit, u"radio"_s);
    EXPECT_EQ(ui.sDBGrid1->model()->rowCount(), 3);
    QTest::keyClick(app.form, Qt::Key_F8);
    EXPECT_EQ(ui.FindEdit->text(), u"radio"_s);

    clickTab(ui.sPageControl2, 1);
    EXPECT_EQ(ui.FindEdit->text(), QString());
    EXPECT_EQ(ui.sDBGrid1->model()->rowCount(), 11);
    EXPECT_EQ(app.form->statusText(), u"NASA TV"_s); // the newly active list's first title

    // With the box empty, a tab click runs nothing: a sorted list keeps its order
    // (Russian order: Cyrillic titles before Latin ones).
    QTest::keyClick(app.form, Qt::Key_F5);
    EXPECT_EQ(app.data->ADOQuery2.title(0), u"Слоны мечты"_s);
    EXPECT_EQ(app.data->ADOQuery2.title(1), u"Al Jazeera English"_s);
    clickTab(ui.sPageControl2, 2);
    clickTab(ui.sPageControl2, 1);
    EXPECT_EQ(app.data->ADOQuery2.title(0), u"Слоны мечты"_s);
}

TEST(MainWindow, StatusLineFollowsOnlyTheActiveList) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    ui.sDBGrid3->setCurrentIndex(ui.sDBGrid3->model()->index(2, 0));
    EXPECT_EQ(app.form->statusText(), u"Генерал (1926)"_s);
    EXPECT_EQ(app.form->holders().VideoNameDBEdit.text(), u"Генерал (1926)"_s);
    QTest::keyClick(app.form, Qt::Key_F8); // picking a tab alone changes nothing
    EXPECT_EQ(app.form->statusText(), u"Генерал (1926)"_s);
    app.data->ADOQuery2.setCurrentRow(1); // not the active list
    EXPECT_EQ(app.form->statusText(), u"Генерал (1926)"_s);
    ui.sDBGrid1->setCurrentIndex(ui.sDBGrid1->model()->index(3, 0));
    EXPECT_EQ(app.form->statusText(), u"Radio Paradise"_s);
    EXPECT_EQ(app.form->holders().RadioDBEdit.text(), u"http://stream.radioparadise.com/mp3-128"_s);
}

TEST(MainWindow, ExitAsksOnF10AndClosingRemovesThePlayerPage) {
    MainWindowFixture app;
    app.start();
    QTest::keyClick(app.form, Qt::Key_F8);
    QTest::keyClick(app.form, Qt::Key_F2); // writes main.html
    ASSERT_TRUE(QFile::exists(app.form->playerPagePath()));

    app.dialogs.answers.enqueue(false);
    QTest::keyClick(app.form, Qt::Key_F10);
    EXPECT_TRUE(app.form->isVisible());
    app.dialogs.answers.enqueue(true);
    QTest::keyClick(app.form, Qt::Key_F10);
    EXPECT_FALSE(app.form->isVisible());
    EXPECT_FALSE(QFile::exists(app.form->playerPagePath()));

    // The close button asks nothing; a missing page is passed over.
    app.form->show();
    const int boxes = static_cast<int>(app.dialogs.shown.size());
    MainFormWidgets(app.form).sBitBtn1->click();
    EXPECT_FALSE(app.form->isVisible());
    EXPECT_EQ(app.dialogs.shown.size(), boxes);
}

TEST(MainWindow, MenuKeysRestWhileAModalWindowIsOpen) {
    MainWindowFixture app;
    app.start();
    QTest::keyClick(app.form, Qt::Key_F8);
    app.addOns->setWindowModality(Qt::ApplicationModal);
    app.addOns->show();
    QTest::keyClick(app.form, Qt::Key_F2);
    QTest::keyClick(app.addOns, Qt::Key_F2);
    EXPECT_EQ(app.playerPageBytes(), QByteArray("<none>"));
    app.addOns->hide();
    QTest::keyClick(app.form, Qt::Key_F2);
    EXPECT_NE(app.playerPageBytes(), QByteArray("<none>"));
}
