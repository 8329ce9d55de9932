#pragma once

#include <QString>
#include <QStringView>

using namespace Qt::StringLiterals;

// Every web address the program knows, in one place. The maker's site and the start-up page
// come from Config.ini's [Site] section (settings/SiteSettings); without them there is no
// site: no update check, and the site's commands say so. Tests point a Site at a loopback
// server.
struct Site {
    // Built-in pages for the player and guide views when neither [Site] nor a site names them.
    static constexpr QStringView defaultTales = u"https://deti-online.com/audioskazki/";
    static constexpr QStringView defaultTvGuide = u"https://tv.yandex.ru/";

    QString makerBase;   // scheme + host (+ path), no trailing slash; empty: no site
    QString makerLabel;  // what the about panel shows; empty without a site
    QString makerEmail;  // likewise
    QString startPage;   // the whole start-up address; empty: the player view starts blank
    QString talesPage;   // set by [Site] tales; empty: under the site, else the built-in page
    QString tvGuidePage; // likewise for [Site] guide
    QString readme;      // the README shipped with the program: help when there is no site
    QString flashPlayerBase = u"http://get.adobe.com"_s;
    QString mediaPlayerBase = u"http://www.microsoft.com"_s;
    QString explorerBase = u"http://windows.microsoft.com"_s;
    QString silverlightBase = u"http://www.microsoft.com"_s;

    [[nodiscard]] bool hasHome() const { return !makerBase.isEmpty(); }
    [[nodiscard]] QString home() const { return makerBase + u"/"_s; }
    [[nodiscard]] QString tales() const {
        if (!talesPage.isEmpty())
            return talesPage;
        if (hasHome())
            return makerBase + u"/player/tales.htm"_s;
        return defaultTales.toString();
    }
    [[nodiscard]] QString tvGuide() const {
        if (!tvGuidePage.isEmpty())
            return tvGuidePage;
        if (hasHome())
            return makerBase + u"/channels/tvprogramm.html"_s;
        return defaultTvGuide.toString();
    }
    [[nodiscard]] QString help() const {
        return makerBase + u"/index/kvelto_rukovodstvo_polzovatelja/0-16"_s;
    }
    [[nodiscard]] QString feedback() const { return makerBase + u"/gb"_s; }
    [[nodiscard]] QString agreement() const { return makerBase + u"/index/soglashenie/0-8"_s; }
    [[nodiscard]] QString vlcGuide() const {
        return makerBase + u"/index/glava_9_kak_smotret_iptv_kanaly/0-21"_s;
    }
    [[nodiscard]] QString flashPlayer() const { return flashPlayerBase + u"/ru/flashplayer/"_s; }
    [[nodiscard]] QString mediaPlayer() const {
        return mediaPlayerBase + u"/en-US/windows/products/windows-media-player"_s;
    }
    [[nodiscard]] QString explorer() const {
        return explorerBase + u"/ru-ru/windows/internet-explorer/onlinekrasota/"_s;
    }
    [[nodiscard]] QString silverlight() const {
        return silverlightBase + u"/getsilverlight/Get-Started/Install/Default.aspx"_s;
    }

    // The maker's site at `base` (an absolute address; a trailing slash is dropped): the
    // about panel shows its host, and the e-mail address is at that host without "www.".
    [[nodiscard]] static Site withHome(QString base);
    // Every address of the maker and the start-up page on one server (tests).
    [[nodiscard]] static Site onServer(const QString& base) {
        Site site = withHome(base);
        site.startPage = site.makerBase + u"/popup.php"_s;
        return site;
    }
};
