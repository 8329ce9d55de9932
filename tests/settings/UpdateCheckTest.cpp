#include "settings/UpdateCheck.h"
#include "support/FakePorts.h"

#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString updateNotice = u"message: На официальном сайте доступны обновления для вашей версии программы! "
                             u"Рекомендуем обновить вашу версию Kvelto"_s;
const QString upToDate = u"message: Вы используете последнюю версию программы Kvelto! Для этой версии "
                         u"программы нет доступных обновлений."_s;
const QString startupFailure = u"message: Произошла ошибка при проверке наличия обновлений программы!"_s;
const QString connectionFailure = u"message: Произошла ошибка подключения!"_s;

QString homePage(const QString& marked) {
    return u"<html><body>\r\n<div style=\"padding:5px;text-align:center;\"><b>"_s + marked +
           u"</b></div>\r\n</body></html>"_s;
}

} // namespace

TEST(UpdateCheck, ComparesSiteTextWithOwnVersionExactly) {
    const struct {
        std::optional<QString> page; // none: the download fails
        QString siteVersion;         // what the holder keeps
        QStringList atStartup;       // boxes shown
        QStringList onDemand;
        bool opensSite;
    } cases[] = {
        {homePage(u"Версия 7.1.5"_s), u"Версия 7.1.5"_s, {}, {upToDate}, false},
        {homePage(u"Версия 7.1.6"_s), u"Версия 7.1.6"_s, {updateNotice}, {}, true},
        {homePage(u"Версия 7.1.4"_s), u"Версия 7.1.4"_s, {updateNotice}, {}, true},
        {homePage(u"Версия 7.1.5 "_s), u"Версия 7.1.5 "_s, {updateNotice}, {}, true},
        {homePage(u"версия 7.1.5"_s), u"версия 7.1.5"_s, {updateNotice}, {}, true},
        // No end marker: everything after the start marker is compared.
        {u"<div style=\"padding:5px;text-align:center;\"><b>Версия 7.1.5</b>\r\n"_s,
         u"Версия 7.1.5</b>\r\n"_s,
         {updateNotice},
         {},
         true},
        // No start marker: the compared text is empty.
        {u"<b>Версия 7.1.5</b></div>"_s, u""_s, {updateNotice}, {}, true},
        {std::nullopt, u""_s, {startupFailure}, {connectionFailure}, false},
    };
    const Site site = Site::onServer(u"http://127.0.0.1:9"_s);
    for (const auto& c : cases) {
        const std::string label = c.page.value_or(u"<no network>"_s).toStdString();
        FakePageSource source;
        if (c.page)
            source.pages[site.home()] = *c.page;
        FakeDialogs dialogs;
        FakeShell shell;
        UpdateCheck check(source, dialogs, shell, site, [] { return u"Версия 7.1.5"_s; });

        check.atStartup();
        EXPECT_EQ(dialogs.shown, c.atStartup) << label;
        EXPECT_EQ(check.siteVersion(), c.siteVersion) << label;
        EXPECT_TRUE(shell.opened.isEmpty()) << label;

        dialogs.shown.clear();
        check.onDemand();
        EXPECT_EQ(dialogs.shown, c.onDemand) << label;
        EXPECT_EQ(shell.opened, c.opensSite ? QStringList{u"http://127.0.0.1:9/"_s} : QStringList()) << label;
        EXPECT_EQ(source.requests, QStringList(2, u"http://127.0.0.1:9/"_s)) << label;
    }
}

TEST(UpdateCheck, FailedCheckKeepsTheLastCutText) {
    FakePageSource source;
    FakeDialogs dialogs;
    FakeShell shell;
    const Site site = Site::onServer(u"http://127.0.0.1:9"_s);
    int labelReads = 0;
    UpdateCheck check(source, dialogs, shell, site, [&] {
        ++labelReads;
        return u"Версия 7.1.5"_s;
    });
    source.pages[site.home()] = homePage(u"Версия 8"_s);
    check.onDemand();
    source.pages.clear();
    check.onDemand();
    EXPECT_EQ(check.siteVersion(), u"Версия 8"_s);
    EXPECT_EQ(labelReads, 1);
    EXPECT_EQ(dialogs.shown, QStringList{connectionFailure});
    EXPECT_EQ(shell.opened, QStringList{site.home()});
}

TEST(UpdateCheck, WithoutASiteAsksNothing) {
    FakePageSource source;
    FakeDialogs dialogs;
    FakeShell shell;
    UpdateCheck check(source, dialogs, shell, Site(), [] { return u"Версия 7.1.5"_s; });
    check.atStartup();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    check.onDemand();
    EXPECT_EQ(dialogs.shown, QStringList{u"message: Адрес сайта программы не задан."_s});
    EXPECT_TRUE(source.requests.isEmpty());
    EXPECT_TRUE(shell.opened.isEmpty());
}
