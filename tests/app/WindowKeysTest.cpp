#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Shows the main window as a user has it: visible and active, so that focus works.
void showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

} // namespace

TEST(WindowKeys, EnterOnAFocusedButtonPressesItInBothWindows) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    const MainFormWidgets ui(app.form);
    // A tool button on the settings tab (help) and a push button beside the lists (favorites).
    app.form->findChild<QTabWidget*>(u"sPageControl1"_s)->setCurrentWidget(ui.sTabSheet2);
    ui.sBitBtn4->setFocus();
    QTest::keyClick(ui.sBitBtn4, Qt::Key_Return);
    EXPECT_EQ(app.shell.opened.size(), 1);
    ui.FavoritesBitBtn->setFocus();
    QTest::keyClick(ui.FavoritesBitBtn, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(app.favorites->isVisible());

    // In the favorites window Enter on the close button closes it.
    auto* close = widgetNamed<QAbstractButton>(app.favorites, "ClosesBitBtn");
    showActive(app.favorites);
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_FALSE(app.favorites->isVisible());
    EXPECT_TRUE(app.dialogs.shown.isEmpty()) << app.dialogs.shown.join(u" | "_s).toStdString();
}

TEST(WindowKeys, TabWalksTheSettingsTabInItsOrder) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    const MainFormWidgets ui(app.form);
    app.form->findChild<QTabWidget*>(u"sPageControl1"_s)->setCurrentWidget(ui.sTabSheet2);
    ui.sEdit1->setFocus();
    QStringList walked{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(walked, (QStringList{u"sEdit1"_s, u"sEdit2"_s, u"sCheckBox1"_s, u"sButton1"_s, u"sBitBtn3"_s,
                                   u"sBitBtn4"_s, u"sBitBtn5"_s, u"sBitBtn9"_s, u"sComboBox1"_s}));
}

TEST(WindowKeys, TheAddOnsWindowIgnoresEscapeAndCentresOnTheMainWindowEachTime) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    for (const QPoint at : {QPoint(40, 30), QPoint(260, 120)}) {
        app.form->move(at);
        QTest::mouseClick(widgetNamed<QAbstractButton>(app.form, "sBitBtn9"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(app.addOns));
        EXPECT_EQ(app.addOns->frameGeometry().center(), app.form->frameGeometry().center());
        QTest::keyClick(app.addOns, Qt::Key_Escape);
        EXPECT_TRUE(app.addOns->isVisible());
        app.addOns->close(); // the close box
        EXPECT_FALSE(app.addOns->isVisible());
    }
    EXPECT_TRUE(app.shell.opened.isEmpty());
}

TEST(WindowKeys, AddOnsOpensAlikeByClickSpaceEnterAndTheAccessiblePress) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    auto* addOnsButton = widgetNamed<QAbstractButton>(app.form, "sBitBtn9");
    app.form->findChild<QTabWidget*>(u"sPageControl1"_s)
        ->setCurrentWidget(MainFormWidgets(app.form).sTabSheet2);
    const std::vector<std::pair<const char*, std::function<void()>>> ways{
        {"click", [&] { QTest::mouseClick(addOnsButton, Qt::LeftButton); }},
        {"space",
         [&] {
             addOnsButton->setFocus();
             QTest::keyClick(addOnsButton, Qt::Key_Space);
         }},
        {"enter",
         [&] {
             addOnsButton->setFocus();
             QTest::keyClick(addOnsButton, Qt::Key_Return);
         }},
        {"accessible press",
         [&] {
             QAccessibleInterface* button = QAccessible::queryAccessibleInterface(addOnsButton);
             ASSERT_TRUE(button && button->actionInterface());
             button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         }},
    };
    for (const auto& [way, press] : ways) {
        SCOPED_TRACE(way);
        showActive(app.form);
        press();
        // Long enough for an animated click to end.
        QTest::qWait(300);
        EXPECT_TRUE(app.addOns->isVisible());
        EXPECT_TRUE(app.shell.opened.isEmpty()) << app.shell.opened.join(u" "_s).toStdString();
        app.addOns->close();
        QTest::qWait(50);
    }
}

TEST(WindowKeys, TheThreeWindowsAreWindowsToAScreenReader) {
    MainWindowFixture app;
    app.start();
    for (QWidget* window : std::initializer_list<QWidget*>{app.form, app.favorites, app.addOns}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(window);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->role(), QAccessible::Window) << window->objectName().toStdString();
    }
    // Other widgets keep their own roles.
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(widgetNamed<QAbstractButton>(app.form, "sBitBtn1"))->role(),
        QAccessible::Button);
}

TEST(WindowKeys, LinkLabelsAnswerOnlyALeftClickThatEndsOnThem) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    const MainFormWidgets ui(app.form);
    app.form->findChild<QTabWidget*>(u"sPageControl1"_s)->setCurrentWidget(ui.sTabSheet2);
    QTest::mouseClick(ui.sLabel12, Qt::RightButton);
    QTest::mouseClick(ui.sLabel12, Qt::MiddleButton);
    // Pressed on the label, released beside it: the user changed his mind.
    QTest::mousePress(ui.sLabel12, Qt::LeftButton);
    QTest::mouseRelease(ui.sLabel12, Qt::LeftButton, {}, QPoint(-5, ui.sLabel12->height() + 5));
    EXPECT_TRUE(app.shell.opened.isEmpty()) << app.shell.opened.join(u" "_s).toStdString();
    QTest::mouseClick(ui.sLabel15, Qt::LeftButton);
    EXPECT_EQ(app.shell.opened.size(), 1);
}

TEST(WindowLook, TheSearchCaptionIsBlackInEveryTheme) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    auto* caption = widgetNamed<QLabel>(app.form, "sLabel1");
    QComboBox* chooser = MainFormWidgets(app.form).sComboBox1;
    for (int i = 0; i < chooser->count(); ++i) {
        chooser->setCurrentIndex(i);
        emit chooser->activated(i);
        const QImage shot = caption->grab().toImage();
        // The darkest pixel of the caption's text is black (anti-aliasing softens only edges).
        int darkest = 255;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                darkest = std::min(darkest, qGray(shot.pixel(x, y)));
        EXPECT_LE(darkest, 10) << chooser->itemText(i).toStdString();
    }
}

TEST(WindowLook, TabsHaveTheirWidthsInEveryTheme) {
    MainWindowFixture app;
    app.start();
    showActive(app.form);
    const MainFormWidgets ui(app.form);
    QComboBox* chooser = ui.sComboBox1;
    const auto widths = [](const QTabWidget* tabs) {
        QList<int> found;
        for (int i = 0; i < tabs->count(); ++i)
            found << tabs->tabBar()->tabRect(i).width();
        return found;
    };
    for (int i = 0; i < chooser->count(); i += 17) { // a spread of the themes
        chooser->setCurrentIndex(i);
        emit chooser->activated(i);
        SCOPED_TRACE(chooser->itemText(i).toStdString());
        EXPECT_EQ(widths(ui.sPageControl1), QList<int>(3, 192));
        EXPECT_EQ(widths(ui.sPageControl2), QList<int>(3, 65));
        EXPECT_EQ(widths(widgetNamed<QTabWidget>(app.favorites, "sPageControl1")), QList<int>(3, 99));
    }
}
