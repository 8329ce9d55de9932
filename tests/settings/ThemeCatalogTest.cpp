#include "settings/ThemeCatalog.h"
#include "base/Failure.h"

#include <QColor>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

double relativeLuminance(const QString& hex) {
    const QColor c(hex);
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrastRatio(const QString& a, const QString& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ThemeCatalog, NamesInTheChoosersOrder) {
    const QStringList& names = ThemeCatalog::names();
    ASSERT_EQ(names.size(), 69);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 69);
    for (const QString& name : names)
        EXPECT_TRUE(name.endsWith(u" (internal)"_s)) << name.toStdString();
    // The places where the chooser's order differs from plain sorting matter most.
    EXPECT_EQ(names.first(), u"Acryl (internal)"_s);
    EXPECT_EQ(names.last(), u"XPSilver (internal)"_s);
    EXPECT_EQ(names.indexOf(u"Beijing Ext (internal)"_s) + 1, names.indexOf(u"Beijing (internal)"_s));
    EXPECT_EQ(names.indexOf(u"MacOS2 (internal)"_s) + 1, names.indexOf(u"MacOS (internal)"_s));
    EXPECT_EQ(names.indexOf(u"Neutral4 (internal)"_s) + 1, names.indexOf(u"Neutral (internal)"_s));
    EXPECT_EQ(names.indexOf(u"NextAlpha2 (internal)"_s) + 1, names.indexOf(u"NextAlpha (internal)"_s));
    EXPECT_EQ(names.indexOf(u"WMP11 (internal)"_s) + 1, names.indexOf(u"WMP 2008 (internal)"_s));
    EXPECT_EQ(names.indexOf(u"Vienna Ext (internal)"_s), 58);
    EXPECT_EQ(names.indexOf(u"SoapSky - Blue (internal)"_s), 50);
    EXPECT_EQ(names.indexOf(u"TV-b (internal)"_s), 56);
    EXPECT_EQ(ThemeCatalog::defaultName(), u"NextAlpha (internal)"_s);
    EXPECT_EQ(ThemeCatalog::fallbackName(), u"Acryl (internal)"_s);
}

