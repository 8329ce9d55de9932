#include "settings/ui/ThemeApplier.h"

#include "settings/ThemeCatalog.h"

#include <QApplication>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

namespace {

QColor blend(const QColor& a, const QColor& b, double towardB) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * towardB),
                            float(a.greenF() + (b.greenF() - a.greenF()) * towardB),
                            float(a.blueF() + (b.blueF() - a.blueF()) * towardB));
}

} // namespace

ThemeApplier::ThemeApplier() : m_current(ThemeCatalog::defaultName()) {}

QString ThemeApplier::apply(const QString& themeName) {
    QString resolved = ThemeCatalog::resolve(themeName);
    const ThemePalette& colours = ThemeCatalog::palette(resolved);

    // Fusion draws everything from the palette, so a palette is a whole look. Once a style
    // sheet is set the application's style is a wrapper, so the style is set only once.
    static const bool fusion = [] {
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        return true;
    }();
    Q_UNUSED(fusion);
    QApplication::setPalette(paletteFor(colours));
    qApp->setStyleSheet(styleSheetFor(colours));
    m_current = resolved;
    return resolved;
}

QPalette ThemeApplier::paletteFor(const ThemePalette& c) {
    const QColor window(c.window), windowText(c.windowText), base(c.base), text(c.text), button(c.button),
        buttonText(c.buttonText), highlight(c.highlight), highlightedText(c.highlightedText);

    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, windowText);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, QColor(c.alternateBase));
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, buttonText);
        p.setColor(group, QPalette::Highlight, highlight);
        p.setColor(group, QPalette::HighlightedText, highlightedText);
        p.setColor(group, QPalette::Link, QColor(c.link));
        p.setColor(group, QPalette::LinkVisited, blend(QColor(c.link), text, 0.3));
        p.setColor(group, QPalette::ToolTipBase, base);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::PlaceholderText, blend(text, base, 0.45));
        p.setColor(group, QPalette::BrightText, QColor(c.highlightedText));
        // Fusion shades bevels and frames from these.
        p.setColor(group, QPalette::Light, button.lighter(150));
        p.setColor(group, QPalette::Midlight, button.lighter(120));
        p.setColor(group, QPalette::Mid, button.darker(130));
        p.setColor(group, QPalette::Dark, button.darker(160));
        p.setColor(group, QPalette::Shadow, blend(button, Qt::black, 0.7));
    }
    // Disabled text fades toward its background rather than to the style's fixed grey,
    // which would vanish on dark themes.
    p.setColor(QPalette::Disabled, QPalette::WindowText, blend(windowText, window, 0.5));
    p.setColor(QPalette::Disabled, QPalette::Text, blend(text, base, 0.5));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, blend(buttonText, button, 0.5));
    p.setColor(QPalette::Disabled, QPalette::Highlight, blend(highlight, window, 0.5));
    return p;
}

QString ThemeApplier::styleSheetFor(const ThemePalette& c) {
    return uR"(QTabWidget::pane { border: 1px solid %border%; }
QTabBar::tab { background: %tab%; color: %tabText%; border: 1px solid %border%; padding: 3px 10px; }
QTabBar::tab:selected { background: %tabSelected%; color: %tabSelectedText%; }
QTabBar::tab:!selected:hover { background: %tabSelected%; }
QStatusBar { background: %statusBar%; color: %statusBarText%; }
QStatusBar QLabel { color: %statusBarText%; }
*[kveltoSection="PANEL"] { background: %panel%; color: %panelText%; }
*[kveltoSection="PANEL"] QLabel { color: %panelText%; }
QHeaderView::section { background: %button%; color: %buttonText%; border: none; border-right: 1px solid %border%; border-bottom: 1px solid %border%; padding: 2px 4px; }
)"_s.replace(u"%border%"_s, c.border)
        .replace(u"%tabText%"_s, c.tabText)
        .replace(u"%tabSelectedText%"_s, c.tabSelectedText)
        .replace(u"%tabSelected%"_s, c.tabSelected)
        .replace(u"%tab%"_s, c.tab)
        .replace(u"%statusBarText%"_s, c.statusBarText)
        .replace(u"%statusBar%"_s, c.statusBar)
        .replace(u"%panelText%"_s, c.panelText)
        .replace(u"%panel%"_s, c.panel)
        .replace(u"%buttonText%"_s, c.buttonText)
        .replace(u"%button%"_s, c.button);
}
