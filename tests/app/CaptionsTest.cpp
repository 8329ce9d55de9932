#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QStyleOptionButton>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString nameOf(const QWidget* widget) {
    return widget->window()->objectName() + u'.' + widget->objectName();
}

// Every caption of `window` whose text does not fit the room its control gives it, measured
// with the control's own font: labels by their contents, buttons and check boxes by the size
// the style needs for picture and text, tabs by the text rectangle inside border and padding.
QStringList cutCaptions(const QWidget* window) {
    QStringList cut;
    const auto report = [&cut](const QWidget* widget, const QString& text, int needed, int room) {
        if (needed > room)
            cut << u"%1 \"%2\": %3 > %4"_s.arg(nameOf(widget), text).arg(needed).arg(room);
    };
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isHidden() || label->text().isEmpty() || label->window() != window)
            continue;
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        if (label->wordWrap()) {
            report(label, label->text(), label->heightForWidth(label->width()), label->height());
            continue;
        }
        const QFontMetrics metrics = label->fontMetrics();
        report(label, label->text(), metrics.horizontalAdvance(label->text()), room.width());
        report(label, label->text(), metrics.height(), room.height());
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        // The tab bars' scroll buttons carry no caption.
        if (button->isHidden() || button->text().isEmpty() || button->window() != window)
            continue;
        report(button, button->text(), button->sizeHint().width(), button->width());
    }
    for (const QTabBar* bar : window->findChildren<QTabBar*>()) {
        for (int i = 0; i < bar->count(); ++i) {
            QStyleOptionTab option;
            option.initFrom(bar);
            option.shape = bar->shape();
            option.rect = bar->tabRect(i);
            option.text = bar->tabText(i);
            const QRect room = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar);
            report(bar, bar->tabText(i), bar->fontMetrics().horizontalAdvance(bar->tabText(i)), room.width());
        }
    }
    return cut;
}

} // namespace

// One table: the three windows in every theme.
TEST(Captions, EveryCaptionFitsItsControlInEveryTheme) {
    MainWindowFixture app;
    // A long site name fills the about panel; the refused proxy keeps the update check here.
    app.siteFromConfig = true;
    app.writeConfig(u"[Site]\r\nhome=http://www.kvelto-catalog.example/\r\n"
                    "[Proxy]\r\nip=127.0.0.1\r\nport=1\r\nuseProxy=1\r\n"_s);
    app.start();
    const std::initializer_list<QWidget*> windows{app.form, app.favorites, app.addOns};
    for (QWidget* window : windows)
        window->show();
    QComboBox* chooser = MainFormWidgets(app.form).sComboBox1;
    ASSERT_EQ(chooser->count(), 69);
    for (int i = 0; i < chooser->count(); ++i) {
        chooser->setCurrentIndex(i);
        emit chooser->activated(i);
        QApplication::processEvents();
        for (QWidget* window : windows)
            EXPECT_EQ(cutCaptions(window), QStringList()) << chooser->itemText(i).toStdString();
    }
    // The classic faces were replaced by their stand-ins, not by whatever the desktop offers.
    EXPECT_EQ(QFontInfo(MainFormWidgets(app.form).sPageControl2->tabBar()->font()).family(),
              u"Liberation Sans"_s);
    EXPECT_EQ(QFontInfo(app.favorites->font()).family(), u"Tahoma"_s);
    EXPECT_EQ(QFontInfo(app.form->font()).family(), u"MS Sans Serif"_s);
}

// The window system shows a title followed by the application's display name unless the
// title already ends with it (an empty name adds nothing): the favorites and add-ons windows
// are called by their own names alone, the main window "Kvelto 7".
TEST(Captions, WindowTitlesAreTheWindowsOwnNames) {
    MainWindowFixture app;
    app.start();
    const QString added = QGuiApplication::applicationDisplayName();
    const auto shownTitle = [&added](const QWidget* window) {
        const QString title = window->windowTitle();
        return title.endsWith(added) ? title : title + u" — "_s + added;
    };
    EXPECT_EQ(shownTitle(app.form), u"Kvelto 7"_s);
    EXPECT_EQ(shownTitle(app.favorites), u"Избранное"_s);
    EXPECT_EQ(shownTitle(app.addOns), u"Дополнения"_s);
}

// The proxy box's square is white in every theme, its tick dark: the box can be told ticked
// or not on a dark theme too.
TEST(Captions, TheProxyBoxShowsItsSquareInEveryTheme) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    ui.sPageControl1->setCurrentWidget(ui.sTabSheet2);
    QCheckBox* box = ui.sCheckBox1;
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect square = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    const auto darkest = [&] {
        const QImage shot = box->grab(square.adjusted(3, 3, -3, -3)).toImage();
        int found = 255;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                found = std::min(found, qGray(shot.pixel(x, y)));
        return found;
    };
    for (int i = 0; i < ui.sComboBox1->count(); ++i) {
        ui.sComboBox1->setCurrentIndex(i);
        emit ui.sComboBox1->activated(i);
        SCOPED_TRACE(ui.sComboBox1->itemText(i).toStdString());
        box->setChecked(false);
        EXPECT_GE(darkest(), 200);
        box->setChecked(true);
        EXPECT_LE(darkest(), 60);
    }
}