TEST(ThemeCatalog, ResolvesStoredNames) {
    const struct {
        QString stored, inForce;
    } cases[] = {
        {u"NextAlpha (internal)"_s, u"NextAlpha (internal)"_s},
        {u"TV-b (internal)"_s, u"TV-b (internal)"_s},
        {u"SoapSky - Lime (internal)"_s, u"SoapSky - Lime (internal)"_s},
        {u"Wood (internal).asz"_s, u"Wood (internal)"_s},
        {u"Wood (internal).ASZ"_s, u"Wood (internal)"_s},
        {u"Wood (internal).aSz"_s, u"Wood (internal)"_s},
        {u"Wood (internal).asz.asz"_s, u"Acryl (internal)"_s},
        {u"NextAlpha"_s, u"Acryl (internal)"_s},
        {u"nextalpha (internal)"_s, u"Acryl (internal)"_s},
        {u" NextAlpha (internal)"_s, u"Acryl (internal)"_s},
        {u""_s, u"Acryl (internal)"_s},
        {u".asz"_s, u"Acryl (internal)"_s},
        {u"Wood"_s, u"Acryl (internal)"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThemeCatalog::resolve(c.stored), c.inForce) << c.stored.toStdString();
}

TEST(ThemeCatalog, EveryThemeHasItsOwnReadablePalette) {
    static const QRegularExpression hex(u"^#[0-9a-f]{6}$"_s);
    QSet<QStringList> seen;
    for (const QString& name : ThemeCatalog::names()) {
        const ThemePalette& p = ThemeCatalog::palette(name);
        const QStringList colours = {p.window,
                                     p.windowText,
                                     p.base,
                                     p.alternateBase,
                                     p.text,
                                     p.button,
                                     p.buttonText,
                                     p.highlight,
                                     p.highlightedText,
                                     p.tab,
                                     p.tabText,
                                     p.tabSelected,
                                     p.tabSelectedText,
                                     p.panel,
                                     p.panelText,
                                     p.statusBar,
                                     p.statusBarText,
                                     p.border,
                                     p.link};
        for (const QString& colour : colours)
            EXPECT_TRUE(hex.match(colour).hasMatch()) << name.toStdString() << ": " << colour.toStdString();
        seen.insert(colours);

        const struct {
            const char* what;
            const QString& fg;
            const QString& bg;
        } pairs[] = {
            {"text on base", p.text, p.base},
            {"text on alternate rows", p.text, p.alternateBase},
            {"button text", p.buttonText, p.button},
            {"window text", p.windowText, p.window},
            {"selected text", p.highlightedText, p.highlight},
            {"tab text", p.tabText, p.tab},
            {"selected tab text", p.tabSelectedText, p.tabSelected},
            {"panel text", p.panelText, p.panel},
            {"status bar text", p.statusBarText, p.statusBar},
            {"links", p.link, p.base},
        };
        for (const auto& pair : pairs)
            EXPECT_GE(contrastRatio(pair.fg, pair.bg), 4.5)
                << name.toStdString() << ", " << pair.what << ": " << pair.fg.toStdString() << " on "
                << pair.bg.toStdString();
    }
    EXPECT_EQ(seen.size(), 69);
}

TEST(ThemeCatalog, PalettesSuitTheirNames) {
    const auto window = [](const char16_t* theme) {
        return QColor(ThemeCatalog::palette(QString::fromUtf16(theme)).window);
    };
    const auto luminance = [](const char16_t* theme) {
        const ThemePalette& p = ThemeCatalog::palette(QString::fromUtf16(theme));
        return std::max(relativeLuminance(p.window), relativeLuminance(p.base));
    };
    for (const auto* dark : {u"DarkGlass (internal)", u"Office2007 Black (internal)",
                             u"Terminal4bit (internal)", u"Steam (internal)", u"FalloutStyle (internal)",
                             u"TV-b (internal)", u"Sapphire (internal)", u"UnderWater (internal)"})
        EXPECT_LT(luminance(dark), 0.1) << QString::fromUtf16(dark).toStdString();
    for (const auto* light : {u"Snow Leopard (internal)", u"Office2010 Blue (internal)",
                              u"Winter2011 (internal)", u"Air (internal)", u"NextAlpha (internal)"})
        EXPECT_GT(relativeLuminance(window(light).name()), 0.7) << QString::fromUtf16(light).toStdString();
    for (const auto* warm :
         {u"Wood (internal)", u"Desert (internal)", u"Sand (internal)", u"Cappuccino (internal)",
          u"KaraKum (internal)", u"Golden (internal)", u"Topaz (internal)"}) {
        const QColor c = window(warm);
        EXPECT_GT(c.red(), c.blue() + 30) << QString::fromUtf16(warm).toStdString();
    }
    const struct {
        const char16_t* theme;
        int fromHue, toHue;
    } hues[] = {
        {u"Garnet (internal)", 340, 370},        {u"Golden (internal)", 38, 55},
        {u"Topaz (internal)", 25, 45},           {u"Sapphire (internal)", 205, 235},
        {u"UnderWater (internal)", 175, 200},    {u"Lucky (internal)", 90, 140},
        {u"TheFrog (internal)", 75, 110},        {u"SoapSky - Blue (internal)", 190, 215},
        {u"SoapSky - Lime (internal)", 70, 100}, {u"Ledenets (internal)", 315, 345},
    };
    for (const auto& h : hues) {
        int hue = window(h.theme).hsvHue();
        if (hue < h.fromHue)
            hue += 360;
        EXPECT_TRUE(hue >= h.fromHue && hue <= h.toHue)
            << QString::fromUtf16(h.theme).toStdString() << ": " << hue;
    }
}

TEST(ThemeCatalog, NoPaletteForOtherNames) {
    EXPECT_THROW((void)ThemeCatalog::palette(u"NextAlpha"_s), Failure);
    EXPECT_THROW((void)ThemeCatalog::palette(u""_s), Failure);
}

} // namespace
