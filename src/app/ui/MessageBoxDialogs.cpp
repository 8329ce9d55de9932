#include "app/ui/MessageBoxDialogs.h"

#include "app/AppInfo.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
void show(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, AppInfo::title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
} // namespace

void MessageBoxDialogs::message(const QString& text) {
    show(QMessageBox::NoIcon, text);
}

bool MessageBoxDialogs::question(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, AppInfo::title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton* yes = box.addButton(u"&Yes"_s, QMessageBox::YesRole);
    QPushButton* no = box.addButton(u"&No"_s, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void MessageBoxDialogs::error(const QString& text) {
    show(QMessageBox::Critical, text);
}
