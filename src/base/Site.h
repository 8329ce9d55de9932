#pragma once

#include <QString>

using namespace Qt::StringLiterals;

// Every web address the program knows, in one place. The maker's site and the
// start-up page live under a reserved test domain; tests build a Site that points
// at a loopback server instead.
struct Site {
    QString makerBase = u"http://www.kvelto.example"_s; // scheme + host, no trailing slash
    QString makerLabel = u"www.kvelto.example"_s;       // what the about panel shows
    QString makerEmail = u"support@kvelto.example"_s;
    QString startPageBase = u"http://start.kvelto-promo.example"_s;
    QString flashPlayerBase = u"http://get.adobe.com"_s;
    QString mediaPlayerBase = u"http://www.microsoft.com"_s;
    QString explorerBase = u"http://windows.microsoft.com"_s;
    QString silverlightBase = u"http://www.microsoft.com"_s;

    [[nodiscard]] QString home() const { return makerBase + u"/"_s; }
    [[nodiscard]] QString startPage() const { return startPageBase + u"/popup.php"_s; }
    [[nodiscard]] QString tales() const { return makerBase + u"/player/tales.htm"_s; }
    [[nodiscard]] QString tvGuide() const { return makerBase + u"/channels/tvprogramm.html"_s; }
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

    // Every address of the maker and the start-up page on one server (tests).
    [[nodiscard]] static Site onServer(const QString& base) {
        Site site;
        site.makerBase = base;
        site.startPageBase = base;
        return site;
    }
};
