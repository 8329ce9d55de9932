#include "settings/SiteLinks.h"
#include "settings/SiteSettings.h"
#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include "player/StartPage.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString noSite = u"message: "_s + SiteLinks::noSiteMessage.toString();

Site siteOf(const QString& configText) {
    QTemporaryDir dir;
    QFile file(dir.filePath(u"Config.ini"_s));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(configText.toUtf8());
    file.close();
    return SiteSettings::read(file.fileName());
}

} // namespace

TEST(SiteSettings, ReadsTheFourAddressesWithTheSettingsFileRules) {
    const QString tales = Site::defaultTales.toString();
    const QString guide = Site::defaultTvGuide.toString();
    const struct {
        QString config;
        QString home; // empty: no site
        QString start, tales, guide, label, email;
    } cases[] = {
        {u""_s, {}, {}, tales, guide, {}, {}},
        {u"[Site]\r\nhome=\r\nstart=\r\n"_s, {}, {}, tales, guide, {}, {}},
        {u"[site]\r\nHOME = \"https://www.maker.example/\"\r\n"_s,
         u"https://www.maker.example/"_s,
         {},
         u"https://www.maker.example/player/tales.htm"_s,
         u"https://www.maker.example/channels/tvprogramm.html"_s,
         u"www.maker.example"_s,
         u"support@maker.example"_s},
        {u"[Site]\r\nhome=http://127.0.0.1:8080/kv\r\nstart=http://promo.example/popup.php\r\n"
         u"tales=http://t.example/t\r\nguide='https://g.example/g?x=1'\r\n"_s,
         u"http://127.0.0.1:8080/kv/"_s, u"http://promo.example/popup.php"_s, u"http://t.example/t"_s,
         u"https://g.example/g?x=1"_s, u"127.0.0.1"_s, u"support@127.0.0.1"_s},
        // Not absolute web addresses, or no root: as if missing.
        {u"[Site]\r\nhome=ftp://maker.example/\r\nstart=popup.php\r\ntales=file:///etc/passwd\r\n"
         u"guide=http://g x.example/\r\n"_s,
         {},
         {},
         tales,
         guide,
         {},
         {}},
        {u"[Site]\r\nhome=http://maker.example/?q=1\r\nstart=http://maker.example:99999/\r\n"_s,
         {},
         {},
         tales,
         guide,
         {},
         {}},
    };
    for (const auto& c : cases) {
        const std::string label = c.config.toStdString();
        const Site site = siteOf(c.config);
        EXPECT_EQ(site.hasHome(), !c.home.isEmpty()) << label;
        if (site.hasHome()) {
            EXPECT_EQ(site.home(), c.home) << label;
        }
        EXPECT_EQ(site.startPage, c.start) << label;
        EXPECT_EQ(site.tales(), c.tales) << label;
        EXPECT_EQ(site.tvGuide(), c.guide) << label;
        EXPECT_EQ(site.makerLabel, c.label) << label;
        EXPECT_EQ(site.makerEmail, c.email) << label;
    }
}

TEST(SiteSettings, FindsTheShippedReadmeInTheBuildOrInstalledTree) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(u"bin"_s));
    const QString bin = QDir(prefix.path()).filePath(u"bin"_s);
    EXPECT_EQ(SiteSettings::shippedReadme(bin), QString());
    ASSERT_TRUE(QDir(prefix.path()).mkpath(u"share/doc/kvelto"_s));
    QFile readme(QDir(prefix.path()).filePath(u"share/doc/kvelto/README.md"_s));
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.close();
    EXPECT_EQ(SiteSettings::shippedReadme(bin), QFileInfo(readme).canonicalFilePath());           // installed
    EXPECT_EQ(SiteSettings::shippedReadme(prefix.path()), QFileInfo(readme).canonicalFilePath()); // build
}

TEST(SiteWindow, ASiteInConfigIniCarriesEveryPage) {
    MainWindowFixture app;
    app.siteFromConfig = true;
    const QString base = app.siteBase();
    app.writeConfig(u"[Site]\r\nhome=%1\r\nstart=%1/popup.php\r\nguide=%1/guide.html\r\n"_s.arg(base));
    app.start();
    EXPECT_TRUE(app.dialogs.shown.isEmpty()); // the loopback home page carries our version
    ASSERT_EQ(app.server.requests().size(), 1);
    EXPECT_TRUE(app.server.requests().first().startsWith("GET / HTTP/1.1\r\n"));
    EXPECT_EQ(app.player.targets, QStringList{base + u"/popup.php"_s});
    EXPECT_EQ(MainFormWidgets(app.form).sLabel12->text(), u"127.0.0.1"_s);
    EXPECT_EQ(widgetNamed<QLabel>(app.form, "sLabel13")->text(), u"E-Mail: support@127.0.0.1"_s);

    QTest::keyClick(app.form, Qt::Key_F4);
    QTest::keyClick(app.form, Qt::Key_F12);
    QTest::keyClick(app.form, Qt::Key_F1);
    EXPECT_EQ(app.player.targets.last(), base + u"/player/tales.htm"_s);
    EXPECT_EQ(app.guide.targets, QStringList{base + u"/guide.html"_s});
    EXPECT_EQ(app.shell.opened, QStringList{base + u"/index/kvelto_rukovodstvo_polzovatelja/0-16"_s});
}

TEST(SiteWindow, WithoutASiteNothingIsAskedAndItsCommandsSaySo) {
    MainWindowFixture app;
    app.siteFromConfig = true;
    app.readme = u"/usr/share/doc/kvelto/README.md"_s;
    app.writeConfig(u"[Proxy]\r\nuseProxy=0\r\n"_s);
    app.start();
    EXPECT_TRUE(app.dialogs.shown.isEmpty());
    EXPECT_EQ(app.player.targets, QStringList{u"about:blank"_s}); // and blanked again at the second tick
    EXPECT_TRUE(app.form->startPage()->timer().isActive());
    const MainFormWidgets ui(app.form);
    for (const char* line : {"sLabel11", "sLabel12", "sLabel13"})
        EXPECT_EQ(widgetNamed<QLabel>(app.form, line)->text(), QString()) << line;

    ui.sBitBtn3->click(); // update check
    ui.sBitBtn5->click(); // feedback
    QTest::mouseClick(ui.sLabel12, Qt::LeftButton);
    QTest::mouseClick(ui.sLabel15, Qt::LeftButton);
    app.addOns->findChild<QPushButton*>(u"sButton5"_s)->click(); // IPTV guide
    EXPECT_EQ(app.dialogs.shown, QStringList(5, noSite));
    EXPECT_TRUE(app.shell.opened.isEmpty());

    ui.sBitBtn4->click();
    QTest::keyClick(app.form, Qt::Key_F1);
    EXPECT_EQ(app.shell.documents, QStringList(2, app.readme));

    QTest::keyClick(app.form, Qt::Key_F4);
    QTest::keyClick(app.form, Qt::Key_F12);
    EXPECT_EQ(app.player.targets.last(), Site::defaultTales.toString());
    EXPECT_EQ(app.guide.targets, QStringList{Site::defaultTvGuide.toString()});
    EXPECT_TRUE(app.server.requests().isEmpty());
}
