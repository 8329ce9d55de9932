#include "settings/ui/ThemeApplier.h"
#include "settings/ThemeCatalog.h"

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QColor centreOf(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(ThemeApplier, RedrawsOpenWindowsAndLaterOnes) {
    ThemeApplier applier;
    EXPECT_EQ(applier.current(), u"NextAlpha (internal)"_s);

    QWidget before;
    before.resize(200, 100);
    auto* panel = new QWidget(&before);
    panel->setProperty("kveltoSection", u"PANEL"_s);
    auto* status = new QStatusBar(&before);
    auto* layout = new QVBoxLayout(&before);
    layout->addWidget(panel, 1);
    layout->addWidget(status);
    before.show();

    for (const QString& theme : {u"DarkGlass (internal)"_s, u"Wood (internal)"_s}) {
        const ThemePalette& colours = ThemeCatalog::palette(theme);
        EXPECT_EQ(applier.apply(theme), theme);
        EXPECT_EQ(applier.current(), theme);
        EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(colours.window));
        EXPECT_EQ(QApplication::palette().color(QPalette::Base), QColor(colours.base));
        EXPECT_EQ(before.palette().color(QPalette::Window), QColor(colours.window)) << theme.toStdString();
        EXPECT_EQ(before.palette().color(QPalette::ButtonText), QColor(colours.buttonText));
        EXPECT_EQ(centreOf(*panel), QColor(colours.panel)) << theme.toStdString();
        EXPECT_EQ(centreOf(*status), QColor(colours.statusBar)) << theme.toStdString();

        QLabel after(u"later"_s);
        EXPECT_EQ(after.palette().color(QPalette::WindowText), QColor(colours.windowText));
    }
}

TEST(ThemeApplier, UnknownNameFallsBackToAcryl) {
    ThemeApplier applier;
    EXPECT_EQ(applier.apply(u"NextAlpha"_s), u"Acryl (internal)"_s);
    EXPECT_EQ(applier.current(), u"Acryl (internal)"_s);
    EXPECT_EQ(QApplication::palette().color(QPalette::Highlight),
              QColor(ThemeCatalog::palette(u"Acryl (internal)"_s).highlight));
}

} // namespace
