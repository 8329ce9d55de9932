#pragma once

#include "settings/ThemePalette.h"

#include <QStringList>

class IniFile;

// The program's own look-and-feel themes: their names in the chooser's order, the rule
// that turns a stored name into the theme shown, and each theme's colours (read from the
// themes.json resource). Themes from a folder outside the program are not supported.
class ThemeCatalog {
public:
    // The 69 names, in the order the chooser lists them.
    [[nodiscard]] static const QStringList& names();
    // The theme of a fresh start, and the default of the stored setting.
    [[nodiscard]] static QString defaultName();
    // The theme shown for a name that matches none.
    [[nodiscard]] static QString fallbackName();

    // The theme in force for a stored or chosen name: a trailing ".asz" (any letter case)
    // is dropped from a name longer than four characters, then the name must match one of
    // ours exactly; anything else gives the fallback.
    [[nodiscard]] static QString resolve(const QString& name);

    // The name Config.ini keeps ([Skin] useSkin), or the default name when it keeps none.
    [[nodiscard]] static QString storedName(const IniFile& settings);
    // Keeps a chosen name there; throws Failure when the file cannot be written.
    static void storeName(IniFile& settings, const QString& name);

    // The colours of one of the 69 names; throws Failure for any other name.
    [[nodiscard]] static const ThemePalette& palette(const QString& name);
};
