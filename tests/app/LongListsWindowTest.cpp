// The main window over long lists: it shows their first rows with scroll bars for all of them,
// the rest come after its first paint, and a key pressed before that acts on the whole lists.
#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// 600 films, 300 channels, a few stations: two lists longer than a window's first rows.
const QString longLists =
    TempCatalog::schemaSql() +
    u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
    u"INSERT INTO bdf (films, fhttp) SELECT 'Фильм ' || i, 'http://v/' || i FROM n;"
    u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
    u"INSERT INTO bdtv (tv, http) SELECT 'Канал ' || i, 'http://t/' || i FROM n;"
    u"INSERT INTO radiolist (radio, radiolink) VALUES ('Маяк', 'http://r/1'), ('Эхо', 'http://r/2');"_s;

} // namespace

TEST(LongListsWindow, AKeyPressedBeforeTheRestCameActsOnTheWholeList) {
    MainWindowFixture app(longLists);
    app.start();
    const MainFormWidgets ui(app.form);
    // Nothing was painted yet: the first rows are shown, every row counted.
    ASSERT_FALSE(app.data->listsComplete());
    EXPECT_EQ(ui.sDBGrid3->model()->rowCount(), 600);
    EXPECT_EQ(ui.sDBGrid2->model()->rowCount(), 300);
    EXPECT_EQ(app.form->holders().VideoNameDBEdit.text(), u"Фильм 1"_s);

    QTest::keyClick(ui.sDBGrid3, Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(app.data->listsComplete());
    EXPECT_EQ(app.data->ADOQuery1.currentRow(), 599);
    EXPECT_EQ(app.form->holders().VideoNameDBEdit.text(), u"Фильм 600"_s);
    EXPECT_EQ(app.data->ADOQuery2.title(299), u"Канал 300"_s);
    EXPECT_TRUE(app.dialogs.shown.isEmpty());
}

TEST(LongListsWindow, TheRestComesAfterTheFirstPaintWithoutInput) {
    MainWindowFixture app(longLists);
    app.start();
    const MainFormWidgets ui(app.form);
    const int range = ui.sDBGrid3->verticalScrollBar()->maximum();
    QTRY_VERIFY_WITH_TIMEOUT(app.data->listsComplete(), 5000);
    // The scroll bar was already right, and the first row is still the current one.
    EXPECT_EQ(ui.sDBGrid3->verticalScrollBar()->maximum(), range);
    EXPECT_GT(range, 0);
    EXPECT_EQ(app.data->ADOQuery1.currentRow(), 0);
    EXPECT_EQ(ui.sDBGrid3->model()->data(ui.sDBGrid3->model()->index(599, 0)).toString(), u"Фильм 600"_s);
}
