#pragma once

#include "settings/ThemePalette.h"

#include <QPalette>
#include <QString>

// Draws the whole application in one of the program's themes: the Fusion style, a palette
// set on the application (so every open window redraws at once and later windows take it),
// and a small style sheet for the parts a palette does not reach: tabs, the status bar,
// grid headers and the widgets marked with the dynamic property kveltoSection="PANEL".
// The property is read when a widget is polished, so set it before the widget is shown.
class ThemeApplier {
public:
    // The theme in force before the first apply.
    ThemeApplier();

    // Resolves the name and draws every window in that theme; the resolved name becomes
    // current. Throws Failure if the theme's data cannot be had, leaving the current one.
    QString apply(const QString& themeName);

    [[nodiscard]] const QString& current() const { return m_current; }

    [[nodiscard]] static QPalette paletteFor(const ThemePalette& colours);
    [[nodiscard]] static QString styleSheetFor(const ThemePalette& colours);

private:
    QString m_current;
};
