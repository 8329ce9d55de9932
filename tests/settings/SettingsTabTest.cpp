#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include "player/StartPage.h"
#include "settings/ThemeCatalog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString saved = u"message: Настройки успешно изменены! Для того что бы новые настройки вступили в силу "
                      u"необходимо перезапустить программу!"_s;
}

TEST(StartUp, APortThatIsNotANumberStopsTheRestOfTheStart) {
    MainWindowFixture app;
    app.writeConfig(u"[Proxy]\r\nip=127.0.0.1\r\nport=abc\r\nuseProxy=1\r\n"_s);
    app.start();
    EXPECT_EQ(app.dialogs.shown, QStringList{u"error: ''abc'' is not a valid integer value."_s});
    EXPECT_TRUE(app.player.targets.isEmpty());                             // no start page
    EXPECT_FALSE(app.form->startPage()->timer().isActive());               // no blanking
    EXPECT_TRUE(app.server.requests().isEmpty());                          // no update check
    EXPECT_EQ(MainFormWidgets(app.form).sDBGrid3->model()->rowCount(), 5); // the lists fill as usual
    EXPECT_EQ(app.form->IdHTTP1().proxyServer(), u"127.0.0.1"_s);
    EXPECT_EQ(app.form->IdHTTP1().proxyPort(), 0);
    // Every download now fails before connecting.
    app.form->holders().DBEdit1.bind(app.siteBase() + u"/"_s);
    QTest::keyClick(app.form, Qt::Key_F2);
    EXPECT_EQ(app.dialogs.shown.last(), u"message: Произошла ошибка подключения!"_s);
    EXPECT_TRUE(app.server.requests().isEmpty());
}

TEST(StartUp, TheStoredProxyCarriesEveryDownload) {
    MainWindowFixture app;
    // The loopback server plays the proxy: the request line carries the absolute address.
    app.writeConfig(u"[PROXY]\r\nIP = \"127.0.0.1\"\r\nPort='%1'\r\nuseproxy=2\r\n"_s.arg(app.server.port()));
    const QByteArray home = MainWindowFixture::homePage(u"Версия 7.1.5"_s);
    app.server.respond("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                       QByteArray::number(home.size()) + "\r\n\r\n" + home);
    app.start();
    ASSERT_EQ(app.server.requests().size(), 1);
    EXPECT_TRUE(app.server.requests()[0].startsWith(
        QByteArray("GET http://127.0.0.1:" + QByteArray::number(app.server.port()) + "/ HTTP/1.1\r\n")))
        << app.server.requests()[0].toStdString();
    EXPECT_TRUE(app.dialogs.shown.isEmpty());
    EXPECT_TRUE(MainFormWidgets(app.form).sCheckBox1->isChecked());
}

TEST(SettingsTab, SavingTheProxyWritesOnlyWhatTheBoxAllows) {
    MainWindowFixture app;
    // A proxy that refuses connections: the start-up check fails and says so.
    app.writeConfig(u"[Proxy]\r\nip=127.0.0.1\r\nport=1\r\nuseProxy=1\r\n"_s);
    app.start();
    const MainFormWidgets ui(app.form);
    ui.sEdit1->setText(u"proxy.local"_s);
    ui.sEdit2->setText(u"8080"_s);
    ui.sCheckBox1->setChecked(false);
    ui.sButton1->click();
    EXPECT_EQ(app.configText(), u"[Proxy]\r\nip=127.0.0.1\r\nport=1\r\nuseProxy=0\r\n"_s);
    ui.sCheckBox1->setChecked(true);
    ui.sButton1->click();
    EXPECT_EQ(app.configText(), u"[Proxy]\r\nip=proxy.local\r\nport=8080\r\nuseProxy=1\r\n"_s);
    EXPECT_EQ(app.dialogs.shown,
              (QStringList{u"message: Произошла ошибка при проверке наличия обновлений программы!"_s, saved,
                           saved}));
}

TEST(SettingsTab, ASaveThatCannotWriteReportsThePath) {
    MainWindowFixture app;
    app.start();
    // A folder where the settings file should be makes every write fail.
    QDir(app.exeDir()).mkdir(u"Config.ini"_s);
    MainFormWidgets(app.form).sButton1->click();
    EXPECT_EQ(app.dialogs.shown, QStringList{u"error: Unable to write to "_s +
                                             QDir(app.exeDir()).filePath(u"Config.ini"_s) + u"."_s});
}

TEST(SettingsTab, AChosenThemeIsAppliedAtOnceAndStored) {
    MainWindowFixture app;
    app.writeConfig(u"[Skin]\r\nuseSkin=NextAlpha\r\n"_s); // no such theme: the fallback, silently
    app.start();
    EXPECT_TRUE(app.dialogs.shown.isEmpty());
    const QPalette before = QApplication::palette();
    QComboBox* chooser = MainFormWidgets(app.form).sComboBox1;
    EXPECT_EQ(chooser->count(), 69);
    EXPECT_EQ(chooser->currentIndex(), -1);
    const int dark = static_cast<int>(ThemeCatalog::names().indexOf(u"DarkGlass (internal)"_s));
    chooser->setCurrentIndex(dark); // a change of index by program is no pick
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), before.color(QPalette::Window));
    emit chooser->activated(dark);
    EXPECT_NE(QApplication::palette().color(QPalette::Window), before.color(QPalette::Window));
    EXPECT_EQ(app.form->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
    EXPECT_EQ(app.configText(), u"[Skin]\r\nuseSkin=DarkGlass (internal)\r\n"_s);

    // Picking the theme already shown applies and stores it again.
    app.writeConfig(QString());
    QApplication::setPalette(before);
    emit chooser->activated(dark);
    EXPECT_NE(QApplication::palette().color(QPalette::Window), before.color(QPalette::Window));
    EXPECT_EQ(app.configText(), u"[Skin]\r\nuseSkin=DarkGlass (internal)\r\n"_s);
}

