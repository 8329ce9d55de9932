#include "app/ui/HiddenMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

HiddenMenu::HiddenMenu(std::vector<Item> items, std::function<bool(const QWidget*)> ours, QObject* parent)
    : QObject(parent), m_items(std::move(items)), m_ours(std::move(ours)) {
    qApp->installEventFilter(this);
}

HiddenMenu::~HiddenMenu() {
    qApp->removeEventFilter(this);
}

bool HiddenMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    // Only keys aimed at one of our own windows, and never while a modal box is up.
    const auto* target = qobject_cast<QWidget*>(watched);
    if (!target || QApplication::activeModalWidget() || !m_ours(target->window()))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    for (const Item& item : m_items) {
        if (item.key != key->key() || item.modifiers != modifiers)
            continue;
        // The override claims the key for us; the press that follows runs the command.
        if (event->type() == QEvent::KeyPress)
            item.command();
        event->accept();
        return true;
    }
    return false;
}
