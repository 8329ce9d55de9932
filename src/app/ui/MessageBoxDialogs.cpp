#include "app/ui/MessageBoxDialogs.h"

#include "base/AppInfo.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
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
    if (!m_stopped)
        show(QMessageBox::NoIcon, text);
}

bool MessageBoxDialogs::question(const QString& text) {
    if (m_stopped)
        return false;
    QMessageBox box(QMessageBox::NoIcon, AppInfo::title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    // One role for both, so that no desktop's button order puts "No" first: a box of one
    // role keeps the order the buttons were added in.
    QPushButton* yes = box.addButton(u"&Yes"_s, QMessageBox::ActionRole);
    QPushButton* no = box.addButton(u"&No"_s, QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void MessageBoxDialogs::error(const QString& text) {
    if (!m_stopped)
        show(QMessageBox::Critical, text);
}

void MessageBoxDialogs::information(const QString& text) {
    if (!m_stopped)
        show(QMessageBox::Information, text);
}

QStringList MessageBoxDialogs::chooseFiles(const QString& caption, const QString& filters) {
    if (m_stopped)
        return {};
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), caption, QString(), filters);
}

void MessageBoxDialogs::stop() {
    m_stopped = true;
    // Every modal window on screen ends as if cancelled (a bounded loop: a window that
    // refused to go must not hang the end of the program).
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->hide();
    }
}
