#include "base/ui/ProgramFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStatusBar>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace ProgramFonts {

void install() {
    static const bool installed = [] {
        // Wine's faces live outside fontconfig's folders: the program loads them itself. Its
        // "MS Sans Serif" has the classic bitmap strikes (13 pixels at 8 pt), like the original.
        const QString wineFonts = u"/usr/share/wine/fonts/"_s;
        for (const QString& file : {u"tahoma.ttf"_s, u"tahomabd.ttf"_s, u"ms_sans_serif.ttf"_s})
            QFontDatabase::addApplicationFont(wineFonts + file);
        // Used only where the desktop lacks the face itself; a face missing from this list
        // falls back on the next one.
        const QString liberation = u"Liberation Sans"_s;
        QFont::insertSubstitutions(u"MS Sans Serif"_s, {u"Tahoma"_s, liberation});
        QFont::insertSubstitutions(u"Tahoma"_s, {liberation});
        QFont::insertSubstitutions(u"Arial"_s, {liberation});
        QFont::insertSubstitutions(u"Arial Black"_s, {liberation});
        // Widths as the faces were drawn: a desktop's full hinting would round every letter
        // up and push a caption past its room. Fonts named by the forms take this from here.
        QFont font = QGuiApplication::font();
        font.setHintingPreference(QFont::PreferVerticalHinting);
        QGuiApplication::setFont(font);
        return true;
    }();
    Q_UNUSED(installed);
}

void spreadWindowFont(QWidget& window) {
    // Parents come before their children, so each parent's font is already settled.
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const QWidget* parent = control->parentWidget();
        if (control->window() != &window || control->testAttribute(Qt::WA_SetFont) ||
            qobject_cast<const QStatusBar*>(control) || qobject_cast<const QStatusBar*>(parent))
            continue;
        control->setFont(parent->font());
    }
}

} // namespace ProgramFonts
