#include "player/StartPage.h"
#include "base/Failure.h"
#include "player/FixedPages.h"
#include "support/FakePorts.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StartPage, BlanksThePlayerAtTheSecondTick) {
    FakeBrowserView view;
    const Site site = Site::onServer(u"http://127.0.0.1:9"_s);
    StartPage start(view, site);
    QSignalSpy failures(&start, &StartPage::failed);

    EXPECT_EQ(start.timer().objectName(), u"Timer1"_s);
    EXPECT_EQ(start.timer().interval(), 1000);
    EXPECT_FALSE(start.timer().isActive());
    EXPECT_EQ(start.counter(), 0);

    start.start();
    EXPECT_EQ(view.targets, QStringList{u"http://127.0.0.1:9/popup.php"_s});
    EXPECT_EQ(start.counter(), 2);
    EXPECT_TRUE(start.timer().isActive());

    start.tick();
    EXPECT_EQ(start.counter(), 1);
    EXPECT_TRUE(start.timer().isActive());
    EXPECT_EQ(view.targets.size(), 1);

    view.targets << u"main.html"_s; // something played before the second tick
    start.tick();
    EXPECT_EQ(start.counter(), 0);
    EXPECT_FALSE(start.timer().isActive());
    EXPECT_EQ(view.targets.last(), u"about:blank"_s);
    EXPECT_EQ(view.targets.size(), 3);
    EXPECT_EQ(failures.count(), 0);
}

TEST(StartPage, RefusedStartLeavesTimerOff) {
    FakeBrowserView view;
    StartPage start(view, Site());
    view.refuse = true;
    EXPECT_THROW(start.start(), Failure);
    EXPECT_EQ(start.counter(), 0);
    EXPECT_FALSE(start.timer().isActive());
}

TEST(StartPage, RefusedBlankingIsReportedOnceWithTimerStopped) {
    FakeBrowserView view;
    StartPage start(view, Site());
    QSignalSpy failures(&start, &StartPage::failed);
    start.start();
    start.tick();
    view.refuse = true;
    start.tick();
    ASSERT_EQ(failures.count(), 1);
    EXPECT_EQ(failures.at(0).at(0).toString(), u"navigation refused"_s);
    EXPECT_FALSE(start.timer().isActive());
    EXPECT_EQ(start.counter(), 0);
}

TEST(FixedPages, TalesAreGuardedTvGuideIsNot) {
    FakeBrowserView player;
    FakeBrowserView guide;
    FakeDialogs dialogs;
    FixedPages pages(player, guide, dialogs, Site::onServer(u"http://127.0.0.1:9"_s));

    pages.showTales();
    pages.showTvGuide();
    pages.showTvGuide();
    EXPECT_EQ(player.targets, QStringList{u"http://127.0.0.1:9/player/tales.htm"_s});
    EXPECT_EQ(guide.targets, QStringList(2, u"http://127.0.0.1:9/channels/tvprogramm.html"_s));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    player.refuse = true;
    guide.refuse = true;
    pages.showTales();
    EXPECT_EQ(dialogs.shown, QStringList{u"message: Произошла ошибка подключения!"_s});
    EXPECT_THROW(pages.showTvGuide(), Failure);
}
