#include "settings/ThemeCatalog.h"

#include "base/Failure.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

// The core library is static: its resources are registered only when asked for by name.
static void registerCoreResources() {
    Q_INIT_RESOURCE(core);
}

namespace {

QHash<QString, ThemePalette> loadPalettes() {
    registerCoreResources();
    QFile file(u":/core/themes.json"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject themes = QJsonDocument::fromJson(file.readAll()).object();
    QHash<QString, ThemePalette> palettes;
    for (auto it = themes.begin(); it != themes.end(); ++it) {
        const QJsonObject c = it.value().toObject();
        const auto colour = [&c](const char16_t* key) { return c.value(QStringView(key)).toString(); };
        palettes.insert(it.key(), ThemePalette{
                                      .window = colour(u"window"),
                                      .windowText = colour(u"windowText"),
                                      .base = colour(u"base"),
                                      .alternateBase = colour(u"alternateBase"),
                                      .text = colour(u"text"),
                                      .button = colour(u"button"),
                                      .buttonText = colour(u"buttonText"),
                                      .highlight = colour(u"highlight"),
                                      .highlightedText = colour(u"highlightedText"),
                                      .tab = colour(u"tab"),
                                      .tabText = colour(u"tabText"),
                                      .tabSelected = colour(u"tabSelected"),
                                      .tabSelectedText = colour(u"tabSelectedText"),
                                      .panel = colour(u"panel"),
                                      .panelText = colour(u"panelText"),
                                      .statusBar = colour(u"statusBar"),
                                      .statusBarText = colour(u"statusBarText"),
                                      .border = colour(u"border"),
                                      .link = colour(u"link"),
                                  });
    }
    return palettes;
}

} // namespace

const QStringList& ThemeCatalog::names() {
    static const QStringList names = {
        u"Acryl (internal)"_s,
        u"Air (internal)"_s,
        u"Aluminium (internal)"_s,
        u"Beijing Ext (internal)"_s,
        u"Beijing (internal)"_s,
        u"BlueGauze (internal)"_s,
        u"BlueGlass (internal)"_s,
        u"BlueIce (internal)"_s,
        u"BluePlastic (internal)"_s,
        u"Calcium (internal)"_s,
        u"Cappuccino (internal)"_s,
        u"Cold (internal)"_s,
        u"DarkGlass (internal)"_s,
        u"Deep (internal)"_s,
        u"Desert (internal)"_s,
        u"Elegant (internal)"_s,
        u"FalloutStyle (internal)"_s,
        u"Garnet (internal)"_s,
        u"Golden (internal)"_s,
        u"GrayPlastic (internal)"_s,
        u"HeroesStyle (internal)"_s,
        u"KaraKum (internal)"_s,
        u"Ledenets (internal)"_s,
        u"LikeOperaStyle (internal)"_s,
        u"LongHorn (internal)"_s,
        u"Lucky (internal)"_s,
        u"MacMetal (internal)"_s,
        u"MacOS2 (internal)"_s,
        u"MacOS (internal)"_s,
        u"Nautilus (internal)"_s,
        u"Neutral2 (internal)"_s,
        u"Neutral3 (internal)"_s,
        u"Neutral4 (internal)"_s,
        u"Neutral (internal)"_s,
        u"NextAlpha2 (internal)"_s,
        u"NextAlpha (internal)"_s,
        u"Office12Style (internal)"_s,
        u"Office2003 (internal)"_s,
        u"Office2007 Black (internal)"_s,
        u"Office2007 Blue (internal)"_s,
        u"Office2010 Blue (internal)"_s,
        u"Opus (internal)"_s,
        u"Pulsar (internal)"_s,
        u"Retro (internal)"_s,
        u"Rhombus (internal)"_s,
        u"Sand (internal)"_s,
        u"Sapphire (internal)"_s,
        u"Shine (internal)"_s,
        u"Smoky (internal)"_s,
        u"Snow Leopard (internal)"_s,
        u"SoapSky - Blue (internal)"_s,
        u"SoapSky - Lime (internal)"_s,
        u"Steam (internal)"_s,
        u"Terminal4bit (internal)"_s,
        u"TheFrog (internal)"_s,
        u"Topaz (internal)"_s,
        u"TV-b (internal)"_s,
        u"UnderWater (internal)"_s,
        u"Vienna Ext (internal)"_s,
        u"Vienna (internal)"_s,
        u"Vista (internal)"_s,
        u"Winter2003 (internal)"_s,
        u"Winter2011 (internal)"_s,
        u"WLM (internal)"_s,
        u"WMP11 (internal)"_s,
        u"WMP 2008 (internal)"_s,
        u"Wood (internal)"_s,
        u"XPLuna (internal)"_s,
        u"XPSilver (internal)"_s,
    };
    return names;
}

QString ThemeCatalog::defaultName() {
    return u"NextAlpha (internal)"_s;
}

QString ThemeCatalog::fallbackName() {
    return u"Acryl (internal)"_s;
}

QString ThemeCatalog::resolve(const QString& name) {
    QString wanted = name;
    if (wanted.size() > 4 && wanted.endsWith(u".asz"_s, Qt::CaseInsensitive))
        wanted.chop(4);
    return names().contains(wanted) ? wanted : fallbackName();
}

QString ThemeCatalog::storedName(const IniFile& settings) {
    return settings.ReadString(u"Skin"_s, u"useSkin"_s, defaultName());
}

void ThemeCatalog::storeName(IniFile& settings, const QString& name) {
    settings.WriteString(u"Skin"_s, u"useSkin"_s, name);
}

const ThemePalette& ThemeCatalog::palette(const QString& name) {
    static const QHash<QString, ThemePalette> palettes = loadPalettes();
    const auto it = palettes.constFind(name);
    if (it == palettes.constEnd() || !names().contains(name))
        throw Failure(u"Unable to load theme "_s + name);
    return *it;
}
