#pragma once

#include <QString>

// The colours of one look-and-feel theme, each as "#rrggbb". Every "…Text" colour is
// drawn on the background named before it.
struct ThemePalette {
    QString window;
    QString windowText;
    QString base; // edit boxes, lists and grids
    QString alternateBase;
    QString text;
    QString button;
    QString buttonText;
    QString highlight; // selection
    QString highlightedText;
    QString tab; // tabs that are not selected
    QString tabText;
    QString tabSelected;
    QString tabSelectedText;
    QString panel;
    QString panelText;
    QString statusBar;
    QString statusBarText;
    QString border;
    QString link; // drawn on base

    friend bool operator==(const ThemePalette&, const ThemePalette&) = default;
};
