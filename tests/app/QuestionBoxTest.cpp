#include "app/ui/MessageBoxDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A desktop's dialog button order, as GNOME, KDE and macOS have it.
class DesktopButtonOrder : public QProxyStyle {
public:
    explicit DesktopButtonOrder(int layout) : QProxyStyle(u"Fusion"_s), m_layout(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_DialogButtonLayout)
            return m_layout;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    int m_layout;
};

} // namespace

TEST(QuestionBox, YesComesBeforeNoAndIsTheDefaultOnEveryDesktop) {
    for (const int layout : {int(QDialogButtonBox::WinLayout), int(QDialogButtonBox::GnomeLayout),
                             int(QDialogButtonBox::KdeLayout), int(QDialogButtonBox::MacLayout)}) {
        SCOPED_TRACE(layout);
        QApplication::setStyle(new DesktopButtonOrder(layout));
        QStringList order;
        QString defaultText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QList<QPushButton*> buttons = box->findChildren<QPushButton*>();
            std::sort(buttons.begin(), buttons.end(),
                      [](const QPushButton* a, const QPushButton* b) { return a->x() < b->x(); });
            for (const QPushButton* button : buttons)
                order << button->text();
            defaultText = box->defaultButton()->text();
            box->defaultButton()->click();
        });
        MessageBoxDialogs dialogs;
        EXPECT_TRUE(dialogs.question(u"?"_s));
        EXPECT_EQ(order, (QStringList{u"&Yes"_s, u"&No"_s}));
        EXPECT_EQ(defaultText, u"&Yes"_s);
    }
}