TEST(SettingsTab, LinksAndAddOnsOpenTheirPages) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    const QString base = app.siteBase();
    EXPECT_EQ(ui.sLabel12->text(), u"127.0.0.1"_s); // the site's host
    ui.sBitBtn4->click();
    ui.sBitBtn5->click();
    QTest::mouseClick(ui.sLabel12, Qt::LeftButton);
    QTest::mouseClick(ui.sLabel15, Qt::LeftButton);
    EXPECT_EQ(app.shell.opened,
              (QStringList{base + u"/index/kvelto_rukovodstvo_polzovatelja/0-16"_s, base + u"/gb"_s,
                           base + u"/"_s, base + u"/index/soglashenie/0-8"_s}));

    app.shell.opened.clear();
    for (const char* button : {"sButton1", "sButton2", "sButton3", "sButton4", "sButton5"})
        app.addOns->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    EXPECT_EQ(app.shell.opened,
              (QStringList{u"http://get.adobe.com/ru/flashplayer/"_s,
                           u"http://www.microsoft.com/en-US/windows/products/windows-media-player"_s,
                           u"http://windows.microsoft.com/ru-ru/windows/internet-explorer/onlinekrasota/"_s,
                           u"http://www.microsoft.com/getsilverlight/Get-Started/Install/Default.aspx"_s,
                           base + u"/index/glava_9_kak_smotret_iptv_kanaly/0-21"_s}));
    EXPECT_EQ(app.addOns->windowTitle(), u"Дополнения"_s);
}

TEST(SettingsTab, TheUpdateButtonOpensTheSiteOnlyWhenVersionsDiffer) {
    MainWindowFixture app;
    app.start();
    MainFormWidgets(app.form).sBitBtn3->click();
    EXPECT_EQ(app.dialogs.shown,
              QStringList{u"message: Вы используете последнюю версию программы Kvelto! Для этой "
                          u"версии программы нет доступных обновлений."_s});
    app.server.route("/", MainWindowFixture::homePage(u"Версия 7.2.0"_s));
    MainFormWidgets(app.form).sBitBtn3->click();
    EXPECT_EQ(app.shell.opened, QStringList{app.siteBase() + u"/"_s});
}
